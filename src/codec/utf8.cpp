#include "codec/utf8.h"

#include <algorithm>

#include "codec/hex_digits.h"

namespace quorvex {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::size_t DecodeUtf8(std::string_view s, std::size_t at, char32_t& cp) {
  constexpr char32_t kReplacement = 0xFFFD;
  const auto lead = static_cast<unsigned char>(s[at]);
  std::size_t length;
  char32_t minimum;
  if (lead < 0x80) {
    cp = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, cp = lead & 0x07;
  } else {
    cp = kReplacement;
    return 0;
  }
  if (s.size() - at < length) {
    cp = kReplacement;
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(s[at + i]);
    if ((next & 0xC0) != 0x80) {
      cp = kReplacement;
      return 0;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    cp = kReplacement;
    return 0;
  }
  return length;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t at = 0; at < s.size();) {
    char32_t cp;
    const std::size_t n = DecodeUtf8(s, at, cp);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

std::string CodePointName(char32_t cp) {
  std::string digits;
  int shift = 12;
  while (shift < 20 && (cp >> (shift + 4)) != 0) shift += 4;
  for (; shift >= 0; shift -= 4) digits += kHexDigits[(cp >> shift) & 0xF];
  return "U+" + digits;
}

void DroppedNames::add(const std::string& name) {
  if (std::find(names_.begin(), names_.end(), name) == names_.end()) names_.push_back(name);
}

std::string DroppedNames::joined() const {
  std::string out;
  for (const std::string& n : names_) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace quorvex
