// The "Файл" menu's exports and the import: the phone book to vCard and back, the date book
// to iCalendar, the messages of the list to CSV and mbox. Each asks for its file through
// the user-interface seam, does nothing when that dialog is cancelled, and tells in a box
// what it wrote. File errors escape as EInOutError to the standard error box.
#pragma once

#include <ctime>
#include <string>

#include "core/app_state.h"
#include "datebook/date_book_section.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_section.h"
#include "phonebook/vcard.h"

namespace quorvex {

inline constexpr const char* kICalFilter = "iCalendar files (*.ics)|*.ics|All files (*.*)|*.*";
inline constexpr const char* kICalExt = "*.ics";
inline constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv|All files (*.*)|*.*";
inline constexpr const char* kCsvExt = "*.csv";
inline constexpr const char* kMboxFilter = "mbox files (*.mbox)|*.mbox|All files (*.*)|*.*";
inline constexpr const char* kMboxExt = "*.mbox";

// The section's vCard export, followed by a box with the file and the number of entries
// once a file was written.
void ExportPhoneBookVCard(phonebook::PhoneBookSection& section, AppState& app,
                          phonebook::VCardVersion version);

// The events of the last read as an .ics file; the events that cannot be placed in a
// calendar are named in the box.
void ExportDateBookICal(datebook::DateBookSection& section, AppState& app);

enum class MessageFormat { Csv, Mbox };
// Every row of the message list, under the folder whose node is selected.
void ExportMessages(sms::SmsSection& section, AppState& app, MessageFormat format);

// The seam's clock as the calendar time it stands for on this machine.
std::time_t LocalTimeToTime(const LocalTime& t);

}  // namespace quorvex
