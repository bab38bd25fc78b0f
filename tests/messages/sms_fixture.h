// What the message tests share: a user interface that records every call and answers from
// a script, a scratch working directory with portcfg.ini pointing at a simulated handset,
// and handset states with messages.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/app_state.h"
#include "core/busy.h"
#include "core/user_interface.h"
#include "messages/sms_section.h"
#include "recording_ui.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex::testing {

// Records every change of the busy state.
struct RecordingBusy {
  std::vector<bool> calls;
};

inline sim::Message Msg(sim::MessageStore store, sim::MessageStatus status, std::string number,
                        std::string timestamp, std::string text) {
  sim::Message m;
  m.store = store;
  m.status = status;
  m.number = std::move(number);
  m.timestamp = std::move(timestamp);
  m.text = std::move(text);
  return m;
}

class SmsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("qv-sms");
    ui_.clock = {};
    ui_.answer = MsgResult::No;
    app_ = std::make_unique<AppState>(ui_, path("portcfg.ini"));
    section_.archivePath = path("sms_archive.txt");
    section_.SetControlsEnabled = [this](bool enabled) { busy_.calls.push_back(enabled); };
  }
  void TearDown() override {
    phone_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  sim::PhoneSim& startPhone(const sim::HandsetState& state, sim::SimOptions options = {}) {
    options.stateFile = path("handset.txt");
    sim::SaveStateFile(options.stateFile, state);
    phone_ = std::make_unique<sim::PhoneSim>(options);
    phone_->start();
    SavePortSettings({phone_->slavePath(), 115200, 3000}, path("portcfg.ini"));
    app_->LoadPortSettings();
    return *phone_;
  }

  std::string slurp(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void spit(const std::string& name, const std::string& data) const {
    std::ofstream(path(name), std::ios::binary) << data;
  }

  // Clicks a folder node as the user does.
  void click(int node) {
    section_.selectNode(node);
    section_.tvSMSClick(*app_);
  }

  std::vector<std::string> transcript() const { return phone_->transcript(); }
  // The transcript once the handset has taken `lines` lines (or after 2 s): a text sent
  // after a refusal gets no answer the operation waits for, so it may still be on its way.
  std::vector<std::string> transcriptOf(std::size_t lines) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (phone_->transcript().size() < lines && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return phone_->transcript();
  }
  sim::PhoneSim& phone() { return *phone_; }

  std::filesystem::path dir_;
  RecordingUi ui_;
  RecordingBusy busy_;
  std::unique_ptr<AppState> app_;
  std::unique_ptr<sim::PhoneSim> phone_;
  sms::SmsSection section_;
};

}  // namespace quorvex::testing
