#include "messages/sms_export.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "codec/atomic_file.h"
#include "codec/civil_date.h"
#include "codec/cp1251.h"
#include "codec/errors.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "messages/message_rows.h"
#include "messages/sms_section.h"

namespace quorvex::sms {

namespace {

// An archived row holds whatever its line held; a control character other than a line
// break or TAB has no place in a table cell or a mail.
std::string Cell(const ListRow& row, std::size_t k) {
  return k < row.subItems.size() ? DropControls(row.subItems[k].text, true) : std::string();
}

// The time stamp of a received message. Handsets write it as "yy/MM/dd,hh:mm:ss±zz", zz
// counting quarter hours east of UTC, or as "yyyy/M/d,hh:mm:ss" without a zone; month, day
// and hour come with one digit or two, the year with two or four, the zone may be missing,
// and the whole may stand in double quotes.
struct MessageTime {
  int year, month, day, hour, minute, second;
  std::optional<int> zoneMinutes;
};

// The digits at s[at], at least `least` and at most `most` of them; at moves past them.
std::optional<int> Digits(std::string_view s, std::size_t& at, std::size_t least,
                          std::size_t most) {
  std::size_t n = 0;
  while (n < most && at + n < s.size() && s[at + n] >= '0' && s[at + n] <= '9') ++n;
  if (n < least) return std::nullopt;
  const auto v = FixedDigits(s, at, n);
  at += n;
  return v;
}

bool Take(std::string_view s, std::size_t& at, char c) {
  if (at >= s.size() || s[at] != c) return false;
  ++at;
  return true;
}

std::optional<MessageTime> ParseMessageTime(std::string_view s) {
  s = UnquotedField(s);
  std::size_t at = 0;
  const auto y = Digits(s, at, 2, 4);
  const std::size_t yearDigits = at;
  if (!y || yearDigits == 3) return std::nullopt;
  std::optional<int> mo, d, h, mi, se, z;
  if (!Take(s, at, '/') || !(mo = Digits(s, at, 1, 2)) || !Take(s, at, '/') ||
      !(d = Digits(s, at, 1, 2)) || !Take(s, at, ',') || !(h = Digits(s, at, 1, 2)) ||
      !Take(s, at, ':') || !(mi = Digits(s, at, 2, 2)) || !Take(s, at, ':') ||
      !(se = Digits(s, at, 2, 2)))
    return std::nullopt;
  int sign = 0;
  if (Take(s, at, '+')) {
    sign = 1;
  } else if (Take(s, at, '-')) {
    sign = -1;
  }
  if (sign != 0 && !(z = Digits(s, at, 1, 2))) return std::nullopt;
  if (at != s.size()) return std::nullopt;
  // A two-digit year is this century's: no handset with these commands is older.
  const int year = yearDigits == 2 ? 2000 + *y : *y;
  if (*d < 1 || *d > DaysInMonth(year, *mo) || *h > 23 || *mi > 59 || *se > 59 || (z && *z > 56))
    return std::nullopt;
  MessageTime t{year, *mo, *d, *h, *mi, *se, std::nullopt};
  if (z) t.zoneMinutes = sign * *z * 15;
  return t;
}

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* Weekday(std::int64_t days) {
  return kWeekdays[WeekdayOfDays(days)];
}

// "+HHMM" or "-HHMM" of a zone in minutes; RFC 5322's "-0000" for a time without a zone.
std::string ZoneText(std::optional<int> zoneMinutes, bool colon) {
  const int m = zoneMinutes.value_or(0);
  const int a = m < 0 ? -m : m;
  char buf[16];
  std::snprintf(buf, sizeof buf, colon ? "%c%02d:%02d" : "%c%02d%02d",
                m < 0 || !zoneMinutes ? '-' : '+', a / 60, a % 60);
  return buf;
}

// RFC 5322: "Tue, 01 Dec 2026 09:15:32 +0300".
std::string MailDate(const MessageTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d ",
                Weekday(DaysFromCivil(t.year, t.month, t.day)), t.day, kMonths[t.month - 1], t.year,
                t.hour, t.minute, t.second);
  return buf + ZoneText(t.zoneMinutes, false);
}

// The From_ line's time: asctime() form in UTC, "Tue Dec  1 06:15:32 2026".
std::string EnvelopeDate(std::int64_t unixSeconds) {
  std::int64_t days = unixSeconds / 86400;
  std::int64_t rest = unixSeconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const CivilDate date = CivilFromDays(days);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s %s %2d %02d:%02d:%02d %lld", Weekday(days),
                kMonths[date.month - 1], date.day, static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60),
                static_cast<long long>(date.year));
  return buf;
}

// A time without a zone is taken as UTC: nothing tells where the handset was.
std::int64_t UnixSeconds(const MessageTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second -
         t.zoneMinutes.value_or(0) * 60;
}

// ---- CSV

