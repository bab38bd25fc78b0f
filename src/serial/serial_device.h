// What the port object needs of the operating system's serial device. The POSIX
// implementation is the only code that calls termios, ioctl, flock and poll; tests and fuzz
// targets put a scripted device in its place.
//
// Every call returns 0 on success or an errno value (ErrTimeout where a bounded wait ran out).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quorvex {

struct LineErrorFlags {
  bool framing = false;
  bool overrun = false;
  bool rxOverflow = false;
  bool parity = false;
  bool txFull = false;
  bool any() const { return framing || overrun || rxOverflow || parity || txFull; }
};

struct LineParams {
  std::int32_t baud = 0;
  std::int32_t dataBits = 8;
  char parity = 'N';
  std::int32_t stopCode = 0;  // 0 one, 1 one and a half, 2 two
  bool softFlow = false;
  bool hardFlow = false;
  std::int32_t xonLimit = 1024;
  std::int32_t xoffLimit = 1024;
};

enum class WaitResult { Ready, TimedOut, HungUp };

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Opens an existing device exclusively, raw, non-blocking.
  virtual int open(const std::string& path) = 0;
  virtual bool isOpen() const = 0;
  virtual void close() = 0;

  virtual int applyLineParams(const LineParams& params) = 0;
  // Raise or drop RTS and DTR; a device without modem lines (a pty) is not an error.
  virtual int setModemLines(bool rts, bool dtr) = 0;

  virtual int bytesWaiting(std::int32_t& count) = 0;
  // Waits up to timeoutMs for input. HungUp: the other side went away.
  virtual int waitInput(std::int32_t timeoutMs, WaitResult& result) = 0;
  // Reads what is there without waiting; got = 0 with result 0 means end of file, EAGAIN
  // that nothing was there.
  virtual int read(char* buffer, std::int32_t count, std::int32_t& got) = 0;
  // Writes all bytes, waiting at most guardMs in total for the device to take them.
  virtual int write(const char* buffer, std::int32_t count, std::int32_t guardMs,
                    std::int32_t& written) = 0;
  // Discards the input queue, the output queue or both.
  virtual int purge(bool input, bool output) = 0;
  // Line conditions met since the last call.
  virtual LineErrorFlags takeLineErrors() = 0;
};

std::unique_ptr<SerialDevice> MakePosixSerialDevice();

// Whether a serial node has a chip behind it: the kernel reports every 8250-style port it
// knows as a node, with the type PORT_UNKNOWN where nothing answered at boot. nullopt when the
// node cannot be asked (no rights, held exclusively, not a serial port).
std::optional<bool> HasUart(const std::string& path);

// Gives up every device this process holds open, at once: the exclusive mode is cleared and
// the descriptor closed, which drops the lock. Only system calls, no allocation and no lock,
// so a signal handler may call it just before it ends the process; the port objects are not
// to be used afterwards.
void ReleaseOpenDevicesNow() noexcept;

}  // namespace quorvex
