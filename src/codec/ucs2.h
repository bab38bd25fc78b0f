// The handset's UCS2 hex form of code page 1251 text (after "AT+CSCS=UCS2").
#pragma once

#include <string>
#include <string_view>

namespace quorvex {

// Four hex digits per character, either case. Every character of code page 1251 comes back
// as its byte; any other character is dropped, and so is a trailing group of fewer than four
// digits (a character cut off). Control characters come through as they are. A group
// holding a character that is no hex digit raises EConvertError with the group prefixed by
// "$" ("'$00zz' is not a valid integer value").
std::string Ucs2HexToText(std::string_view hex);

// Every byte of code page 1251 as its four upper-case hex digits, except the control bytes
// (below 0x20, and 0x7F: line breaks are lost on purpose) and 0x98, which stands for no
// character. Never fails.
std::string TextToUcs2Hex(std::string_view text);

// The field without one pair of enclosing double quotes, which some handsets put around
// their UCS2 texts.
std::string_view UnquotedField(std::string_view field);

// A single-line field as a reply carries it (a name, a group name, a title): one pair of
// enclosing double quotes is taken off, the rest decoded, and no control character is let
// through. Raises as Ucs2HexToText.
std::string Ucs2FieldToText(std::string_view field);

// A message text: decoded, keeping its line breaks (CR, LF) and TABs for the text pane and
// dropping every other control character. Raises as Ucs2HexToText.
std::string Ucs2MessageToText(std::string_view hex);

}  // namespace quorvex
