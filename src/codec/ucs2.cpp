#include "codec/ucs2.h"

#include <optional>

#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"

namespace quorvex {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendGroup(std::string& out, char32_t code) {
  out += kHexDigits[(code >> 12) & 0xF];
  out += kHexDigits[(code >> 8) & 0xF];
  out += kHexDigits[(code >> 4) & 0xF];
  out += kHexDigits[code & 0xF];
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A malformed group fails with the conversion error's own text, "$" and the group.
char32_t GroupValue(std::string_view group) {
  char32_t value = 0;
  for (const char c : group) {
    const int digit = HexDigit(c);
    if (digit < 0) throw EConvertError(text::InvalidIntegerMessage("$" + std::string(group)));
    value = value << 4 | static_cast<char32_t>(digit);
  }
  return value;
}

bool IsControl(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b == 0x7F;
}

}  // namespace

std::string Ucs2HexToText(std::string_view hex) {
  std::string result;
  result.reserve(hex.size() / 4);
  for (std::size_t at = 0; at < hex.size(); at += 4) {
    const std::string_view group = hex.substr(at, 4);
    const char32_t value = GroupValue(group);
    // Fewer than four digits are part of a character the line lost; guessing the rest would
    // give some other letter.
    if (group.size() < 4) continue;
    if (const std::optional<unsigned char> byte = CodePointToCp1251(value))
      result += static_cast<char>(*byte);
  }
  return result;
}

std::string TextToUcs2Hex(std::string_view text) {
  std::string result;
  result.reserve(text.size() * 4);
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (IsControl(c) || b == 0x98) continue;
    AppendGroup(result, Cp1251ToCodePoint(b));
  }
  return result;
}

std::string_view UnquotedField(std::string_view field) {
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
    field = field.substr(1, field.size() - 2);
  return field;
}

std::string Ucs2FieldToText(std::string_view field) {
  std::string text = Ucs2HexToText(UnquotedField(field));
  std::erase_if(text, IsControl);
  return text;
}

std::string Ucs2MessageToText(std::string_view hex) {
  std::string text = Ucs2HexToText(hex);
  std::erase_if(text, [](char c) { return IsControl(c) && c != '\r' && c != '\n' && c != '\t'; });
  return text;
}

}  // namespace quorvex
