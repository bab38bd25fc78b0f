// The serial port object. Every operation that talks to the handset creates one, opens the
// configured port, runs its AT exchanges and frees it; nothing lives between operations.
//
// Error contract. Every method sets LastError/LastErrorText (0 / "OK" on success). With
// RaiseOnError true, a method that met an error raises ESynaSerError at its end; with it
// false the object stays usable and the caller inspects LastError. Codes below 9991 are
// errno values; their text is the system's, without trailing blanks, control characters and
// full stops. errno 2 (no such device) is shown as "Телефон не подключен.". A failed open
// adds, after that text, what to do for a missing device, missing rights or a device held by
// another program (serial/open_failure.h); LastErrorText stays the bare text. A handset that
// goes away (hang-up, EIO, end of file) is an immediate error with the system's text, never a
// wait for the time-out. A reply ends at OK, at ERROR and at "+CME ERROR: n"/"+CMS ERROR: n"
// (those two with CommandOk false). The destructor closes the port and never throws.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "codec/errors.h"
#include "serial/port_clock.h"
#include "serial/serial_device.h"

namespace quorvex {

enum SerialErrorCode : std::int32_t {
  ErrPortOwned = 9991,
  ErrAlreadyOwned = 9992,
  ErrWrongParameter = 9993,
  ErrPortNotOpen = 9994,
  ErrNoDeviceAnswer = 9995,
  ErrMaxBuffer = 9996,
  ErrTimeout = 9997,
  ErrReadFailed = 9998,
  ErrFrame = 9999,
  ErrOverrun = 10000,
  ErrRxOver = 10001,
  ErrRxParity = 10002,
  ErrTxFull = 10003,
};

class ESynaSerError : public Exception {
 public:
  ESynaSerError(const std::string& message, std::int32_t code, std::string description)
      : Exception(message), Code(code), Description(std::move(description)) {}
  std::int32_t Code;
  std::string Description;
};

// Wrap-safe distance in milliseconds on a 32-bit tick counter.
std::uint32_t TickDiff(std::uint32_t oldTick, std::uint32_t newTick);

// Milliseconds of a monotonic clock, truncated to 32 bits.
std::uint32_t GetTick();

struct LineEnd {
  std::int64_t pos = 0;  // 1-based; 0 when the text holds no line end
  std::int64_t len = 0;
};

// The earliest line-end character wins; a CR LF or LF CR pair starting there beats the lone
// character.
LineEnd FindLineEnd(std::string_view text);

class TBlockSerial {
 public:
  TBlockSerial();
  // Waits run on the given clock (the default one when none is given).
  explicit TBlockSerial(std::unique_ptr<SerialDevice> device,
                        PortClock& clock = DefaultPortClock());
  ~TBlockSerial();
  TBlockSerial(const TBlockSerial&) = delete;
  TBlockSerial& operator=(const TBlockSerial&) = delete;

  void OpenPort(const std::string& portName);
  void SetLineParams(std::int32_t baud, std::int32_t dataBits, char parity, std::int32_t stopCode,
                     bool softFlow, bool hardFlow);
  std::int32_t SendText(std::string_view text);
  std::int32_t SendBytes(const char* buffer, std::int32_t count);
  std::string ReadAvailable(std::int32_t timeoutMs);
  std::string ReadUntil(std::int32_t timeoutMs, std::string_view terminator);
  std::string ReadLine(std::int32_t timeoutMs);
  std::string RunAtCommand(const std::string& command);
  // One command whose whole exchange, from the send to the final line, takes at most totalMs:
  // a device that keeps sending lines ends on the time-out as a silent one does. No mode
  // switch.
  std::string RunAtCommandWithin(const std::string& command, std::int32_t totalMs);
  void PurgeBuffers();
  void ClosePort();
  void RaiseIfError();

  static std::string GetErrorDesc(std::int32_t code);
  // Whether a port object of this program has the device open now (a link and its node are
  // one device).
  static bool HeldByThisProgram(const std::string& devicePath);

  // Readable state.
  std::int32_t LastError() const { return lastError_; }
  const std::string& LastErrorText() const { return lastErrorText_; }
  bool CommandOk() const { return commandOk_; }
  bool PortActive() const { return portActive_; }
  std::int32_t PortNumber() const { return portNumber_; }
  const std::string& DeviceName() const { return deviceName_; }
  // The path the port object really opened (a COM name maps to /dev/ttyS(n-1)).
  const std::string& DevicePath() const { return devicePath_; }

  // Settable fields.
  bool RaiseOnError = false;
  std::int32_t ReplyTimeout = 1000;
  std::int32_t WriteGuardTime = 30000;
  std::int32_t RecvQueueSize = 4096;
  std::int32_t MaxLineLength = 0;
  bool PerPacketTimeout = true;
  bool ConvertLineEnds = false;
  // Unsolicited result codes (RING, +CMTI: ... and the like, see serial/unsolicited.h) stay in
  // the reply; otherwise RunAtCommand drops them with their framing.
  bool KeepUnsolicited = false;
  // The first phone book, group or date book command refused: switch the handset with
  // AT+MODE=2 and send it once more; closing the port sends AT+MODE=0 then.
  bool SwitchToMode2 = true;

 private:
  void SetError(std::int32_t code);
  bool PortCheck();
  void TranslateLineErrors();
  // One command and its reply. totalMs > 0 bounds the whole exchange, not each line.
  std::string Exchange(const std::string& command, std::int32_t totalMs);
  void LeaveMode2();

  std::unique_ptr<SerialDevice> device_;
  PortClock& clock_;
  std::string deviceName_;
  std::string devicePath_;
  std::string openKey_;  // the device as this program's list of open devices knows it
  std::int32_t portNumber_ = -1;
  bool portActive_ = false;
  std::int32_t lastError_ = 0;
  std::string lastErrorText_ = "OK";
  std::string pendingInput_;
  bool commandOk_ = false;
  bool refused_ = false;   // the last exchange ended on ERROR or a numbered error
  bool linkLost_ = false;  // the handset hung up or the line failed: nothing more to send
  bool mode2CommandSent_ = false;
  bool mode2Switched_ = false;  // AT+MODE=2 went out; AT+MODE=0 is owed at the close
  bool lastCR_ = false;
  bool lastLF_ = false;
};

// The device path a port name opens on this system and its COM number (0-based, -1 when the
// name is no COM name, -2 for a /dev/ttyS name without a number).
struct PortNameMapping {
  std::int32_t portNumber;
  std::string devicePath;
};
PortNameMapping MapPortName(const std::string& portName);

}  // namespace quorvex