// A sign, digits and at most one decimal point among them: a spreadsheet reads it as a
// figure, never as a formula.
bool PlainNumber(std::string_view s) {
  std::size_t k = s.empty() || (s[0] != '+' && s[0] != '-') ? 0 : 1;
  bool digits = false, point = false;
  for (; k < s.size(); ++k) {
    if (s[k] >= '0' && s[k] <= '9') {
      digits = true;
    } else if (s[k] == '.' && !point && digits) {
      point = true;
    } else {
      return false;
    }
  }
  return digits && s.back() != '.';
}

// What a spreadsheet would evaluate: a cell that starts with one of the formula signs and
// is no plain number, and one that starts with TAB or CR, which some of them skip before
// looking for a sign.
bool TakenForFormula(std::string_view utf8) {
  if (utf8.empty()) return false;
  switch (utf8[0]) {
    case '\t':
    case '\r':
    case '=':
    case '@':
      return true;
    case '+':
    case '-':
      return !PlainNumber(utf8);
    default:
      return false;
  }
}

std::string CsvField(std::string_view cp1251) {
  std::string utf8 = Cp1251ToUtf8(cp1251);
  std::string out = "\"";
  if (TakenForFormula(utf8)) out += '\'';
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

void CsvRow(std::string& out, std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (std::string_view f : fields) {
    if (!first) out += ',';
    first = false;
    out += CsvField(f);
  }
  out += "\r\n";
}

// ---- mbox

std::string Base64(std::string_view bytes) {
  static const char* const kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    for (int s : {18, 12, 6, 0}) out += kAlphabet[(v >> s) & 63];
  }
  if (i + 1 == bytes.size()) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += "==";
  } else if (i + 2 == bytes.size()) {
    const unsigned v =
        static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8;
    for (int s : {18, 12, 6}) out += kAlphabet[(v >> s) & 63];
    out += '=';
  }
  return out;
}

bool PlainHeaderText(std::string_view s) {
  for (unsigned char c : s)
    if (c < 0x20 || c > 0x7E) return false;
  return s.find("=?") == std::string_view::npos;
}

// A header value: as it is when it is printable ASCII, else encoded-words of at most 36
// bytes of UTF-8 each (never splitting a character), folded one to a line.
std::string HeaderText(std::string_view utf8) {
  if (PlainHeaderText(utf8)) return std::string(utf8);
  std::string out;
  std::size_t at = 0;
  while (at < utf8.size()) {
    std::size_t end = std::min(at + 36, utf8.size());
    while (end < utf8.size() && end > at + 1 &&
           (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
      --end;
    if (!out.empty()) out += "\n ";
    out += "=?UTF-8?B?" + Base64(utf8.substr(at, end - at)) + "?=";
    at = end;
  }
  return out;
}

// The address part kept to characters every mail reader takes in a local part.
std::string AddressOf(std::string_view number) {
  std::string local;
  for (char c : number)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '+')
      local += c;
  return (local.empty() ? "unknown" : local) + "@sms.invalid";
}

std::string Mailbox(std::string_view utf8Name, const std::string& address) {
  if (utf8Name.empty()) return "<" + address + ">";
  std::string name;
  if (PlainHeaderText(utf8Name)) {
    name = "\"";
    for (char c : utf8Name) {
      if (c == '"' || c == '\\') name += '\\';
      name += c;
    }
    name += "\"";
  } else {
    name = HeaderText(utf8Name);
  }
  return name + " <" + address + ">";
}

constexpr const char* kHandsetAddress = "me@handset.invalid";

// The text with LF line ends, escaped for mboxrd, ending with LF when not empty.
std::string MboxBody(std::string_view utf8) {
  std::string lf;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      lf += '\n';
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      lf += utf8[i];
    }
  }
  std::string out;
  std::size_t start = 0;
  while (start < lf.size()) {
    std::size_t end = lf.find('\n', start);
    if (end == std::string::npos) end = lf.size();
    const std::string_view line(lf.data() + start, end - start);
    const std::size_t quotes = line.find_first_not_of('>');
    if (quotes != std::string_view::npos && line.substr(quotes, 5) == "From ") out += '>';
    out += line;
    out += '\n';
    start = end + 1;
  }
  return out;
}

std::string Subject(std::string_view cp1251Text) {
  std::string_view first = cp1251Text.substr(0, cp1251Text.find_first_of("\r\n"));
  std::string s(first.substr(0, 60));
  if (first.size() > 60) s += "...";
  return Cp1251ToUtf8(s);
}

}  // namespace

CsvDateTime SplitMessageTime(std::string_view dateTime) {
  if (dateTime == kNoDateTime || dateTime.empty()) return {};
  const auto t = ParseMessageTime(dateTime);
  if (!t) return {std::string(dateTime), {}};
  char date[16], time[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", t->year, t->month, t->day);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", t->hour, t->minute, t->second);
  return {date, t->zoneMinutes ? time + ZoneText(t->zoneMinutes, true) : std::string(time)};
}

