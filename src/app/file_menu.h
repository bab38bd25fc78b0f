// The "Файл" menu's exports: the phone book to vCard, the date book to iCalendar, the
// messages of the list to CSV and mbox. Each runs its section's export operation and tells in
// a box what it wrote; the operation itself tells an empty list and a read that stopped, and
// does nothing more when the save dialog is cancelled. File errors escape as EInOutError to
// the standard error box. The vCard import is the phone book's own operation
// (phonebook::ImportVCardClick). The phone backup writes the whole handset to one archive.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "backup/whole_phone_read.h"
#include "core/app_state.h"
#include "datebook/date_book_section.h"
#include "messages/sms_export.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_section.h"
#include "phonebook/vcard.h"

namespace quorvex {

void ExportPhoneBookVCard(phonebook::PhoneBookSection& section, AppState& app,
                          phonebook::VCardVersion version);

// The events that cannot be placed in a calendar are named in the box.
void ExportDateBookICal(datebook::DateBookSection& section, AppState& app);

using sms::MessageFormat;
void ExportMessages(sms::SmsSection& section, AppState& app, MessageFormat format);

inline constexpr const char* kBackupFilter = "Zip archives (*.zip)|*.zip|All files (*.*)|*.*";
inline constexpr const char* kBackupExt = "*.zip";

// A save dialog that proposes a file name; unset, the seam's save dialog asks without one.
using ChooseNamedFile = std::function<std::optional<std::string>(const std::string& proposed)>;

// "Резервная копия телефона...": the save dialog proposes quorvex-<model>-<date>.zip (the model
// the program last saw), then the whole handset is read into the window's own sections, which
// show it afterwards, and written; a box names the file and the counts. A cancelled dialog
// reads nothing.
void BackupWholePhone(AppState& app, WholePhoneSections sections, WholeReadProgress& progress,
                      const ChooseNamedFile& choose);

}  // namespace quorvex
