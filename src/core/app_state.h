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

// What the program last learnt of the handset it talks to, without asking for it: the phone
// book's read names the model, the information section the IMEI. Empty where unknown.
struct KnownHandset {
  std::string model;
  std::string imei;
  // A model other than the known one is another handset: its IMEI is not known yet.
  void sawModel(const std::string& seen) {
    if (seen != model) imei.clear();
    model = seen;
  }
};

class AppState {
 public:
  // The bin lives in the working folder, beside the settings file.
  AppState(UserInterface& ui, std::string settingsPath = kPortSettingsFile)
      : ui_(ui), settingsPath_(std::move(settingsPath)), binPath(BesideSettings(settingsPath_)) {}

  // The user interface the operations reach; HeldBoxes stands in for it while it lives.
  UserInterface& ui() { return *shown_; }
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

  KnownHandset handset;

 private:
  static std::string BesideSettings(const std::string& settingsPath);

  void applyOverride();

  friend class HeldBoxes;
  UserInterface& ui_;
  UserInterface* shown_ = &ui_;
  std::string settingsPath_;
  PortSettings settings_;
  SettingsOverride override_;
  StopRequest stop_;

 public:
  // Where what the operations erase or overwrite is kept (core/bin_file.h).
  std::string binPath;
};

}  // namespace quorvex
