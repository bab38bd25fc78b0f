// The date book's reply cutters and the texts derived from them. Pure functions on code page
// 1251 text; a malformed reply gives wrong fields or a conversion error, never a read
// outside the text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex::datebook {

// "+MDBR: " of the count and entry replies; skipped by length, not compared.
inline constexpr int kReplyPrefixLength = 7;

// No handset of these families holds more events than this; a count reply naming a higher
// index is garbled.
inline constexpr std::int32_t kMaxDateBookIndex = 9999;

struct DateBookInfo {
  std::int32_t HighestIndex = 0;
  std::int32_t UsedCount = 0;
  std::int32_t Third = 0;  // read, never used
};

// The trimmed reply to "AT+MDBR=?". Raises EConvertError when one of the first three
// comma-ended fields after the prefix is no integer (also when a comma is missing).
DateBookInfo ParseDateBookInfo(std::string_view trimmedReply);

// One event as "AT+MDBR=<i>" reports it. The flags and the repeat code are the single
// character at their position: empty where the reply has run out.
struct DateBookEntry {
  std::string Title;
  std::string EntryFlag;
  std::string AlarmFlag;
  std::string StartTime;
  std::string StartDate;
  std::string Duration;
  std::string AlarmTime;
  std::string AlarmDate;
  std::string RepeatCode;
  bool operator==(const DateBookEntry&) const = default;
};

// The trimmed reply to "AT+MDBR=<i>". The title may stand in double quotes, as some handsets
// send it. Raises EConvertError only when the title is no UCS2 hex text. titleHex, when given,
// receives the title as the handset sent it, without the quotes.
DateBookEntry ParseDateBookEntry(std::string_view trimmedReply, std::string* titleHex = nullptr);

// The fields of an event as the write command and a read reply lay them out after the command:
// index, title hex, entry and alarm flags, quoted start time and date, duration, quoted alarm
// time and date, repeat code. The entry's Title is not used.
std::string EventFields(std::int64_t index, const std::string& titleHex, const DateBookEntry& e);
inline std::string EventWriteCommand(std::int64_t index, const std::string& titleHex,
                                     const DateBookEntry& e) {
  return "AT+MDBW=" + EventFields(index, titleHex, e);
}

// The repeat texts in code order ("0" to "5"); the event dialog's combo box lists them so.
const std::array<std::string, 6>& RepeatTexts();
// The text of a repeat code; empty for any other code.
std::string RepeatText(std::string_view code);
// "выкл." for "0", "вкл." for "1", empty otherwise.
std::string AlarmStateText(std::string_view flag);

// A number in general format with the given significant digits: plain unless it would need
// more integer digits than that or is smaller than 1E-5, trailing zeros dropped.
std::string FormatGeneral(double value, int precision, char decimalSeparator);

// The free share of the date book in percent, (H + 1 - U) / (H + 1) * 100, with three
// significant digits.
std::string FreeShareText(std::int64_t highestIndex, std::int64_t usedCount, char decimalSeparator);

}  // namespace quorvex::datebook
