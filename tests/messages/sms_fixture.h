// What the message tests share: the handset test with the application state and the
// section, and handset states with messages.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "handset_test.h"
#include "messages/sms_section.h"
#include "sim/handset_state.h"

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

class SmsTest : public AppStateTest {
 protected:
  void SetUp() override {
    AppStateTest::SetUp();
    ui_.clock = {};
    ui_.answer = MsgResult::No;
    section_.archivePath = path("sms_archive.txt");
    section_.SetControlsEnabled = [this](bool enabled) { busy_.calls.push_back(enabled); };
  }

  sim::PhoneSim& startPhone(const sim::HandsetState& state, sim::SimOptions options = {}) {
    AppStateTest::startPhone(state, std::move(options));
    app_->LoadPortSettings();
    return *phone_;
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

  RecordingBusy busy_;
  sms::SmsSection section_;
};

}  // namespace quorvex::testing
