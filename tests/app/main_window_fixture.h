// The main window model under test: a recording user interface, a scratch directory for
// portcfg.ini and info.txt, and the trace of every handler the window dispatched.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/user_interface.h"
#include "recording_ui.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/phone_sim.h"

namespace quorvex::testing {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("qv-app");
    main_ = std::make_unique<TfrmMain>(ui_, path("portcfg.ini"));
    main_->help.path = path("info.txt");
    main_->info.pictureDir = dir_.string();
    main_->onDispatch = [this](const std::string& h) { trace_.push_back(h); };
    main_->showModal = [this](const std::string& form) { shown_.push_back(form); };
  }
  void TearDown() override {
    main_.reset();
    phone_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void writeSettings(const std::string& port) {
    SavePortSettings({port, 115200, 3000}, path("portcfg.ini"));
  }
  void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  // A started window whose settings name a port that is not there.
  void startWithoutPhone() {
    writeSettings(path("no-such-port"));
    main_->FormCreate();
    trace_.clear();
  }
  sim::PhoneSim& startPhone(sim::SimOptions options = {}) {
    phone_ = std::make_unique<sim::PhoneSim>(options);
    phone_->start();
    writeSettings(phone_->slavePath());
    main_->FormCreate();
    trace_.clear();
    return *phone_;
  }

  TfrmMain& main() { return *main_; }

  std::filesystem::path dir_;
  RecordingUi ui_;
  std::unique_ptr<TfrmMain> main_;
  std::unique_ptr<sim::PhoneSim> phone_;
  std::vector<std::string> trace_;
  std::vector<std::string> shown_;
};

}  // namespace quorvex::testing
