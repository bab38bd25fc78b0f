// Text primitives with the semantics the reply cutters are written against: 1-based
// positions, copies and deletes that clamp out-of-range arguments, a trim of every code
// <= 32, and a strict integer conversion. None of them reads outside its string whatever
// the arguments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex::text {

// 1-based position of the first occurrence of sub in s; 0 when absent or sub is empty.
int Pos(std::string_view sub, std::string_view s);

// Up to count characters of s from the 1-based index. An index below 1 counts as 1; an
// index past the end or a count <= 0 gives an empty text.
std::string Copy(std::string_view s, std::int64_t index, std::int64_t count);

// Removes up to count characters from the 1-based index. An index below 1 or past the end,
// or a count <= 0, leaves s unchanged.
void Delete(std::string& s, std::int64_t index, std::int64_t count);

// Remove leading and/or trailing characters with a code of 32 or less.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII-only case change; bytes above 127 stay as they are.
std::string UpperCase(std::string_view s);

std::string IntToStr(std::int64_t value);

// Strict conversion to a signed 32-bit integer: leading blanks skipped, an optional sign,
// decimal digits or "$" and hexadecimal digits, nothing else; overflow is an error.
// Raises EConvertError "'<s>' is not a valid integer value" with s as given.
// Hexadecimal is read as a 32-bit pattern: "$FFFFFFFF" is -1, nine significant hex digits
// overflow. Decimal must lie in -2147483648..2147483647. Only the space counts as a blank.
std::int32_t StrToInt(std::string_view s);

// StrToInt without the "$" form, for fields a reply always gives in decimal.
std::int32_t StrToIntDecimal(std::string_view s);

// The conversion error's message for a text, as StrToInt raises it; a NUL byte of the text
// is written as #0, so the message never ends early.
std::string InvalidIntegerMessage(std::string_view s);

}  // namespace quorvex::text
