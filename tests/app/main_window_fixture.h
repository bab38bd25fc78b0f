// The main window model under test in the handset test: portcfg.ini and info.txt in the
// scratch directory, and the trace of every handler the window dispatched.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "handset_test.h"

namespace quorvex::testing {

class MainWindowTest : public HandsetTest {
 protected:
  void SetUp() override {
    HandsetTest::SetUp();
    main_ = std::make_unique<TfrmMain>(ui_, path("portcfg.ini"));
    main_->help.path = path("info.txt");
    main_->info.pictureDir = dir_.string();
    main_->onDispatch = [this](const std::string& h) { trace_.push_back(h); };
    main_->showModal = [this](const std::string& form) { shown_.push_back(form); };
  }
  void TearDown() override {
    main_.reset();
    HandsetTest::TearDown();
  }

  // A started window whose settings name a port that is not there.
  void startWithoutPhone() {
    writeSettings(path("no-such-port"));
    main_->FormCreate();
    trace_.clear();
  }
  // A started window on the demo handset.
  sim::PhoneSim& startPhone(sim::SimOptions options = {}) {
    HandsetTest::startPhone(std::move(options));
    main_->FormCreate();
    trace_.clear();
    return *phone_;
  }

  TfrmMain& main() { return *main_; }

  std::unique_ptr<TfrmMain> main_;
  std::vector<std::string> trace_;
  std::vector<std::string> shown_;
};

}  // namespace quorvex::testing
