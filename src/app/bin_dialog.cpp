#include "app/bin_dialog.h"

#include <algorithm>

#include "codec/errors.h"
#include "codec/ru.h"
#include "core/file_export.h"
#include "messages/sms_export.h"

namespace quorvex {

std::string BinSectionCaption(const BinRecord& r) {
  if (r.section == kBinPhoneBook) return Ru("Справочник");
  if (r.section == kBinDateBook) return Ru("Ежедневник");
  if (r.section == kBinMessages) return Ru("Сообщения");
  return r.section;
}

BinContents BinNewestFirst(const std::string& path) {
  BinContents bin = ReadBin(path);
  // The file is in the order of writing; a rewrite keeps that order, so the last is newest.
  std::reverse(bin.records.begin(), bin.records.end());
  return bin;
}

std::vector<BinRestoreResult> RestoreBinRecords(AppState& app, phonebook::PhoneBookSection& book,
                                                datebook::DateBookSection& dates,
                                                sms::SmsSection& messages,
                                                const std::vector<BinRecord>& chosen) {
  std::vector<BinRestoreResult> results(chosen.size());
  for (std::size_t k = 0; k < chosen.size(); ++k) {
    results[k].id = chosen[k].id;
    results[k].where = Ru("раздел \"") + chosen[k].section + Ru("\" не известен");
  }
  const auto through = [&](std::string_view section, auto restore) {
    std::vector<BinRecord> part;
    std::vector<std::size_t> at;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
      if (chosen[k].section != section) continue;
      part.push_back(chosen[k]);
      at.push_back(k);
    }
    if (part.empty()) return;
    const std::vector<BinRestoreResult> got = restore(part);
    for (std::size_t k = 0; k < got.size() && k < at.size(); ++k) results[at[k]] = got[k];
  };
  through(kBinPhoneBook, [&](const auto& part) { return book.RestoreFromBin(app, part); });
  through(kBinDateBook, [&](const auto& part) { return dates.RestoreFromBin(app, part); });
  through(kBinMessages, [&](const auto& part) { return messages.RestoreFromBin(app, part); });

  std::vector<std::int64_t> back;
  for (const BinRestoreResult& r : results)
    if (r.restored) back.push_back(r.id);
  if (!back.empty()) {
    try {
      RemoveFromBin(app.binPath, back);
    } catch (const EInOutError& e) {
      app.ui().messageBox(Ru("Записи восстановлены, но корзину не удалось переписать: ") +
                              e.what() + Ru(". Они остаются и в корзине."),
                          MsgKind::Warning, MsgButtons::Ok);
    }
  }
  return results;
}

std::string RestoreReport(const std::vector<BinRecord>& chosen,
                          const std::vector<BinRestoreResult>& results) {
  std::string out;
  for (std::size_t k = 0; k < chosen.size() && k < results.size(); ++k) {
    if (!out.empty()) out += "\r\n";
    out += chosen[k].caption + ": " +
           (results[k].restored ? Ru("восстановлено ") : Ru("не восстановлено, ")) +
           results[k].where;
  }
  return out;
}

TfrmBin::TfrmBin() {
  Caption = Ru("Корзина");
  using A = ListColumn::Align;
  lvBin.columns = {{"#", 40, A::Left, kNoImage},          {Ru("Когда"), 130, A::Left, kNoImage},
                   {Ru("Раздел"), 90, A::Left, kNoImage}, {Ru("Что"), 150, A::Left, kNoImage},
                   {Ru("Текст"), 200, A::Left, kNoImage}, {Ru("Телефон"), 150, A::Left, kNoImage}};
  btnRestore.caption = Ru("Восстановить");
  btnExportCsv.caption = Ru("Экспорт в CSV...");
  btnExportMbox.caption = Ru("Экспорт в mbox...");
  btnClose.caption = Ru("Закрыть");
  lvBinSelectItem();
}

