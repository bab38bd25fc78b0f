// Messages of a folder read (the rows of lvSMS, the archive view too) as a CSV table for a
// spreadsheet and as an mbox mailbox for a mail program. Both are UTF-8, unlike every
// other file the system writes: they are meant for programs that expect it. The
// thirteen-line export of "Сохранить" stays as it is (ExportRecord in sms_section.h).
//
// CSV (RFC 4180):
//   - starts with the UTF-8 byte order mark, without which common spreadsheets read the
//     file in the locale's 8-bit code page and show the Cyrillic as noise;
//   - every row ends with CR LF; every field is quoted and a quote inside is doubled, so
//     commas, semicolons (the separator of some locales) and line breaks inside a text stay
//     in their cell; a text's own line breaks are kept as they are;
//   - a header row "Папка","Статус","Номер","Дата","Время","Текст", then one row per
//     message in list order;
//   - Дата/Время: the handset's time stamp, "yy/MM/dd,hh:mm:ss±zz" or "yyyy/M/d,hh:mm:ss"
//     (one or two digits of month, day and hour, two or four of the year, the zone in
//     quarter hours or none, quoted or not), becomes "yyyy-MM-dd" and "hh:mm:ss±HH:MM", or
//     "hh:mm:ss" without a zone, so no spreadsheet takes the year for a day; a message
//     without a time ("-------------") leaves both empty; any other text stands in Дата
//     unchanged;
//   - a field that a spreadsheet would take for a formula gets a leading apostrophe, which
//     makes the cell text: one that begins with "=" or "@", one that begins with "+" or "-"
//     and is not a plain number (a sign, digits, at most one decimal point), and one that
//     begins with TAB or CR. A sender name is chosen by whoever sent the message. Numbers
//     such as "+79161234501" and "-123" are written as they are.
//
// mbox (the "mboxrd" form, LF line ends): each message is a From_ line, RFC 5322 headers,
// an empty line, the text and an empty line. Incoming and archived messages come From
// the other party To the handset, outgoing ones and drafts the other way; the other
// party's address is its number at sms.invalid, the handset's me@handset.invalid.
// Headers: From, To, Date (when the handset gave a time), Subject (the text's first line,
// at most 60 characters), X-Quorvex-Folder, X-Quorvex-Status, X-Quorvex-Index (the storage
// index, when the row has one), MIME-Version, Content-Type: text/plain; charset=UTF-8,
// Content-Transfer-Encoding: 8bit. A header text that is not plain ASCII is written as
// RFC 2047 encoded-words ("=?UTF-8?B?...?="). In the text, CR LF and a lone CR become
// LF, and a line that begins with "From " after any number of ">" gets one more ">", which
// a reader of mboxrd removes again. The From_ line carries the message's time in UTC, or
// the export time for a message without one; a time stamp without a zone is taken as UTC
// there and written with the zone "-0000" (no zone known) in Date.
//
// Both leave out every control character of a cell but line breaks and TAB.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_export.h"
#include "core/list_model.h"

namespace quorvex::sms {

// The handset's date/time text as the CSV's two cells (see above).
struct CsvDateTime {
  std::string date;
  std::string time;
  bool operator==(const CsvDateTime&) const = default;
};
CsvDateTime SplitMessageTime(std::string_view dateTime);

// folder: the folder's caption (cp1251, such as "Входящие"); rows: cp1251, as lvSMS holds
// them. Both return UTF-8 text.
std::string FormatMessagesCsv(std::string_view folder, const std::vector<ListRow>& rows);
std::string FormatMessagesMbox(std::string_view folder, const std::vector<ListRow>& rows,
                               std::time_t exportTime);

// Write the text to path through a temporary file beside it, renamed over it when
// complete, so a failed export leaves an earlier file as it was. Raise EInOutError.
void WriteMessagesCsv(const std::string& path, std::string_view folder,
                      const std::vector<ListRow>& rows);
void WriteMessagesMbox(const std::string& path, std::string_view folder,
                       const std::vector<ListRow>& rows, std::time_t exportTime);

inline constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv|All files (*.*)|*.*";
inline constexpr const char* kCsvExt = "*.csv";
inline constexpr const char* kMboxFilter = "mbox files (*.mbox)|*.mbox|All files (*.*)|*.*";
inline constexpr const char* kMboxExt = "*.mbox";

class SmsSection;
enum class MessageFormat { Csv, Mbox };

// "Экспорт SMS в CSV/mbox": every row of the message list to the file the save dialog names,
// under the caption of the selected folder node; mbox stamps messages without a time with
// the seam's clock. The count is the messages written. Refuses as RefuseExport does; file
// errors raise EInOutError.
ExportResult ExportMessages(const SmsSection& section, UserInterface& ui, MessageFormat format);

}  // namespace quorvex::sms
