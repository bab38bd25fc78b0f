#include "core/app_state.h"

#include "core/bin_file.h"

namespace quorvex {

std::string AppState::BesideSettings(const std::string& settingsPath) {
  const std::size_t slash = settingsPath.rfind('/');
  if (slash == std::string::npos) return kBinFile;
  return settingsPath.substr(0, slash + 1) + kBinFile;
}

void AppState::applyOverride() {
  if (override_.portName) settings_.PortName = *override_.portName;
  if (override_.baudRate) settings_.BaudRate = *override_.baudRate;
  if (override_.timeOut) settings_.TimeOut = *override_.timeOut;
}

void AppState::LoadPortSettings() {
  if (!override_.complete()) quorvex::LoadPortSettings(settings_, settingsPath_);
  applyOverride();
}

std::unique_ptr<TBlockSerial> AppState::OpenHandset(bool longOperation) {
  auto port = std::make_unique<TBlockSerial>();
  port->RaiseOnError = true;
  port->OpenPort(settings_.PortName);
  port->SetLineParams(settings_.BaudRate, 8, 'N', 0, false, false);
  if (longOperation) port->ReplyTimeout = settings_.TimeOut;
  return port;
}

}  // namespace quorvex
