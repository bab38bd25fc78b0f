#include "info/terminal.h"

namespace quorvex {

std::string Terminal::btnSendCommandClick(AppState& app) {
  app.LoadPortSettings();
  const std::string command = cbCommandText;
  auto port = app.OpenHandset(false);
  std::string reply = port->RunAtCommand(command);
  mmTerminal += reply;
  return reply;
}

}  // namespace quorvex
