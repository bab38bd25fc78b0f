#include "test_time.h"

#include <algorithm>

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
  if (timeoutMs <= kIdleCheckMs) return device.waitInput(timeoutMs, result);
  const std::uint32_t started = GetTick();
  const std::int64_t realLimit = std::min(timeoutMs, std::max(cap_, kIdleCheckMs));
  // A scripted device may time out without waiting: the slices it was given count as passed.
  std::int64_t given = 0;
  const auto real = [started] { return static_cast<std::int64_t>(TickDiff(started, GetTick())); };
  for (;;) {
    const std::int64_t left = realLimit - std::max(real(), given);
    const auto slice = static_cast<std::int32_t>(std::clamp<std::int64_t>(left, 0, kIdleCheckMs));
    const int err = device.waitInput(slice, result);
    if (err != 0 || result != WaitResult::TimedOut) return err;
    given += slice;
    const std::int64_t passed = real();
    const std::int64_t waited = std::max(passed, given);
    if (waited >= timeoutMs || waited >= realLimit ||
        (nothingCanCome_ != nullptr && nothingCanCome_())) {
      if (passed < timeoutMs) skippedMs += timeoutMs - passed;
      return 0;
    }
  }
}

}  // namespace quorvex::testing
