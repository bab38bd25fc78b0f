// Restoring a backup onto a handset without wiping it and without writing anything twice:
// the handset is read whole first, the backup compared with it (restore_plan.h), the
// differences shown in the preview TfrmRestore, and only the rows the user chose written.
//
// The write, section by section (phone book, date book, messages): first the erases of
// entries only on the handset, then the changed entries over the handset's, then the
// missing ones. An entry goes back to its old index when that index of its memory is free
// (or holds the changed entry it replaces), else to the lowest free index of its memory;
// messages go back with the store command into their folder, outgoing ones with their
// status. Whatever is erased or overwritten goes to the bin before the first command that
// erases. The first write the handset refuses stops the restore: the box says how far it got.
#pragma once

#include <string>

#include "backup/phone_backup.h"
#include "backup/restore_plan.h"
#include "backup/whole_phone_read.h"
#include "core/app_state.h"
#include "core/controls.h"
#include "core/user_interface.h"

namespace quorvex::phonebook {
class PhoneBookSection;
}
namespace quorvex::datebook {
class DateBookSection;
}
namespace quorvex::sms {
class SmsSection;
}

namespace quorvex::backup {

inline constexpr const char* kRestoreFileFilter = "Zip archives (*.zip)|*.zip|All files (*.*)|*.*";

// The preview: one row per entry with a check box; the rows that can be written start ticked
// as the plan chose them (missing and changed). A window mirrors Plan.PreviewList() and each
// row's chosen and choosable flags, forwards a tick to rowChecked, and the two buttons to
// btnWriteClick and btnCancelClick; closing by the frame counts as "Отмена".
class TfrmRestore : public ModalDialog {
 public:
  std::string dialogName() const override { return "TfrmRestore"; }
  void closeByFrame() override { btnCancelClick(); }

  std::string Caption;
  RestorePlan Plan;
  Label lblSummary;
  Label btnWrite;  // enabled while a row is chosen
  Label btnCancel;
  bool Accepted = false;
  int revision = 0;  // bumped by every change of the rows, for a view to follow

  void Show(UserInterface& ui, RestorePlan plan);
  // The user ticked or unticked a row; a row that cannot be chosen stays as it is.
  void rowChecked(std::size_t row, bool chosen);
  void btnWriteClick();
  void btnCancelClick();

 private:
  void refresh();
};

struct RestoreResult {
  enum class Outcome {
    NotRead,    // the handset could not be read whole: nothing compared, nothing written
    Cancelled,  // the file dialog or the preview was cancelled
    Nothing,    // nothing was chosen
    NoBin,      // the bin could not keep what would be erased: nothing written
    Written,    // every chosen row went in
    Refused,    // the handset refused a command: `done` of `total` went in
    Stopped,    // the user stopped: `done` of `total` went in
  };
  Outcome outcome = Outcome::Cancelled;
  int done = 0, total = 0;
  std::string text;  // cp1251: what the box said
};

// Writes the plan's chosen rows onto the handset the plan was made for, with progress on
// `bar` and the stop request asked after each command; tells the outcome in a box. Port
// errors escape.
RestoreResult WriteChosen(AppState& app, RestorePlan& plan, ProgressBar& bar);

// What a read of the handset found, in the backup's form, and what the handset can hold.
struct HandsetNow {
  bool complete = false;  // every section was read to its end
  PhoneBackup contents;
  HandsetShape shape;
};
// Reads the whole handset (ReadWholePhone) and what its sections then know of its memories.
HandsetNow ReadHandsetNow(AppState& app, phonebook::PhoneBookSection& book,
                          datebook::DateBookSection& dates, sms::SmsSection& messages,
                          WholeReadProgress& progress);

// Reads the handset, shows the preview of the backup against it and, on "Записать", writes
// the chosen rows; the sections' lists are emptied afterwards, so that the next edit starts
// from a new read.
RestoreResult RestoreBackup(AppState& app, phonebook::PhoneBookSection& book,
                            datebook::DateBookSection& dates, sms::SmsSection& messages,
                            const PhoneBackup& backup, TfrmRestore& dialog, ProgressBar& bar);

// "Восстановить из копии...": the open dialog, the backup file read (its errors escape as
// EInOutError before anything is sent), then RestoreBackup. Cancelled when no file is chosen.
RestoreResult RestoreFromBackupClick(AppState& app, phonebook::PhoneBookSection& book,
                                     datebook::DateBookSection& dates, sms::SmsSection& messages,
                                     TfrmRestore& dialog, ProgressBar& bar);

}  // namespace quorvex::backup
