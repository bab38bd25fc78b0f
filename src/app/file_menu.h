// The "Файл" menu's exports: the phone book to vCard, the date book to iCalendar, the
// messages of the list to CSV and mbox. Each runs its section's export operation and tells in
// a box what it wrote; the operation itself tells an empty list and a read that stopped, and
// does nothing more when the save dialog is cancelled. File errors escape as EInOutError to
// the standard error box. The vCard import is the phone book's own operation
// (phonebook::ImportVCardClick).
#pragma once

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

}  // namespace quorvex