void TfrmBin::load(UserInterface& ui) {
  (void)ui;
  const BinContents bin = BinNewestFirst(path_);
  Records = bin.records;
  lvBin.clear();
  for (const BinRecord& r : Records) {
    ListRow& row = lvBin.add(std::to_string(r.id));
    std::string handset = r.model.empty() ? Ru("модель неизвестна") : r.model;
    if (!r.imei.empty()) handset += ", IMEI " + r.imei;
    std::string text = r.text;
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; }, ' ');
    for (std::string cell : {r.time, BinSectionCaption(r), r.caption, text, handset})
      row.subItems.push_back({std::move(cell), kNoImage});
  }
  lblSummary.caption = Ru("Записей: ") + std::to_string(Records.size());
  if (bin.skipped > 0)
    lblSummary.caption += Ru(", повреждённых строк пропущено: ") + std::to_string(bin.skipped);
  lvBinSelectItem();
}

bool TfrmBin::Open(UserInterface& ui, const std::string& path) {
  path_ = path;
  try {
    load(ui);
  } catch (const EInOutError& e) {
    ui.messageBox(Ru("Корзину не прочитать: ") + e.what() + ".", MsgKind::Error, MsgButtons::Ok);
    return false;
  }
  open();
  return true;
}

void TfrmBin::Show(UserInterface& ui, const std::string& path) {
  if (Open(ui, path)) ShowModal(ui, *this);
}

std::vector<BinRecord> TfrmBin::chosen() const {
  std::vector<BinRecord> out;
  for (std::size_t k = 0; k < lvBin.rows.size() && k < Records.size(); ++k)
    if (lvBin.rows[k].selected) out.push_back(Records[k]);
  return out;
}

void TfrmBin::lvBinSelectItem() {
  const std::vector<BinRecord> picked = chosen();
  btnRestore.enabled = !picked.empty();
  const bool messages = std::any_of(picked.begin(), picked.end(),
                                    [](const BinRecord& r) { return r.section == kBinMessages; });
  btnExportCsv.enabled = messages;
  btnExportMbox.enabled = messages;
}

void TfrmBin::btnRestoreClick(UserInterface& ui) {
  const std::vector<BinRecord> picked = chosen();
  if (picked.empty() || !Restore) {
    ui.messageBox(Ru("Нет выбранной записи..."), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  const std::vector<BinRestoreResult> results = Restore(picked);
  ui.messageBox(RestoreReport(picked, results), MsgKind::Information, MsgButtons::Ok);
  try {
    load(ui);
  } catch (const EInOutError& e) {
    ui.messageBox(Ru("Корзину не прочитать: ") + e.what() + ".", MsgKind::Error, MsgButtons::Ok);
  }
}

void TfrmBin::btnExportClick(UserInterface& ui, sms::MessageFormat format) {
  std::vector<BinRecord> picked = chosen();
  std::erase_if(picked, [](const BinRecord& r) { return r.section != kBinMessages; });
  const std::vector<ListRow> rows = sms::MessageRowsFromBin(picked);
  if (rows.empty()) {
    ui.messageBox(Ru("Выберите сообщения для экспорта."), MsgKind::Information, MsgButtons::Ok);
    return;
  }
  const bool csv = format == sms::MessageFormat::Csv;
  const std::optional<std::string> path = csv ? ui.chooseSaveFile(sms::kCsvFilter, sms::kCsvExt)
                                              : ui.chooseSaveFile(sms::kMboxFilter, sms::kMboxExt);
  if (!path) return;
  try {
    if (csv)
      sms::WriteMessagesCsv(*path, Caption, rows);
    else
      sms::WriteMessagesMbox(*path, Caption, rows, LocalTimeToTime(ui.now()));
  } catch (const EInOutError& e) {
    ui.messageBox(Ru("Файл не записан: ") + e.what() + ".", MsgKind::Error, MsgButtons::Ok);
    return;
  }
  ui.messageBox(Ru("Сообщений записано: ") + std::to_string(rows.size()) + ".",
                MsgKind::Information, MsgButtons::Ok);
}

}  // namespace quorvex
