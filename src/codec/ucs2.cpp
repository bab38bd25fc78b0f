#include "codec/ucs2.h"

#include "codec/delphi_text.h"

namespace quorvex {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendGroup(std::string& out, unsigned code) {
  out += kHexDigits[(code >> 12) & 0xF];
  out += kHexDigits[(code >> 8) & 0xF];
  out += kHexDigits[(code >> 4) & 0xF];
  out += kHexDigits[code & 0xF];
}

// A malformed group fails with the conversion error's own text, "$" and the group.
unsigned GroupValue(std::string_view group) {
  std::string prefixed = "$";
  prefixed += group;
  return static_cast<unsigned>(text::StrToInt(prefixed));
}

}  // namespace

std::string Ucs2HexToText(std::string_view hex) {
  std::string result;
  // The last group may be shorter than four characters; it is decoded from what it has.
  for (std::size_t at = 0; at < hex.size(); at += 4) {
    const std::string_view group = hex.substr(at, 4);
    if (group.size() < 2) continue;
    if (group[0] == '0' && group[1] == '0') {
      // Two leading zeros keep the value within a byte; it goes in unconverted.
      result += static_cast<char>(GroupValue(group) & 0xFF);
    } else if (group[0] == '0' && group[1] == '4') {
      // Every code of the 040x row is taken for Ё and of the 045x row for ё.
      if (group.size() >= 3 && group[2] == '0') {
        result += '\xA8';
      } else if (group.size() >= 3 && group[2] == '5') {
        result += '\xB8';
      } else {
        const unsigned value = GroupValue(group);
        if (value >= 0x410 && value <= 0x44F) {
          result += static_cast<char>(0xC0 + (value - 0x410));
        } else {
          result += '$';
        }
      }
    }
  }
  return result;
}

std::string TextToUcs2Hex(std::string_view text) {
  std::string result;
  result.reserve(text.size() * 4);
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b <= 0x7E) {
      AppendGroup(result, b);
    } else if (b == 0xA8) {
      AppendGroup(result, 0x401);
    } else if (b == 0xB8) {
      AppendGroup(result, 0x451);
    } else if (b >= 0xC0) {
      AppendGroup(result, 0x410 + (b - 0xC0));
    }
  }
  return result;
}

}  // namespace quorvex
