// Hexadecimal digits both ways, for everything written as hex: UCS2 groups, "$" integers,
// quoted-printable and rich text escapes, code point names.
#pragma once

namespace quorvex {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace quorvex
