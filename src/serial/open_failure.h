// What the user is told when the port does not open. The system's text always comes first;
// for the failures a Linux user meets when joining a phone - no rights on the device, the
// device held by another program - a line follows that says which it is and what to do.
// A missing device stays "Телефон не подключен." alone: scripts and the window's users know
// that text, and the help says where to look for the device.
#pragma once

#include <string>

namespace quorvex {

enum class OpenFailure {
  Other,          // shown with the system's text alone
  Denied,         // the user may not open the device (not in the dialout group)
  HeldElsewhere,  // another program holds the device (ModemManager, a terminal program)
  HeldHere,       // an earlier operation of this program still has the port open
};

// heldHere: this program has the same device open right now.
OpenFailure ClassifyOpenFailure(int errnoValue, bool heldHere);

// The advice line(s) for a failure, code page 1251, lines separated by CR LF; empty for
// Other. devicePath is the device that was opened.
std::string OpenFailureHint(OpenFailure failure, const std::string& devicePath);

// The whole message of the raised error: base, then CR LF and the hint when there is one.
std::string OpenFailureMessage(const std::string& base, OpenFailure failure,
                               const std::string& devicePath);

}  // namespace quorvex
