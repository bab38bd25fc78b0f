// The three port settings and their file portcfg.ini (four lines, code page 1251, CR LF).
#pragma once

#include <cstdint>
#include <string>

namespace quorvex {

struct PortSettings {
  std::string PortName;
  std::int32_t BaudRate = 0;
  std::int32_t TimeOut = 0;
};

inline constexpr const char* kPortSettingsFile = "portcfg.ini";

// Reads the file into the fields. Only fixed character positions matter: the port from the
// 6th character of line 2, the baud rate from the 10th of line 3, the time-out from the 9th of
// line 4, each cut at the first ";" and trimmed. A field already read stays assigned when a
// later one fails. Raises EInOutError or EConvertError.
void LoadPortSettings(PortSettings& settings, const std::string& path = kPortSettingsFile);

// The file's four lines for the settings, as bytes.
std::string FormatPortSettings(const PortSettings& settings);

// Replaces the file with the settings. The new content goes to a temporary file beside it
// first, so a crash or a full disk leaves either the old or the new complete file. Raises
// EInOutError.
void SavePortSettings(const PortSettings& settings, const std::string& path = kPortSettingsFile);

}  // namespace quorvex
