// The command terminal: one AT exchange per "Послать", the reply appended to the log.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/app_state.h"

namespace quorvex {

struct TerminalCommand {
  const char* command;
  const char* description;
};

// The 40 ready-made commands in list order. Rows 9 and 10 carry each other's descriptions and
// row 38 lacks its "AT": that is how the list has always read, and users know it so.
const std::array<TerminalCommand, 40>& TerminalCommands();

struct Terminal {
  std::vector<std::string> cbCommandItems;  // empty until FillCommandList
  int cbCommandItemIndex = -1;
  std::string cbCommandText = "AT";  // the command as typed or picked, sent unchanged
  std::string mmTerminal = "\r\n";   // the log; it starts with one empty line
  std::string mmDescriptionCommand;

  // Start-up: the 40 commands in order, row 1 selected; the description stays empty.
  void FillCommandList();
  // The user picked the row at index (0-based) from the list: it becomes the command text and
  // its description replaces the memo. An index outside the list changes nothing.
  void cbCommandClick(int index);
  // The text typed into the list's edit field.
  void cbCommandChange(const std::string& text) { cbCommandText = text; }

  // Reloads the settings, runs the command with the default reply time-out and appends the
  // reply to the log. Errors escape to the standard error box; nothing is appended then.
  // Returns the reply appended.
  std::string btnSendCommandClick(AppState& app);
  void sbClearClick() { mmTerminal.clear(); }
};

}  // namespace quorvex
