// A test with its own scratch directory and the recording user interface, and a simulated
// handset started on demand with portcfg.ini in that directory naming its port.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/app_state.h"
#include "recording_ui.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex::testing {

class HandsetTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeScratchDir("qv"); }
  void TearDown() override {
    phone_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void writeSettings(const std::string& port, int baud = 115200, int timeout = 3000) {
    SavePortSettings({port, baud, timeout}, path("portcfg.ini"));
  }
  void writeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string readFile(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  // The demo handset.
  sim::PhoneSim& startPhone(sim::SimOptions options = {}) {
    phone_ = std::make_unique<sim::PhoneSim>(options);
    phone_->start();
    writeSettings(phone_->slavePath());
    return *phone_;
  }
  // A handset that holds the state, kept in handset.txt of the scratch directory.
  sim::PhoneSim& startPhone(const sim::HandsetState& state, sim::SimOptions options = {},
                            int timeoutMs = 3000) {
    options.stateFile = path("handset.txt");
    sim::SaveStateFile(options.stateFile, state);
    phone_ = std::make_unique<sim::PhoneSim>(options);
    phone_->start();
    writeSettings(phone_->slavePath(), 115200, timeoutMs);
    return *phone_;
  }
  sim::PhoneSim& phone() { return *phone_; }

  std::filesystem::path dir_;
  RecordingUi ui_;
  std::unique_ptr<sim::PhoneSim> phone_;
};

// With the application state that the sections' operations take; it reads portcfg.ini of
// the scratch directory.
class AppStateTest : public HandsetTest {
 protected:
  void SetUp() override {
    HandsetTest::SetUp();
    app_ = std::make_unique<AppState>(ui_, path("portcfg.ini"));
  }

  std::unique_ptr<AppState> app_;
};

}  // namespace quorvex::testing
