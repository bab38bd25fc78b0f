#include "cli/bin_commands.h"

#include <ostream>

#include "app/bin_dialog.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/ru.h"

namespace quorvex::cli {

const char* const kBinSynopsis = "bin list | bin restore ID...";
const char* const kBinHelp =
    "The bin (recycle_bin.txt beside portcfg.ini) keeps what an erase, an edit, a write-all,\n"
    "a load or a message delete took off the handset.\n"
    "  bin list          one record per line, newest first: id, time, section, caption, text\n"
    "  bin restore ID... writes those records back: a phone book entry or an event to its\n"
    "                    old index when free, else the lowest free one of its memory; an\n"
    "                    outgoing message is stored again. Prints per record: id, caption,\n"
    "                    where it went or why not. Restored records leave the bin.";

namespace {

void List(AppState& app, CliUserInterface& ui, std::ostream& out) {
  const BinContents bin = BinNewestFirst(app.binPath);
  ListModel list;
  for (const BinRecord& r : bin.records) {
    ListRow& row = list.add(std::to_string(r.id));
    for (const std::string& cell : {r.time, BinSectionCaption(r), r.caption, r.text})
      row.subItems.push_back({cell, kNoImage});
  }
  PrintList(list, out);
  if (bin.skipped > 0) {
    ui.messageBox(Ru("Повреждённых строк корзины пропущено: ") + std::to_string(bin.skipped) + ".",
                  MsgKind::Warning, MsgButtons::Ok);
  }
}

void Restore(AppState& app, CliUserInterface& ui, const std::vector<std::int64_t>& ids,
             std::ostream& out) {
  const BinContents bin = ReadBin(app.binPath);
  std::vector<BinRecord> chosen;
  for (const std::int64_t id : ids) {
    bool found = false;
    for (const BinRecord& r : bin.records) {
      if (r.id != id) continue;
      chosen.push_back(r);
      found = true;
      break;
    }
    if (!found) {
      ui.messageBox(Ru("В корзине нет записи ") + std::to_string(id) + ".", MsgKind::Error,
                    MsgButtons::Ok);
    }
  }
  if (chosen.empty()) return;
  phonebook::PhoneBookSection book;
  datebook::DateBookSection dates;
  sms::SmsSection messages;
  const std::vector<BinRestoreResult> results =
      RestoreBinRecords(app, book, dates, messages, chosen);
  ListModel list;
  for (std::size_t k = 0; k < results.size(); ++k) {
    ListRow& row = list.add(std::to_string(results[k].id));
    const std::string outcome =
        (results[k].restored ? Ru("восстановлено ") : Ru("не восстановлено, ")) + results[k].where;
    row.subItems.push_back({chosen[k].caption, kNoImage});
    row.subItems.push_back({outcome, kNoImage});
  }
  PrintList(list, out);
}

}  // namespace

void RunBinCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                   std::ostream& out) {
  if (args.empty()) throw BinUsageError("bin needs list or restore");
  if (args[0] == "list") {
    if (args.size() != 1) throw BinUsageError("bin list takes no arguments");
    RunHandler(ui, [&] { List(app, ui, out); });
    return;
  }
  if (args[0] != "restore") throw BinUsageError("unknown bin command " + args[0]);
  if (args.size() < 2) throw BinUsageError("bin restore needs at least one ID");
  std::vector<std::int64_t> ids;
  for (std::size_t k = 1; k < args.size(); ++k) {
    try {
      const std::int32_t id = text::StrToInt(args[k]);
      if (id < 1) throw EConvertError(args[k]);
      ids.push_back(id);
    } catch (const EConvertError&) {
      throw BinUsageError("bin restore needs record ids, not '" + args[k] + "'");
    }
  }
  RunHandler(ui, [&] {
    app.LoadPortSettings();
    Restore(app, ui, ids, out);
  });
}

}  // namespace quorvex::cli
