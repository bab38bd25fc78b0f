#include "codec/ucs2.h"

#include <optional>

#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/hex_digits.h"
#include "codec/reply_fields.h"

namespace quorvex {

namespace {

void AppendGroup(std::string& out, char32_t code) {
  out += kHexDigits[(code >> 12) & 0xF];
  out += kHexDigits[(code >> 8) & 0xF];
  out += kHexDigits[(code >> 4) & 0xF];
  out += kHexDigits[code & 0xF];
}

// A malformed group fails with the conversion error's own text, "$" and the group.
char32_t GroupValue(std::string_view group) {
  std::string prefixed = "$";
  prefixed += group;
  return static_cast<char32_t>(text::StrToInt(prefixed));
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
    if (b < 0x20 || b == 0x7F || b == 0x98) continue;
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
  return DropControls(Ucs2HexToText(UnquotedField(field)), false);
}

std::string Ucs2MessageToText(std::string_view hex) {
  return DropControls(Ucs2HexToText(hex), true);
}

}  // namespace quorvex
