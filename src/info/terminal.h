// The command terminal: one AT exchange per "Послать", the reply appended to the log.
#pragma once

#include <string>

#include "core/app_state.h"

namespace quorvex {

struct Terminal {
  std::string cbCommandText = "AT";  // the command as typed or picked, sent unchanged
  std::string mmTerminal = "\r\n";   // the log; it starts with one empty line

  // Reloads the settings, runs the command with the default reply time-out and appends the
  // reply to the log. Errors escape to the standard error box; nothing is appended then.
  // Returns the reply appended.
  std::string btnSendCommandClick(AppState& app);
  void sbClearClick() { mmTerminal.clear(); }
};

}  // namespace quorvex
