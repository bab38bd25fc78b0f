// Test time for the port object. A wait for input ends early when nothing can come: at once
// when every simulated handset of the process is idle (it took the command and will send
// nothing more), or after a cap in real time; the port object's clock then counts the whole
// time-out as passed. A silent handset's time-outs so end with the same texts after the same
// exchanges, without the real wait.
#pragma once

#include <cstdint>

#include "serial/port_clock.h"

namespace quorvex::testing {

// Longer than any answer of the simulated handset takes under the sanitizers on a busy
// machine; only a wait on a device that is no simulated handset of this process meets it.
inline constexpr std::int32_t kRealWaitCapMs = 300;

// How often a wait asks whether anything can still come.
inline constexpr std::int32_t kIdleCheckMs = 2;

// True when no input can come: no device may send anything until the port sends again.
using NothingCanComeFn = bool (*)();

class TestTime final : public PortClock {
 public:
  explicit TestTime(NothingCanComeFn nothingCanCome = nullptr,
                    std::int32_t realCapMs = kRealWaitCapMs)
      : nothingCanCome_(nothingCanCome), cap_(realCapMs) {}
  // The real monotonic clock plus the time-outs this thread's waits skipped.
  std::uint32_t now() override;
  int waitInput(SerialDevice& device, std::int32_t timeoutMs, WaitResult& result) override;

 private:
  NothingCanComeFn nothingCanCome_;
  std::int32_t cap_;
};

// Makes test time the clock of every port object made while it lives.
class ScopedTestTime {
 public:
  explicit ScopedTestTime(NothingCanComeFn nothingCanCome = nullptr) : time_(nothingCanCome) {
    SetDefaultPortClock(&time_);
  }
  ~ScopedTestTime() { SetDefaultPortClock(nullptr); }
  ScopedTestTime(const ScopedTestTime&) = delete;
  ScopedTestTime& operator=(const ScopedTestTime&) = delete;

 private:
  TestTime time_;
};

}  // namespace quorvex::testing
