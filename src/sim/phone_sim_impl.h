// The simulated handset's state and steps, shared by its two halves: phone_sim.cpp serves
// the pty and answers commands, phone_sim_line.cpp writes to the line and tells when the
// handset is idle.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/at_engine.h"
#include "sim/at_framer.h"
#include "sim/phone_sim.h"
#include "sim/replay.h"

namespace quorvex::sim {

using SteadyClock = std::chrono::steady_clock;

// How long a write may wait for the client to take bytes before the rest of a reply is
// dropped, as bytes sent down a line that nobody reads are lost.
inline constexpr int kStallMs = 2000;

void CloseFd(int& fd);

struct PhoneSim::Impl {
  explicit Impl(SimOptions o)
      : opt(std::move(o)),
        engine(opt.model, opt.demoData ? DemoState() : EmptyState(), opt.echo),
        rng(opt.seed),
        codeRng(opt.seed ^ 0x5EEDu) {
    engine.habits = {.longEntryLines = opt.longEntryLines,
                     .bareImsi = opt.bareImsi,
                     .quotedTitles = opt.quotedTitles,
                     .fullYearStamps = opt.fullYearStamps,
                     .needsMode2 = opt.needsMode2};
  }

  SimOptions opt;
  mutable std::mutex engineMu;
  AtEngine engine;
  bool stateLoaded = false;
  std::unique_ptr<Replay> replay;  // guarded by engineMu
  bool replayEcho = true;

  int master = -1, slave = -1, wakeRead = -1, wakeWrite = -1;
  std::string slaveName;
  std::thread thread;
  std::atomic<bool> stopping{false};

  // Whether serve() waits for a command (set just before its poll, cleared on waking) and
  // whether it has stopped serving for good; both under idleMu, so that idle(), holding
  // it, finds the descriptors open and the handset still.
  mutable std::mutex idleMu;
  bool waiting = false;
  bool done = false;

  mutable std::mutex logMu;
  std::vector<std::string> transcript;
  std::atomic<int> exchanges{0};
  std::atomic<int> struck{0};
  std::atomic<std::int64_t> bytesIn{0}, bytesOut{0};

  AtFramer framer;
  std::mt19937 rng;
  std::mt19937 codeRng;   // its own, so codes do not change the noise or the pieces
  std::string textSoFar;  // the parts of a message text before its last CR
  SteadyClock::time_point lineFree{};
  SteadyClock::time_point burstStart{};
  std::int64_t burstBytes = 0;

  void start();
  void stop();
  void serve();
  bool handle(const FramerEvent& ev);
  bool logEvent(const FramerEvent& ev, std::string& wholeText);
  EngineReply answer(const FramerEvent& ev, const std::string& wholeText);
  EngineReply replayAnswer(const FramerEvent& ev, const std::string& wholeText, bool refused);
  EngineReply engineAnswer(const FramerEvent& ev, bool refused);
  void hangUp(const EngineReply& reply);
  EngineReply replayed(const std::string& command, std::string echo);
  bool writeOut(std::string_view data);
  bool writeRaw(const char* data, std::size_t size);
  bool sleepUntil(SteadyClock::time_point deadline);
  // Sleeps until the client has read all that was written, at most `ms`; false on a stop.
  bool awaitTaken(int ms);
  void setServing(bool waitingForInput, bool stopped = false);
  bool idle() const;
  std::string garbage();
  void addUnsolicited(const FramerEvent& ev, EngineReply& reply, std::string& lead);
  void record(std::string line);
  void saveLocked();
  void closeAll();
};

}  // namespace quorvex::sim
