// The handset's UCS2 hex form of code page 1251 text (after "AT+CSCS=UCS2").
#pragma once

#include <string>
#include <string_view>

namespace quorvex {

// Four hex digits per character; a malformed hex group raises EConvertError with the group
// prefixed by "$" ("'$00zz' is not a valid integer value").
std::string Ucs2HexToText(std::string_view hex);

// Printable ASCII, Ё/ё and А..я are kept, every other byte is dropped. Never fails.
std::string TextToUcs2Hex(std::string_view text);

}  // namespace quorvex
