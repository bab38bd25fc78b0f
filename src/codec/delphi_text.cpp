#include "codec/delphi_text.h"

#include <algorithm>
#include <optional>

#include "codec/errors.h"
#include "codec/hex_digits.h"

namespace quorvex::text {

namespace {

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

// The one parser behind both conversions. Hexadecimal values are read as 32-bit patterns,
// so "$FFFFFFFF" is -1 and "$80000000" is the smallest integer; a value that needs more
// than 32 bits is an overflow whatever its sign. Leading zeros never count towards it.
std::optional<std::int32_t> ParseInt32(std::string_view s, bool allowHex) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  if (allowHex && i < n && s[i] == '$') {
    ++i;
    if (i == n) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < n; ++i) {
      const int digit = HexDigitValue(s[i]);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<std::uint64_t>(digit);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }
  if (i == n) return std::nullopt;
  std::uint64_t value = 0;
  for (; i < n; ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(s[i] - '0');
    // One past the largest positive value is still the magnitude of the smallest negative.
    if (value > 2147483648u) return std::nullopt;
  }
  if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
  if (value > 2147483647u) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

int Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  const std::size_t at = s.find(sub);
  if (at == std::string_view::npos) return 0;
  return static_cast<int>(at) + 1;
}

std::string Copy(std::string_view s, std::int64_t index, std::int64_t count) {
  const auto length = static_cast<std::int64_t>(s.size());
  if (index < 1) index = 1;
  if (index > length || count <= 0) return {};
  // Compared against what is left rather than index + count, which could overflow.
  const std::int64_t taken = std::min(count, length - index + 1);
  return std::string(
      s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(taken)));
}

void Delete(std::string& s, std::int64_t index, std::int64_t count) {
  const auto length = static_cast<std::int64_t>(s.size());
  if (index < 1 || index > length || count <= 0) return;
  const std::int64_t removed = std::min(count, length - index + 1);
  s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(removed));
}

std::string TrimLeft(std::string_view s) {
  std::size_t first = 0;
  while (first < s.size() && IsBlankOrControl(s[first])) ++first;
  return std::string(s.substr(first));
}

std::string TrimRight(std::string_view s) {
  std::size_t end = s.size();
  while (end > 0 && IsBlankOrControl(s[end - 1])) --end;
  return std::string(s.substr(0, end));
}

std::string Trim(std::string_view s) {
  std::size_t first = 0;
  std::size_t end = s.size();
  while (first < end && IsBlankOrControl(s[first])) ++first;
  while (end > first && IsBlankOrControl(s[end - 1])) --end;
  return std::string(s.substr(first, end - first));
}

std::string UpperCase(std::string_view s) {
  std::string result(s);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::string IntToStr(std::int64_t value) {
  return std::to_string(value);
}

std::int32_t StrToInt(std::string_view s) {
  if (auto value = ParseInt32(s, true)) return *value;
  throw EConvertError(InvalidIntegerMessage(s));
}

std::int32_t StrToIntDecimal(std::string_view s) {
  if (auto value = ParseInt32(s, false)) return *value;
  throw EConvertError(InvalidIntegerMessage(s));
}

std::string InvalidIntegerMessage(std::string_view s) {
  std::string message = "'";
  // The error box takes the message up to its first NUL byte, so a field of binary noise would
  // show as a lone quote: a NUL is written as #0, every other byte as it is.
  for (const char c : s) {
    if (c == '\0')
      message += "#0";
    else
      message += c;
  }
  message += "' is not a valid integer value";
  return message;
}

}  // namespace quorvex::text
