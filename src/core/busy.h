// The main window's busy state as the long operations see it: SetControlsEnabled(false)
// disables the section buttons and the visible section's buttons and shows the hourglass,
// SetControlsEnabled(true) returns to idle. A section holds it as a function the window
// sets; unset means a front end without such controls (the CLI).
#pragma once

#include <functional>

namespace quorvex {

using SetControlsEnabledFn = std::function<void(bool enabled)>;

// Leaves the busy state when the scope ends, also when an exception passes. Entering is
// the operation's own step, since some leave the idle state only part of the way in.
class LeaveBusyOnExit {
 public:
  explicit LeaveBusyOnExit(const SetControlsEnabledFn& setEnabled) : setEnabled_(setEnabled) {}
  ~LeaveBusyOnExit() {
    if (setEnabled_) setEnabled_(true);
  }
  LeaveBusyOnExit(const LeaveBusyOnExit&) = delete;
  LeaveBusyOnExit& operator=(const LeaveBusyOnExit&) = delete;

 private:
  const SetControlsEnabledFn& setEnabled_;
};

}  // namespace quorvex
