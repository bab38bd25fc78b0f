// What the information, terminal and clock tests share: a user interface that records every
// call and answers from a script, and a scratch working directory with portcfg.ini pointing
// at a simulated handset.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/user_interface.h"
#include "recording_ui.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex::testing {

// A test with its own scratch directory; the handset is started on demand.
class HandsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("qv-info");
    ui_.clock = {};
    app_ = std::make_unique<AppState>(ui_, path("portcfg.ini"));
  }
  void TearDown() override {
    phone_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // Starts the handset; a state, when given, replaces the demo handset.
  sim::PhoneSim& startPhone(sim::SimOptions options = {},
                            const sim::HandsetState* state = nullptr) {
    if (state) {
      options.stateFile = path("handset.txt");
      sim::SaveStateFile(options.stateFile, *state);
    }
    phone_ = std::make_unique<sim::PhoneSim>(options);
    phone_->start();
    writeSettings(phone_->slavePath());
    return *phone_;
  }

  void writeSettings(const std::string& port, int baud = 115200, int timeout = 3000) {
    SavePortSettings({port, baud, timeout}, path("portcfg.ini"));
  }

  sim::PhoneSim& phone() { return *phone_; }

  std::filesystem::path dir_;
  RecordingUi ui_;
  std::unique_ptr<AppState> app_;
  std::unique_ptr<sim::PhoneSim> phone_;
};

// Runs f and returns the message of the quorvex::Exception it raised ("" when none).
template <typename F>
std::string RaisedMessage(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace quorvex::testing