std::string FormatMessagesCsv(std::string_view folder, const std::vector<ListRow>& rows) {
  std::string out = "\xEF\xBB\xBF";
  CsvRow(out, {Ru("Папка"), Ru("Статус"), Ru("Номер"), Ru("Дата"), Ru("Время"), Ru("Текст")});
  for (const ListRow& row : rows) {
    const CsvDateTime when = SplitMessageTime(Cell(row, kDateTime));
    CsvRow(out, {folder, Cell(row, kStatus), Cell(row, kNumber), when.date, when.time,
                 Cell(row, kText)});
  }
  return out;
}

std::string FormatMessagesMbox(std::string_view folder, const std::vector<ListRow>& rows,
                               std::time_t exportTime) {
  const std::string folderUtf8 = Cp1251ToUtf8(folder);
  std::string out;
  for (const ListRow& row : rows) {
    const std::string kind = Cell(row, kKind);
    const bool outgoing = kind == KindOutgoing() || kind == KindDraft();
    const std::string number = Cp1251ToUtf8(Cell(row, kNumber));
    const std::string party = Mailbox(number, AddressOf(Cell(row, kNumber)));
    const std::string handset = std::string("<") + kHandsetAddress + ">";
    const auto when = ParseMessageTime(Cell(row, kDateTime));

    out += "From ";
    out += outgoing ? kHandsetAddress : AddressOf(Cell(row, kNumber));
    out += " " + EnvelopeDate(when ? UnixSeconds(*when) : static_cast<std::int64_t>(exportTime));
    out += "\n";
    out += "From: " + (outgoing ? handset : party) + "\n";
    out += "To: " + (outgoing ? party : handset) + "\n";
    if (when) out += "Date: " + MailDate(*when) + "\n";
    out += "Subject: " + HeaderText(Subject(Cell(row, kText))) + "\n";
    out += "X-Quorvex-Folder: " + HeaderText(folderUtf8) + "\n";
    out += "X-Quorvex-Status: " + HeaderText(Cp1251ToUtf8(Cell(row, kStatus))) + "\n";
    if (!row.caption.empty() && PlainHeaderText(row.caption))
      out += "X-Quorvex-Index: " + row.caption + "\n";
    out +=
        "MIME-Version: 1.0\n"
        "Content-Type: text/plain; charset=UTF-8\n"
        "Content-Transfer-Encoding: 8bit\n"
        "\n";
    out += MboxBody(Cp1251ToUtf8(Cell(row, kText)));
    out += "\n";
  }
  return out;
}

void WriteMessagesCsv(const std::string& path, std::string_view folder,
                      const std::vector<ListRow>& rows) {
  WriteFileAtomically(path, FormatMessagesCsv(folder, rows));
}

void WriteMessagesMbox(const std::string& path, std::string_view folder,
                       const std::vector<ListRow>& rows, std::time_t exportTime) {
  WriteFileAtomically(path, FormatMessagesMbox(folder, rows, exportTime));
}

std::string ExportRecord(const ListRow& row) {
  // One line per field, whatever a text holds, so every record keeps its thirteen lines.
  auto sub = [&](std::size_t i) {
    return i < row.subItems.size() ? SingleLine(row.subItems[i].text) : std::string();
  };
  const std::string lines[13] = {Ru("Номер:"),
                                 sub(kNumber),
                                 "",
                                 sub(kKind),
                                 "",
                                 sub(kStatus),
                                 "",
                                 sub(kDateTime),
                                 "",
                                 Ru("Текст сообщения:"),
                                 "",
                                 sub(kText),
                                 std::string(39, '*')};
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

ExportResult ExportMessages(const SmsSection& section, UserInterface& ui, MessageFormat format) {
  const std::vector<ListRow>& rows = section.lvSMS.rows;
  if (auto refused = RefuseExport(ui, section.LastReadComplete, rows.empty(), "folder"))
    return *refused;
  ExportResult result;
  const bool csv = format == MessageFormat::Csv;
  const std::optional<std::string> path =
      csv ? ui.chooseSaveFile(kCsvFilter, kCsvExt) : ui.chooseSaveFile(kMboxFilter, kMboxExt);
  if (!path) return result;
  std::string folder;
  const int node = section.tvSMSSelected;
  if (node >= 0 && static_cast<std::size_t>(node) < section.tvSMS.size())
    folder = section.tvSMS[static_cast<std::size_t>(node)].baseCaption;
  if (csv)
    WriteMessagesCsv(*path, folder, rows);
  else
    WriteMessagesMbox(*path, folder, rows, LocalTimeToTime(ui.now()));
  result.outcome = ExportResult::Outcome::Written;
  result.path = *path;
  result.count = static_cast<std::int64_t>(rows.size());
  return result;
}

}  // namespace quorvex::sms
