// The main window's busy state as the long operations see it: SetControlsEnabled(false)
// disables the section buttons and the visible section's buttons and shows the hourglass,
// SetControlsEnabled(true) returns to idle. Operations take it as a pointer; none means a
// front end without such controls (the CLI).
#pragma once

namespace quorvex {

class BusyState {
 public:
  virtual ~BusyState() = default;
  virtual void SetControlsEnabled(bool enabled) = 0;
};

// Leaves the busy state when the scope ends, also when an exception passes. Entering is
// the operation's own step, since some leave the idle state only part of the way in.
class LeaveBusyOnExit {
 public:
  explicit LeaveBusyOnExit(BusyState* busy) : busy_(busy) {}
  ~LeaveBusyOnExit() {
    if (busy_) busy_->SetControlsEnabled(true);
  }
  LeaveBusyOnExit(const LeaveBusyOnExit&) = delete;
  LeaveBusyOnExit& operator=(const LeaveBusyOnExit&) = delete;

 private:
  BusyState* busy_;
};

}  // namespace quorvex
