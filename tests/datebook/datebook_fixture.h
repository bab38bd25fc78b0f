// What the date book tests share: a user interface that records every call (boxes, pumps,
// pauses, modal dialogs) and answers from a script, and a scratch working directory with
// portcfg.ini pointing at a simulated handset.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
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
    dir_ = MakeScratchDir("qv-db");
    ui_.clock = {2026, 3, 5, 9, 5, 42};
    app_ = std::make_unique<AppState>(ui_, path("portcfg.ini"));
  }
  void TearDown() override {
    phone_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  sim::PhoneSim& startPhone(const sim::HandsetState& state, sim::SimOptions options = {},
                            int timeoutMs = 3000) {
    options.stateFile = path("handset.txt");
    sim::SaveStateFile(options.stateFile, state);
    phone_ = std::make_unique<sim::PhoneSim>(options);
    phone_->start();
    SavePortSettings({phone_->slavePath(), 115200, timeoutMs}, path("portcfg.ini"));
    return *phone_;
  }

  sim::PhoneSim& phone() { return *phone_; }

  std::filesystem::path dir_;
  RecordingUi ui_;
  std::unique_ptr<AppState> app_;
  std::unique_ptr<sim::PhoneSim> phone_;
};

}  // namespace quorvex::testing
