// Test time against a device that never sends: a wait ends at once when nothing can come, after
// the real cap when something might, and the port object's clock counts the whole time-out
// either way; a wait no longer than the cap runs in real time, and input ends a wait at once.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "serial/block_serial.h"
#include "test_time.h"

namespace quorvex::testing {
namespace {

// Input is there or it never comes; a wait for none takes its time in full, or no time at
// all, as a scripted device's does.
class StillDevice : public SerialDevice {
 public:
  StillDevice(bool ready, bool instant) : ready_(ready), instant_(instant) {}
  int open(const std::string&) override { return 0; }
  bool isOpen() const override { return true; }
  void close() override {}
  int applyLineParams(const LineParams&) override { return 0; }
  int setModemLines(bool, bool) override { return 0; }
  int bytesWaiting(std::int32_t& n) override {
    n = ready_ ? 1 : 0;
    return 0;
  }
  int waitInput(std::int32_t timeoutMs, WaitResult& r) override {
    ++waits;
    if (ready_) {
      r = WaitResult::Ready;
      return 0;
    }
    if (!instant_) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    r = WaitResult::TimedOut;
    return 0;
  }
  int read(char*, std::int32_t, std::int32_t& got) override {
    got = 0;
    return 0;
  }
  int write(const char*, std::int32_t count, std::int32_t, std::int32_t& written) override {
    written = count;
    return 0;
  }
  int purge(bool, bool) override { return 0; }
  LineErrorFlags takeLineErrors() override { return {}; }

  int waits = 0;

 private:
  bool ready_, instant_;
};

bool NothingCanCome() {
  return true;
}
bool SomethingMayCome() {
  return false;
}

struct TimeCase {
  const char* name;
  NothingCanComeFn probe;
  bool ready;
  bool instant;
  std::int32_t timeoutMs;
  WaitResult result;
  std::int64_t countedAtLeastMs;  // on the test clock
  std::int64_t realAtLeastMs, realBelowMs;
};

class TestTimeWait : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TestTimeWait, CountsTheWholeTimeOutAndWaitsOnlyWhileSomethingMayCome) {
  const TimeCase& c = GetParam();
  constexpr std::int32_t kCapMs = 400;
  TestTime time(c.probe, kCapMs);
  StillDevice device(c.ready, c.instant);
  const std::uint32_t clockFrom = time.now();
  const auto realFrom = std::chrono::steady_clock::now();
  WaitResult result = WaitResult::HungUp;
  EXPECT_EQ(time.waitInput(device, c.timeoutMs, result), 0);
  const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - realFrom)
                        .count();
  EXPECT_EQ(result, c.result);
  EXPECT_GE(TickDiff(clockFrom, time.now()), c.countedAtLeastMs);
  // The port's tick and this clock cut milliseconds at different points.
  EXPECT_GE(real + 1, c.realAtLeastMs);
  EXPECT_LT(real, c.realBelowMs);
}

INSTANTIATE_TEST_SUITE_P(
    StillDevice, TestTimeWait,
    ::testing::Values(TimeCase{"NothingCanComeEndsAtOnce", NothingCanCome, false, false, 1000,
                               WaitResult::TimedOut, 1000, 0, 150},
                      TimeCase{"NothingCanComeEndsAShortWaitAtOnce", NothingCanCome, false, false,
                               300, WaitResult::TimedOut, 300, 0, 150},
                      TimeCase{"SomethingMayComeWaitsTheCap", SomethingMayCome, false, false, 1000,
                               WaitResult::TimedOut, 1000, 400, 900},
                      TimeCase{"NoProbeWaitsTheCap", nullptr, false, false, 1000,
                               WaitResult::TimedOut, 1000, 400, 900},
                      TimeCase{"AWaitWithinTheCapIsReal", SomethingMayCome, false, false, 300,
                               WaitResult::TimedOut, 300, 300, 900},
                      TimeCase{"ADeviceThatTimesOutAtOnceIsNotWaitedFor", SomethingMayCome, false,
                               true, 1000, WaitResult::TimedOut, 1000, 0, 150},
                      TimeCase{"InputEndsTheWaitAndSkipsNothing", NothingCanCome, true, false, 1000,
                               WaitResult::Ready, 0, 0, 150}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvex::testing
