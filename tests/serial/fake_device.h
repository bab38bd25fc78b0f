// A scripted serial device: hands out the given chunks one per wait, records what was sent
// and counts how often the port was touched. Its clock lets each chunk come a set time after
// the one before.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <string>

#include "serial/block_serial.h"
#include "serial/port_clock.h"
#include "serial/serial_device.h"

namespace quorvex::testing {

struct FakeScript {
  FakeScript() = default;
  FakeScript(std::deque<std::string> input) : chunks(std::move(input)) {}
  std::deque<std::string> chunks;  // input, one chunk per wait
  bool hangUpAtEnd = false;        // after the last chunk the line goes away
  int openError = 0;
  int writeError = 0;
  LineErrorFlags lineErrors;  // reported once, at the next take
  std::int32_t chunkDelayMs = 0;  // on the fake clock, from one chunk to the next
};

class FakeDevice : public SerialDevice {
 public:
  explicit FakeDevice(FakeScript* script) : s_(script) {}

  int open(const std::string& path) override {
    opened = path;
    if (s_->openError) return s_->openError;
    open_ = true;
    return 0;
  }
  bool isOpen() const override { return open_; }
  void close() override { open_ = false; }
  int applyLineParams(const LineParams& p) override {
    params = p;
    return 0;
  }
  int setModemLines(bool, bool) override { return 0; }
  int bytesWaiting(std::int32_t& n) override {
    ++touches;
    n = static_cast<std::int32_t>(available_.size());
    return 0;
  }
  int waitInput(std::int32_t, WaitResult& r) override {
    ++touches;
    if (available_.empty() && !s_->chunks.empty()) {
      available_ = s_->chunks.front();
      s_->chunks.pop_front();
    }
    if (!available_.empty())
      r = WaitResult::Ready;
    else
      r = s_->hangUpAtEnd ? WaitResult::HungUp : WaitResult::TimedOut;
    return 0;
  }
  int read(char* buffer, std::int32_t count, std::int32_t& got) override {
    ++touches;
    got = std::min<std::int32_t>(count, static_cast<std::int32_t>(available_.size()));
    std::memcpy(buffer, available_.data(), static_cast<std::size_t>(got));
    available_.erase(0, static_cast<std::size_t>(got));
    if (got == 0) return s_->hangUpAtEnd ? 0 : EAGAIN;
    return 0;
  }
  int write(const char* buffer, std::int32_t count, std::int32_t, std::int32_t& written) override {
    if (s_->writeError) return s_->writeError;
    sent.append(buffer, static_cast<std::size_t>(count));
    written = count;
    return 0;
  }
  int purge(bool, bool) override {
    ++purges;
    return 0;
  }
  LineErrorFlags takeLineErrors() override {
    LineErrorFlags f = s_->lineErrors;
    s_->lineErrors = {};
    return f;
  }

  std::string opened;
  std::string sent;
  LineParams params;
  int touches = 0;
  int purges = 0;

 private:
  FakeScript* s_;
  bool open_ = false;
  std::string available_;
};

// Scripted time: a wait that meets a chunk lasts until the chunk comes, one that meets none
// the whole time-out. It starts just short of the wrap of the 32-bit tick.
class FakeClock : public PortClock {
 public:
  explicit FakeClock(FakeScript* script) : s_(script) {}
  std::uint32_t now() override { return ms; }
  int waitInput(SerialDevice& device, std::int32_t timeoutMs, WaitResult& result) override {
    std::int32_t queued = 0;
    device.bytesWaiting(queued);
    if (queued == 0 && !s_->chunks.empty()) {
      const std::int32_t due = s_->chunkDelayMs - sinceLastChunk_;
      if (due > timeoutMs) {
        sinceLastChunk_ += timeoutMs;
        ms += static_cast<std::uint32_t>(timeoutMs);
        result = WaitResult::TimedOut;
        return 0;
      }
      sinceLastChunk_ = 0;
      ms += static_cast<std::uint32_t>(due);
    } else if (queued == 0) {
      ms += static_cast<std::uint32_t>(timeoutMs);
    }
    return device.waitInput(timeoutMs, result);
  }
  std::uint32_t elapsed() const { return ms - kStart; }

  static constexpr std::uint32_t kStart = 0xFFFFFF00u;
  std::uint32_t ms = kStart;

 private:
  FakeScript* s_;
  std::int32_t sinceLastChunk_ = 0;
};

}  // namespace quorvex::testing
