// What the phone book tests share: the recording user interface, and a simulated handset
// started from a given state.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "codec/ru.h"
#include "core/app_state.h"
#include "core/user_interface.h"
#include "phonebook/phonebook_section.h"
#include "recording_ui.h"
#include "scratch_dir.h"
#include "serial/unsolicited.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex::phonebook::testing {

using ::quorvex::testing::Box;
using ::quorvex::testing::RecordingUi;

inline std::filesystem::path ScratchDir() {
  return ::quorvex::testing::MakeScratchDir("qv-pb");
}

// An entry as the handset state holds it.
inline sim::PhoneEntry Entry(std::string number, std::string name, int type = 3) {
  sim::PhoneEntry e;
  e.number = std::move(number);
  e.format = !e.number.empty() && e.number[0] == '+' ? 145 : (type == 6 ? 128 : 129);
  e.name = std::move(name);
  e.type = type;
  return e;
}

// An entry whose name code page 1251 cannot hold, as the handset keeps it.
inline sim::PhoneEntry Wide(std::string number, std::string shown, std::string hex, int type) {
  sim::PhoneEntry e = Entry(std::move(number), std::move(shown), type);
  e.nameUcs2 = std::move(hex);
  return e;
}

inline sim::HandsetState Book(int phoneSize, int simSize, std::map<int, sim::PhoneEntry> entries) {
  sim::HandsetState st = sim::EmptyState();
  st.phoneSize = phoneSize;
  st.simSize = simSize;
  st.entries = std::move(entries);
  return st;
}

// A handset of a model with a given state, the app state pointing at it, and a section.
class Handset {
 public:
  // `dir` is the handset's folder when the caller owns it (a forked child ends without
  // running this destructor); empty means a scratch folder of the test's own.
  Handset(const std::string& model, const sim::HandsetState& state,
          const std::function<void(sim::SimOptions&)>& tune = {}, std::filesystem::path dir = {})
      : dir_(dir.empty() ? ScratchDir() : std::move(dir)) {
    std::filesystem::create_directories(dir_);
    sim::SaveStateFile((dir_ / "handset.txt").string(), state);
    sim::SimOptions o;
    o.model = model;
    o.demoData = false;
    o.stateFile = (dir_ / "handset.txt").string();
    if (tune) tune(o);
    phone_ = std::make_unique<sim::PhoneSim>(o);
    phone_->start();
    ui.answer = MsgResult::No;
    app_ = std::make_unique<AppState>(ui, (dir_ / "portcfg.ini").string());
    app_->setOverride({phone_->slavePath(), 115200, 1000});
    app_->LoadPortSettings();
  }
  ~Handset() {
    phone_.reset();
    std::filesystem::remove_all(dir_);
  }

  AppState& app() { return *app_; }
  sim::PhoneSim& phone() { return *phone_; }
  const std::filesystem::path& dir() const { return dir_; }

  // The commands sent since the last call.
  std::vector<std::string> sent() {
    auto t = phone_->transcript();
    phone_->clearTranscript();
    return t;
  }

  RecordingUi ui;
  PhoneBookSection section;

 private:
  std::filesystem::path dir_;
  std::unique_ptr<sim::PhoneSim> phone_;
  std::unique_ptr<AppState> app_;
};

// Reads, then forgets what the read sent, showed and pumped.
inline void ReadFirst(Handset& h) {
  h.section.sbReadAllClick(h.app());
  h.sent();
  h.ui.boxes.clear();
  h.ui.pumps.clear();
}

// The commands of a read before its chunks: model, bounds, combined storage, character set.
inline std::vector<std::string> ReadPrologue() {
  return {"AT+CGMM",    "AT +CPBS=ME", "AT+MPBR=?",  "AT +CPBS=SM", "AT+MPBR=?",
          "AT+CPBS=MT", "AT+MPBR=?",   "AT+CPBS=MT", "AT+CSCS=UCS2"};
}

// The commands of one port object as a handset that needs AT+MODE=2 sees them: the first
// Motorola book command refused, the switch, that command again, and the switch back last.
inline std::vector<std::string> Switched(std::vector<std::string> s) {
  const auto first = std::find_if(
      s.begin(), s.end(), [](const std::string& c) { return NeedsMode2(AtCommandName(c)); });
  if (first == s.end()) return s;
  const std::string command = *first;
  s.insert(s.insert(first + 1, "AT+MODE=2") + 1, command);
  s.push_back("AT+MODE=0");
  return s;
}

inline std::vector<std::string> Concat(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The texts of a row: caption, then every sub-item.
inline std::vector<std::string> Texts(const ListRow& row) {
  std::vector<std::string> t{row.caption};
  for (const ListCell& c : row.subItems) t.push_back(c.text);
  return t;
}

}  // namespace quorvex::phonebook::testing
