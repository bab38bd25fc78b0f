#include "phonebook/vcard_import.h"

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "core/stop_request.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/phonebook_section.h"
#include "phonebook/vcard.h"

namespace quorvex::phonebook {

using text::IntToStr;

void TfrmImportVCard::Show(UserInterface& ui, VCardImportPlan plan) {
  Caption = Ru("Импорт из vCard");
  Plan = std::move(plan);
  btnWrite.enabled = Plan.count(ImportRow::Status::Write) > 0;
  Accepted = false;
  open();
  ShowModal(ui, *this);
}

void TfrmImportVCard::btnWriteClick() {
  if (!btnWrite.enabled) return;
  Accepted = true;
  close();
}

void TfrmImportVCard::btnCancelClick() {
  Accepted = false;
  close();
}

namespace {

// The record of an entry written, as an add through the record dialog leaves it.
void FillRecord(TAbonentInfo& r, const ImportRow& row, Family family, std::int32_t simFirst) {
  r.OnSim = row.index >= simFirst ? 1 : 0;
  r.Index = row.index;
  r.NameHex = TextToUcs2Hex(row.name);
  r.Name = Ucs2HexToText(r.NameHex);
  r.Number = row.number;
  r.NumberFormat = NumberFormatFor(row.number, row.type);
  r.NumberType = row.type;
  r.Attr6 = 0;
  r.AlertId = 255;
  r.Attr8 = 0;
  r.Attr9 = 1;
  r.Category = HasGroups(family) ? row.category : 0;
  r.IconId = HasGroups(family) ? kNoIcon : 0;
  r.IconText = family == Family::GroupedText ? Ru("нет") : std::string();
  r.Attr12 = 255;
  r.Attr13 = 0;
  r.Tail1 = 0;
  r.Tail2 = 0;
}

// The rows to write, one at a time with the load's progress; the first the handset refuses
// or that fails on the line stops the rest.
void WriteRows(PhoneBookSection& s, UserInterface& ui, TBlockSerial& port,
               const VCardImportPlan& plan, Family family, const std::string& model,
               ImportResult& result, StoppableOperation& op) {
  if (s.SetControlsEnabled) s.SetControlsEnabled(false);
  struct Finish {
    PhoneBookSection& s;
    ~Finish() {
      s.pbReadAllRecords.setPosition(0);
      s.pbReadAllRecords.Figure.clear();
      s.pbFullRecord.setPosition(static_cast<int>(s.ListView1.rows.size()));
      if (!s.ListView1.rows.empty()) s.sbAddRecord.enabled = true;
      s.Label9.visible = false;
      s.RefreshRowDrawing();
      if (s.SetControlsEnabled) s.SetControlsEnabled(true);
    }
  } finish{s};
  const int total = result.total;
  s.pbReadAllRecords.setRange(0, total);
  s.pbReadAllRecords.setPosition(0);
  s.Label9.visible = true;
  s.Label9.caption = Ru("Записано 0 из ") + IntToStr(total);
  ui.processEvents(false);

  int& written = result.written;
  const std::vector<ImportRow>& rows = plan.rows();
  const auto stopped = [&](std::size_t from, const std::string& why) {
    result.outcome = ImportResult::Outcome::Stopped;
    for (std::size_t k = from; k < rows.size(); ++k)
      if (rows[k].status == ImportRow::Status::Write) result.leftOut.push_back(rows[k]);
    ui.messageBox(why + "\r\n" + Ru("Импорт остановлен: записано ") + IntToStr(written) +
                      Ru(" из ") + IntToStr(total) + ".",
                  MsgKind::Error, MsgButtons::Ok);
  };
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const ImportRow& row = rows[k];
    if (row.status != ImportRow::Status::Write) continue;
    try {
      port.RunAtCommand(row.command);
    } catch (const Exception& e) {
      stopped(k, e.what());
      return;
    }
    if (!port.CommandOk()) {
      stopped(k, Ru("Телефон не принял запись \"") + row.name + Ru("\" под номером ") +
                     IntToStr(row.index) + ".");
      return;
    }
    if (row.index >= 1 && static_cast<std::size_t>(row.index) <= s.Records.size()) {
      TAbonentInfo& r = s.Records[static_cast<std::size_t>(row.index) - 1];
      FillRecord(r, row, family, s.SimFirst);
      s.ListView1.rows.push_back(EntryRow(r, family, model, s.GroupNames));
      ++s.ListView1.revision;
    }
    ++written;
    s.pbReadAllRecords.setPosition(written);
    s.Label9.caption = Ru("Записано ") + IntToStr(written) + Ru(" из ") + IntToStr(total);
    s.pbReadAllRecords.showFigure(written, total);
    ui.processEvents(false);
    if (written < total && op.stopRequested()) {
      result.outcome = ImportResult::Outcome::Stopped;
      for (std::size_t rest = k + 1; rest < rows.size(); ++rest)
        if (rows[rest].status == ImportRow::Status::Write) result.leftOut.push_back(rows[rest]);
      op.stopped(StoppedText("записано", written, total));
      return;
    }
  }
  result.outcome = ImportResult::Outcome::Written;
  ui.messageBox(Ru("Записано в телефон: ") + IntToStr(written) + Ru(" из ") + IntToStr(total) + ".",
                MsgKind::Information, MsgButtons::Ok);
}

}  // namespace

ImportResult ImportVCardClick(PhoneBookSection& s, AppState& app, TfrmImportVCard& dialog) {
  UserInterface& ui = app.ui();
  ImportResult result;
  if (s.Records.empty()) {
    ui.messageBox(Ru("Перед импортом рекомендуется прочитать записи из справочника: свободные "
                     "номера берутся из последнего чтения."),
                  MsgKind::Information, MsgButtons::Ok);
    result.outcome = ImportResult::Outcome::NotRead;
    return result;
  }
  const std::optional<std::string> path = ui.chooseOpenFile(kVCardFilter);
  if (!path) return result;
  result.path = *path;
  const std::vector<VCard> cards = ParseVCards(ReadTextFile(*path));

  StoppableOperation op(app.stop(), ui, Ru("Импорт из vCard…"));
  app.LoadPortSettings();
  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
  const std::string model = CutModelName(port->RunAtCommand("AT+CGMM"), ModelCut::AfterModel);
  const Family family = FamilyOf(model);
  if (family == Family::None) {
    ui.messageBox(Ru("Запись в справочник для модели телефона \"") + model +
                      Ru("\" не поддерживается. Ничего не отправлено."),
                  MsgKind::Warning, MsgButtons::Ok);
    result.outcome = ImportResult::Outcome::Unsupported;
    return result;
  }
  dialog.Show(ui, VCardImportPlan(cards, s.Records, s.GroupNames, s.SimFirst, family));
  if (!dialog.Accepted) return result;

  result.total = dialog.Plan.count(ImportRow::Status::Write);
  for (const ImportRow& row : dialog.Plan.rows())
    if (row.status != ImportRow::Status::Write) result.leftOut.push_back(row);
  if (port->RunAtCommand("AT+CPBS=AD") != kExactOk ||
      port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) {
    ui.messageBox(Ru("Телефон не принял выбор справочника для записи. Ничего не записано."),
                  MsgKind::Error, MsgButtons::Ok);
    result.outcome = ImportResult::Outcome::Refused;
    return result;
  }
  WriteRows(s, ui, *port, dialog.Plan, family, model, result, op);
  return result;
}

}  // namespace quorvex::phonebook
