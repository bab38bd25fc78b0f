#include "cli/restore_command.h"

#include <ostream>

#include "backup/restore.h"
#include "backup/restore_texts.h"
#include "codec/ru.h"
#include "datebook/date_book_section.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::cli {

const char* const kRestoreSynopsis = "restore FILE";
const char* const kRestoreHelp =
    "Reads the whole handset, compares the backup FILE with it entry by entry and prints one\n"
    "row per entry: section, memory or folder, index, entry, state (совпадает, изменена,\n"
    "нет в телефоне, только в телефоне) and what a write does with it. With --yes the\n"
    "missing and changed entries are written (each to its old index when free, else to the\n"
    "lowest free one; what they overwrite goes to the bin first); entries only on the\n"
    "handset stay. Incoming messages cannot go back. Without --yes nothing is written.";

void RunRestoreCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                       std::ostream& out) {
  if (args.size() != 1) throw RestoreUsageError("restore needs exactly one backup file");
  ui.queueFile(Cp1251ToUtf8(args[0]));
  ui.dialogScript = [&ui, &out](ModalDialog& dialog) {
    auto* d = dynamic_cast<backup::TfrmRestore*>(&dialog);
    if (d == nullptr) return;
    AnswerPreview(*d, ui, out, backup::texts::AskWrite(d->Plan.Summary()));
  };
  phonebook::PhoneBookSection book;
  datebook::DateBookSection dates;
  sms::SmsSection messages;
  backup::TfrmRestore dialog;
  RunHandler(ui, [&] {
    backup::RestoreFromBackupClick(app, book, dates, messages, dialog, book.pbReadAllRecords);
  });
  ui.dialogScript = nullptr;
}

}  // namespace quorvex::cli
