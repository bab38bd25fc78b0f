#include "serial/port_clock.h"

#include <atomic>

#include "serial/block_serial.h"

namespace quorvex {
namespace {

class SystemClock final : public PortClock {
 public:
  std::uint32_t now() override { return GetTick(); }
  int waitInput(SerialDevice& device, std::int32_t timeoutMs, WaitResult& result) override {
    return device.waitInput(timeoutMs, result);
  }
};

std::atomic<PortClock*> defaultClock{nullptr};

}  // namespace

PortClock& SystemPortClock() {
  static SystemClock clock;
  return clock;
}

PortClock& DefaultPortClock() {
  PortClock* clock = defaultClock.load();
  return clock != nullptr ? *clock : SystemPortClock();
}

void SetDefaultPortClock(PortClock* clock) {
  defaultClock.store(clock);
}

}  // namespace quorvex
