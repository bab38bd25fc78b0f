// The time the port object waits on. The system clock waits on the device for the whole
// time-out; a test program puts in a clock of its own so that a silent handset's time-out
// passes without the real wait, while the port object still sees the full time go by.
#pragma once

#include <cstdint>

#include "serial/serial_device.h"

namespace quorvex {

class PortClock {
 public:
  virtual ~PortClock() = default;
  // Milliseconds of this clock, wrapping at 32 bits.
  virtual std::uint32_t now() = 0;
  // Waits up to timeoutMs of this clock's time for input on the device.
  virtual int waitInput(SerialDevice& device, std::int32_t timeoutMs, WaitResult& result) = 0;
};

// The monotonic clock, and waits of the full time-out.
PortClock& SystemPortClock();

// The clock a port object takes when it is given none: the system clock unless a test program
// set another for its whole run. Null sets the system clock again.
PortClock& DefaultPortClock();
void SetDefaultPortClock(PortClock* clock);

}  // namespace quorvex
