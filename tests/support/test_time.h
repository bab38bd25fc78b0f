// Test time for the port object. A wait for input longer than the cap ends after the cap in
// real time when nothing came, and the port object's clock then counts the whole time-out as
// passed. The simulated handset answers within milliseconds, so only a silent one meets the
// cap: its time-outs end with the same texts after the same exchanges, without the real wait.
#pragma once

#include <cstdint>

#include "serial/port_clock.h"

namespace quorvex::testing {

// Longer than any answer of the simulated handset takes under the sanitizers on a busy
// machine, and than the 200 ms it holds a hang-up back so that the half reply is read first.
inline constexpr std::int32_t kRealWaitCapMs = 300;

class TestTime final : public PortClock {
 public:
  explicit TestTime(std::int32_t realCapMs = kRealWaitCapMs) : cap_(realCapMs) {}
  // The real monotonic clock plus the time-outs this thread's waits skipped.
  std::uint32_t now() override;
  int waitInput(SerialDevice& device, std::int32_t timeoutMs, WaitResult& result) override;

 private:
  std::int32_t cap_;
};

// Makes test time the clock of every port object made while it lives.
class ScopedTestTime {
 public:
  ScopedTestTime() { SetDefaultPortClock(&time_); }
  ~ScopedTestTime() { SetDefaultPortClock(nullptr); }
  ScopedTestTime(const ScopedTestTime&) = delete;
  ScopedTestTime& operator=(const ScopedTestTime&) = delete;

 private:
  TestTime time_;
};

}  // namespace quorvex::testing
