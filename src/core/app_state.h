// The state the main window holds for every operation: the port settings, where they are
// stored, and the front end's fixed replacements for them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/stop_request.h"
#include "core/user_interface.h"
#include "serial/block_serial.h"
#include "serial/port_settings.h"

namespace quorvex {

// Values a front end fixes for the whole run (the CLI's --port, --baud, --timeout): they
// replace what the file says at every load.
struct SettingsOverride {
  std::optional<std::string> portName;
  std::optional<std::int32_t> baudRate;
  std::optional<std::int32_t> timeOut;
  bool complete() const { return portName && baudRate && timeOut; }
};

class AppState {
 public:
  AppState(UserInterface& ui, std::string settingsPath = kPortSettingsFile)
      : ui_(ui), settingsPath_(std::move(settingsPath)) {}

  UserInterface& ui() { return ui_; }
  PortSettings& settings() { return settings_; }
  const std::string& settingsPath() const { return settingsPath_; }
  void setOverride(SettingsOverride o) { override_ = std::move(o); }
  // The stop request every long operation asks after each exchange.
  StopRequest& stop() { return stop_; }

  // Reads the settings file again (a complete override needs no file).
  void LoadPortSettings();

  // A port object opened on the configured port and line, raising on every error. Long
  // operations also take the configured reply time-out.
  std::unique_ptr<TBlockSerial> OpenHandset(bool longOperation);

 private:
  void applyOverride();

  UserInterface& ui_;
  std::string settingsPath_;
  PortSettings settings_;
  SettingsOverride override_;
  StopRequest stop_;
};

}  // namespace quorvex
