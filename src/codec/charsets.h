// Text in the character sets other programs write, as UTF-8: the charsets a vCard names
// (through the system's converter for those this code does not know itself), and
// quoted-printable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// The bytes as UTF-8 under the charset named (empty: none named, which takes valid UTF-8 as
// it is and anything else as windows-1251). A byte the charset cannot convert becomes
// U+FFFD; a charset nobody here knows reads as UTF-8. What was guessed is told in `notes`
// (code page 1251 texts for the vCard import's preview).
std::string CharsetToUtf8(std::string_view bytes, const std::string& charset,
                          std::vector<std::string>& notes);

// "=XX" escapes decoded; a stray "=" stays as it is.
std::string DecodeQuotedPrintable(std::string_view s);

}  // namespace quorvex
