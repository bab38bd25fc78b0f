#include "test_time.h"

#include <chrono>

#include "serial/block_serial.h"

namespace quorvex::testing {
namespace {

// Per thread, so that one port object skipping a time-out never shortens the exchange that
// another thread's port object is timing.
thread_local std::int64_t skippedMs = 0;

}  // namespace

std::uint32_t TestTime::now() {
  return GetTick() + static_cast<std::uint32_t>(skippedMs);
}

int TestTime::waitInput(SerialDevice& device, std::int32_t timeoutMs, WaitResult& result) {
  if (timeoutMs <= cap_) return device.waitInput(timeoutMs, result);
  const std::uint32_t started = GetTick();
  const int err = device.waitInput(cap_, result);
  if (err == 0 && result == WaitResult::TimedOut) {
    const std::int64_t waited = TickDiff(started, GetTick());
    if (waited < timeoutMs) skippedMs += timeoutMs - waited;
  }
  return err;
}

}  // namespace quorvex::testing
