// The handset's own character sets. The handset stores text as code page 1251 bytes and
// converts at its edge: UCS2 hex carries every character (000A for a line break, 2116 for
// the number sign), the 8-bit sets carry what they can and show "?" for the rest.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvex::sim {

enum class Charset { Ira, Gsm, Ascii, Latin1, Ucs2 };

// "IRA", "GSM", "ASCII", "8859-1", "UCS2", compared without regard to case.
std::optional<Charset> CharsetFromName(std::string_view name);
std::string CharsetName(Charset charset);

// Four upper-case hex digits per character.
std::string EncodeUcs2Hex(std::string_view cp1251);
// std::nullopt for a text that is not whole groups of hex digits. A character that code
// page 1251 cannot hold becomes "?".
std::optional<std::string> DecodeUcs2Hex(std::string_view hex);

// Text as the handset sends it in the given set (UCS2: hex), and back.
std::string EncodeText(Charset charset, std::string_view cp1251);
std::optional<std::string> DecodeText(Charset charset, std::string_view wire);

}  // namespace quorvex::sim
