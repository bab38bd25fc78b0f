// The code page 1251 table, and conversion between its bytes and UTF-8 for the front ends'
// edges.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

// The code point of a cp1251 byte; U+FFFD for 0x98, the one byte the code page leaves out.
char32_t Cp1251ToCodePoint(unsigned char byte);

// The cp1251 byte of a code point; std::nullopt when the code page cannot hold it (U+FFFD
// included, so 0x98 never comes back from a decoded text).
std::optional<unsigned char> CodePointToCp1251(char32_t cp);

// Every cp1251 byte has a UTF-8 form (0x98, which has none, becomes U+FFFD).
std::string Cp1251ToUtf8(std::string_view cp1251);

// std::nullopt when the input is not valid UTF-8 or holds a character cp1251 cannot hold.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8);

// Drops every character cp1251 cannot hold (the window's edit fields do this), and every
// byte of a malformed UTF-8 sequence one at a time.
std::string Utf8ToCp1251Lossy(std::string_view utf8);

}  // namespace quorvex
