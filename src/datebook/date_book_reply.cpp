#include "datebook/date_book_reply.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "codec/ucs2.h"

namespace quorvex::datebook {

using text::Copy;
using text::Delete;
using text::Pos;

namespace {

// The text before the first comma; the comma and the text go. Without a comma the field
// is empty and s stays, as the reply cutters have always behaved.
std::string CutField(std::string& s) {
  const int comma = Pos(",", s);
  std::string field = Copy(s, 1, comma - 1);
  Delete(s, 1, comma);
  return field;
}

std::string Unquote(const std::string& field) {
  return Copy(field, 2, static_cast<std::int64_t>(field.size()) - 2);
}

std::string TakeFlag(std::string& s) {
  std::string flag = Copy(s, 1, 1);
  Delete(s, 1, 2);
  return flag;
}

}  // namespace

DateBookInfo ParseDateBookInfo(std::string_view trimmedReply) {
  std::string s(trimmedReply);
  Delete(s, 1, kReplyPrefixLength);
  DateBookInfo info;
  info.HighestIndex = text::StrToInt(CutField(s));
  info.UsedCount = text::StrToInt(CutField(s));
  info.Third = text::StrToInt(CutField(s));
  return info;
}

DateBookEntry ParseDateBookEntry(std::string_view trimmedReply, std::string* titleHex) {
  std::string s(trimmedReply);
  Delete(s, 1, Pos(",", s));
  DateBookEntry e;
  const std::string title = CutField(s);
  if (titleHex != nullptr) *titleHex = std::string(UnquotedField(title));
  e.Title = Ucs2FieldToText(title);
  e.EntryFlag = TakeFlag(s);
  e.AlarmFlag = TakeFlag(s);
  e.StartTime = Unquote(CutField(s));
  e.StartDate = Unquote(CutField(s));
  e.Duration = CutField(s);
  e.AlarmTime = Unquote(CutField(s));
  e.AlarmDate = Unquote(CutField(s));
  e.RepeatCode = Copy(s, 1, 1);
  return e;
}

std::string EventFields(std::int64_t index, const std::string& titleHex, const DateBookEntry& e) {
  return text::IntToStr(index) + "," + titleHex + "," + e.EntryFlag + "," + e.AlarmFlag + ",\"" +
         e.StartTime + "\",\"" + e.StartDate + "\"," + e.Duration + ",\"" + e.AlarmTime + "\",\"" +
         e.AlarmDate + "\"," + e.RepeatCode;
}

const std::array<std::string, 6>& RepeatTexts() {
  static const std::array<std::string, 6> texts = {
      Ru("нет"),
      Ru("ежедневно"),
      Ru("еженедельно"),
      Ru("ежемесячно (день)"),
      Ru("ежемесячно (дата)"),
      Ru("ежегодно"),
  };
  return texts;
}

std::string RepeatText(std::string_view code) {
  if (code.size() != 1 || code[0] < '0' || code[0] > '5') return {};
  return RepeatTexts()[static_cast<std::size_t>(code[0] - '0')];
}

std::string AlarmStateText(std::string_view flag) {
  if (flag == "0") return Ru("выкл.");
  if (flag == "1") return Ru("вкл.");
  return {};
}

std::string FormatGeneral(double value, int precision, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  const std::string sign = value < 0 ? "-" : "";
  const double magnitude = std::fabs(value);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, magnitude);
  // buffer: d.ddde[+-]xx, already rounded to the precision.
  const std::string sci = buffer;
  const std::size_t ePos = sci.find('e');
  const int exponent = std::atoi(sci.c_str() + ePos + 1);
  const double rounded = std::strtod(buffer, nullptr);
  if (rounded == 0) return "0";
  const auto dropZeros = [](std::string digits) {
    if (digits.find('.') == std::string::npos) return digits;
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (!digits.empty() && digits.back() == '.') digits.pop_back();
    return digits;
  };
  std::string out;
  if (exponent + 1 > precision || rounded < 1e-5) {
    out = dropZeros(sci.substr(0, ePos)) + "E" + std::to_string(exponent);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, precision - 1 - exponent), rounded);
    out = dropZeros(buffer);
  }
  for (char& c : out)
    if (c == '.') c = decimalSeparator;
  return sign + out;
}

std::string FreeShareText(std::int64_t highestIndex, std::int64_t usedCount,
                          char decimalSeparator) {
  const double slots = static_cast<double>(highestIndex) + 1.0;
  const double share = (slots - static_cast<double>(usedCount)) / slots * 100.0;
  return FormatGeneral(share, 3, decimalSeparator);
}

}  // namespace quorvex::datebook
