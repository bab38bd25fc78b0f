// Small cutters for replies as RunAtCommand returns them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

// A command's whole reply when it succeeds with nothing to tell.
inline constexpr std::string_view kExactOk = "\r\nOK\r\n";

// Whether "OK" appears anywhere in the reply: most commands are checked no closer.
bool ReplyHasOk(std::string_view reply);

// The text after the first "=" up to the next double quote: the model name out of the
// "AT+CGMM" reply. Empty when the reply has no such shape.
std::string ValueAfterEquals(std::string_view reply);

// Reads "+MPBR: first-last,x,y,..." into last, second and third, in that order. A field that
// is not a decimal integer raises EConvertError; results not yet assigned keep their values.
void ParseStorageRange(std::string_view reply, std::int32_t& last, std::int32_t& second,
                       std::int32_t& third);

// The value of exactly `count` decimal digits at s[at] (a date or time field at its fixed
// place); nullopt when the text ends before them or one is no digit. count is at most 9.
std::optional<int> FixedDigits(std::string_view s, std::size_t at, std::size_t count);

// The text without its control characters (below 0x20, and 0x7F), which a garbled reply
// may carry into a list or a file; keepLineBreaks keeps CR, LF and TAB, as a message text
// has them.
std::string DropControls(std::string_view s, bool keepLineBreaks);

}  // namespace quorvex
