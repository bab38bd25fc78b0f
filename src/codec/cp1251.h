// Conversion between code page 1251 bytes and UTF-8, for the front ends' edges only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

// Every cp1251 byte has a UTF-8 form (0x98, which has none, becomes U+FFFD).
std::string Cp1251ToUtf8(std::string_view cp1251);

// std::nullopt when the input is not valid UTF-8 or holds a character cp1251 cannot hold.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8);

// Drops every character cp1251 cannot hold (the window's edit fields do this), and every
// byte of a malformed UTF-8 sequence one at a time.
std::string Utf8ToCp1251Lossy(std::string_view utf8);

}  // namespace quorvex
