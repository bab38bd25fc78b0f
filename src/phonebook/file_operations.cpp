// Saving the phone book to a file and loading a file into the handset.
#include <algorithm>
#include <optional>

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::phonebook {

using text::IntToStr;

namespace {

constexpr std::int32_t kNoSuchDevice = 2;

std::unique_ptr<TBlockSerial> OpenQuietly(AppState& app, UserInterface& ui) {
  auto port = std::make_unique<TBlockSerial>();
  port->RaiseOnError = false;
  port->OpenPort(app.settings().PortName);
  if (port->LastError() == kNoSuchDevice)
    ui.messageBox(Ru("не подключен"), MsgKind::Message, MsgButtons::Ok);
  port->SetLineParams(app.settings().BaudRate, 8, 'N', 0, false, false);
  return port;
}

}  // namespace

void PhoneBookSection::pmSaveBookClick(AppState& app) {
  UserInterface& ui = app.ui();
  if (ListView1.rows.empty()) {
    ui.messageBox(Ru("Список пуст, сохранять нечего !"), MsgKind::Information, MsgButtons::Ok);
    return;
  }
  std::string model;
  {
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(false);
    model = CutModelName(port->RunAtCommand("AT+CGMM"));
  }
  // Only the first format exists, and only for the Classic handsets. Anything else is said
  // before a file is chosen, and no file is touched: an empty file in place of an older
  // backup would throw that backup away.
  if (frmOption.rgFileFormat.itemIndex != 0) {
    ui.messageBox(Ru("Пока не работает"), MsgKind::Information, MsgButtons::Ok);
    return;
  }
  if (FamilyOf(model) != Family::Classic) {
    ui.messageBox(Ru("Сохранение телефонной книги для модели телефона \"") + model +
                      Ru("\" пока не поддерживается. Файл не записан."),
                  MsgKind::Warning, MsgButtons::Ok);
    return;
  }
  const std::optional<std::string> path = ui.chooseSaveFile(kSaveFilter, kDefaultExt);
  if (!path) return;
  WriteTextFile(*path, FormatPhoneBookFile(Records, PhoneFirst, SimFirst));
}

void PhoneBookSection::pmLoadRecordClick(AppState& app) {
  UserInterface& ui = app.ui();
  enterBusy();
  struct Finish {
    PhoneBookSection& s;
    ~Finish() {
      s.pbReadAllRecords.setPosition(0);
      s.pbFullRecord.setRange(0, s.SimLast);
      s.pbFullRecord.setPosition(static_cast<int>(s.ListView1.rows.size()));
      if (!s.ListView1.rows.empty()) s.sbAddRecord.enabled = true;
      s.Label9.visible = false;
      s.RefreshRowDrawing();
      s.leaveBusy();
    }
  } finish{*this};

  // ---- Reading phase.
  std::string model;
  {
    const std::unique_ptr<TBlockSerial> port = OpenQuietly(app, ui);
    model = CutModelName(port->RunAtCommand("AT+CGMM"));
    port->RunAtCommand("AT +CPBS=ME");
    CutStorageBounds(port->RunAtCommand("AT+MPBR=?"), PhoneFirst, PhoneLast);
    port->RunAtCommand("AT +CPBS=SM");
    CutStorageBounds(port->RunAtCommand("AT+MPBR=?"), SimFirst, SimLast);
    port->RunAtCommand("AT+CPBS=MT");
  }
  const Family family = FamilyOf(model);
  if (SimLast > kMaxPhoneBookIndex) {
    ui.messageBox(Ru("Невозможно получить информацию о записях."), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  const std::optional<std::string> path = ui.chooseOpenFile(kOpenFilter);
  if (!path) return;

  ListView1.clear();
  if (family == Family::Classic && ListView1.columns.size() == kGroupedColumns) {
    ListView1.columns.resize(kBaseColumns);
    ++ListView1.revision;
  } else if (HasGroups(family) && ListView1.columns.size() == kBaseColumns) {
    AddGroupColumns(ListView1);
    ui.processEvents(true);
  }

  // The whole file is taken apart before the table changes: a line that fails leaves the
  // records as they were, and a line whose slot lies outside the table is set aside.
  const std::int32_t tableSize = std::max(SimLast, 0);
  const std::string content = ReadTextFile(*path, kMaxPhoneBookFileBytes);
  // A later line for the same slot replaces the earlier one, as the records are filled line
  // by line; what waits for the table is therefore never more than the table itself.
  std::vector<std::optional<TAbonentInfo>> staged(static_cast<std::size_t>(tableSize));
  int linesRead = 0;
  int skipped = 0;
  for (const std::string_view line : SplitFileLines(content)) {
    FileEntry e = ParseFileLine(line, PhoneLast, family);
    if (e.slot < 0 || e.slot >= tableSize) {
      ++skipped;
      continue;
    }
    staged[static_cast<std::size_t>(e.slot)] = std::move(e.record);
    ++linesRead;
  }
  Records.resize(static_cast<std::size_t>(tableSize));
  const std::vector<TAbonentInfo> before = Records;
  std::vector<bool> fromFile(Records.size(), false);
  for (std::size_t slot = 0; slot < staged.size(); ++slot) {
    if (!staged[slot]) continue;
    // The handset is given no icon for a line of the file (the eleventh field is 255), and
    // the table says so too.
    staged[slot]->IconId = kNoIcon;
    Records[slot] = std::move(*staged[slot]);
    fromFile[slot] = true;
  }

  // ---- Writing phase. A line of the file that does not reach the handset leaves its slot
  // as it was before the load, however the phase ends.
  std::vector<bool> written(Records.size(), false);
  struct Restore {
    std::vector<TAbonentInfo>& records;
    const std::vector<TAbonentInfo>& before;
    const std::vector<bool>& fromFile;
    const std::vector<bool>& written;
    ~Restore() {
      for (std::size_t k = 0; k < records.size() && k < before.size(); ++k)
        if (fromFile[k] && !written[k]) records[k] = before[k];
    }
  } restore{Records, before, fromFile, written};

  Label9.visible = true;
  const std::unique_ptr<TBlockSerial> port = OpenQuietly(app, ui);
  port->ReplyTimeout = app.settings().TimeOut;
  port->RunAtCommand("AT+CPBS=MT");
  port->RunAtCommand("AT+CSCS=UCS2");
  pbReadAllRecords.setRange(0, linesRead);
  pbReadAllRecords.setPosition(0);
  int left = linesRead;
  int refused = 0;
  const std::size_t columns = ListView1.columns.size();
  const bool layoutFits = (family == Family::Classic && columns == kBaseColumns) ||
                          (HasGroups(family) && columns == kGroupedColumns);
  for (std::size_t k = 0; layoutFits && k < Records.size(); ++k) {
    TAbonentInfo& r = Records[k];
    if (r.Index == 0 || r.Number.empty()) continue;
    const std::string nameHex = NameHexFor(r);
    port->RunAtCommand(RecordWriteCommand(r, family));
    bool accepted = port->CommandOk();
    if (port->LastErrorText() != "OK" && port->LastError() == ErrTimeout) {
      if (ui.messageBox(port->LastErrorText() + "\r\n" + Ru("Продолжить запись?"), MsgKind::Warning,
                        MsgButtons::YesNo) != MsgResult::Yes) {
        break;
      }
      accepted = true;  // the user goes on with this record as written
    }
    if (!accepted) {
      ++refused;
      ui.processEvents(false);
      continue;
    }
    // What the handset keeps of the name is what its character set can carry.
    r.NameHex = nameHex;
    r.Name = Ucs2FieldToText(nameHex);
    written[k] = true;
    ListView1.rows.push_back(LoadedRow(r, family, GroupNames));
    ++ListView1.revision;
    --left;
    pbReadAllRecords.setPosition(pbReadAllRecords.Max - left);
    // The label changes before the repaint, so that it shows the record just written.
    Label9.caption = Ru("Записано ") + IntToStr(pbReadAllRecords.Position) + Ru(" из ") +
                     IntToStr(pbReadAllRecords.Max);
    ui.processEvents(false);
  }

  if (skipped > 0) {
    ui.messageBox(Ru("Строк файла пропущено: ") + IntToStr(skipped) +
                      Ru(". Номера их записей лежат вне справочника телефона."),
                  MsgKind::Warning, MsgButtons::Ok);
  }
  if (refused > 0) {
    ui.messageBox(Ru("Телефон не принял записей: ") + IntToStr(refused) +
                      Ru(". Они не записаны и в список не внесены."),
                  MsgKind::Warning, MsgButtons::Ok);
  }
}

}  // namespace quorvex::phonebook
