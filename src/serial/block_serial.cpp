#include "serial/block_serial.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <utility>

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "serial/open_failure.h"
#include "serial/unsolicited.h"

namespace quorvex {

using text::Pos;

std::uint32_t TickDiff(std::uint32_t oldTick, std::uint32_t newTick) {
  // Unsigned subtraction is the forward distance, across a wrap-around too.
  return newTick - oldTick;
}

std::uint32_t GetTick() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(ms.count());
}

LineEnd FindLineEnd(std::string_view t) {
  LineEnd best;
  auto consider = [&](std::string_view sep) {
    int p = Pos(sep, t);
    if (p > 0 && (best.pos == 0 || p < best.pos)) best = {p, static_cast<std::int64_t>(sep.size())};
  };
  consider("\r\n");
  consider("\n\r");
  consider("\r");
  consider("\n");
  return best;
}

namespace {

// The devices this program has open right now, by their resolved path (a by-id link and the
// node it points to are one device). A long operation pumps the window's events, so a second
// operation can try the port while the first holds it; its message must not blame another
// program then.
class OpenDevices {
 public:
  static std::string Key(const std::string& path) {
    std::error_code ec;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved.string();
  }
  void add(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++count_[key];
  }
  void remove(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = count_.find(key);
    if (it != count_.end() && --it->second == 0) count_.erase(it);
  }
  bool holds(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_.count(key) != 0;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, int> count_;
};

OpenDevices& OpenDevicesOfThisProgram() {
  static OpenDevices devices;
  return devices;
}

}  // namespace

PortNameMapping MapPortName(const std::string& portName) {
  const std::string upper = text::UpperCase(portName);
  auto intOr = [](const std::string& digits, std::int32_t fallback) {
    try {
      return text::StrToInt(digits);
    } catch (const EConvertError&) {
      return fallback;
    }
  };
  // COM n is the n-th serial port of the machine, /dev/ttyS(n-1). A /dev/ttyS name without
  // a number (/dev/ttySAC0 on some boards) is a device of its own and is opened as named.
  if (upper.rfind("COM", 0) == 0) {
    std::int32_t number = intOr(portName.substr(3), 0) - 1;
    if (number != -1) return {number, "/dev/ttyS" + std::to_string(number)};
    return {number, portName};
  }
  if (upper.rfind("/DEV/TTYS", 0) == 0) {
    std::int32_t number = intOr(portName.substr(9), -2);
    if (number != -2) return {number, "/dev/ttyS" + std::to_string(number)};
    return {number, portName};
  }
  return {-1, portName};
}

bool TBlockSerial::HeldByThisProgram(const std::string& devicePath) {
  return OpenDevicesOfThisProgram().holds(OpenDevices::Key(devicePath));
}

TBlockSerial::TBlockSerial() : TBlockSerial(MakePosixSerialDevice()) {}

TBlockSerial::TBlockSerial(std::unique_ptr<SerialDevice> device, PortClock& clock)
    : device_(std::move(device)), clock_(clock) {}

TBlockSerial::~TBlockSerial() {
  ClosePort();
}

std::string TBlockSerial::GetErrorDesc(std::int32_t code) {
  switch (code) {
    case 0:
      return "OK";
    case ErrPortOwned:
      return "Port owned by other process";
    case ErrAlreadyOwned:
      return "Instance already in use";
    case ErrWrongParameter:
      return "Wrong paramter at call";
    case ErrPortNotOpen:
      return Ru("Телефон не подключен.");
    case ErrNoDeviceAnswer:
      return "No device answer detected";
    case ErrMaxBuffer:
      return "Maximal buffer length exceeded";
    case ErrTimeout:
      return Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута...");
    case ErrReadFailed:
      return "Reading of data failed";
    case ErrFrame:
      return "Receive framing error";
    case ErrOverrun:
      return "Receive Overrun Error";
    case ErrRxOver:
      return "Receive Queue overflow";
    case ErrRxParity:
      return "Receive Parity Error";
    case ErrTxFull:
      return "Tranceive Queue is full";
    default:
      return SystemErrorText(code);
  }
}

void TBlockSerial::SetError(std::int32_t code) {
  // An error of the system on an open port (hang-up, EIO) means the handset is gone.
  if (portActive_ && code > 0 && code < ErrPortOwned) linkLost_ = true;
  lastError_ = code;
  lastErrorText_ = GetErrorDesc(code);
}

void TBlockSerial::RaiseIfError() {
  if (!RaiseOnError || lastError_ == 0) return;
  std::string description = GetErrorDesc(lastError_);
  std::string message = lastError_ == ENOENT ? Ru("Телефон не подключен.") : description;
  throw ESynaSerError(message, lastError_, description);
}

bool TBlockSerial::PortCheck() {
  if (portActive_) return true;
  SetError(ErrPortNotOpen);
  RaiseIfError();
  return false;
}

void TBlockSerial::TranslateLineErrors() {
  LineErrorFlags flags = device_->takeLineErrors();
  if (!flags.any()) return;
  // Applied in this order, so the last condition met wins.
  if (flags.framing) lastError_ = ErrFrame;
  if (flags.overrun) lastError_ = ErrOverrun;
  if (flags.rxOverflow) lastError_ = ErrRxOver;
  if (flags.parity) lastError_ = ErrRxParity;
  if (flags.txFull) lastError_ = ErrTxFull;
  lastErrorText_ = GetErrorDesc(lastError_);
}

void TBlockSerial::OpenPort(const std::string& portName) {
  if (portActive_) {
    SetError(ErrAlreadyOwned);
    RaiseIfError();
    return;
  }
  pendingInput_.clear();
  lastCR_ = lastLF_ = false;
  linkLost_ = mode2CommandSent_ = mode2Switched_ = false;
  deviceName_ = portName;
  PortNameMapping mapping = MapPortName(portName);
  portNumber_ = mapping.portNumber;
  devicePath_ = mapping.devicePath;
  int err = device_->open(devicePath_);
  SetError(err);
  if (err != 0) {
    portNumber_ = -1;
    if (!RaiseOnError) return;
    const std::string description = GetErrorDesc(err);
    const std::string base = err == ENOENT ? Ru("Телефон не подключен.") : description;
    const OpenFailure failure = ClassifyOpenFailure(err, HeldByThisProgram(devicePath_));
    throw ESynaSerError(OpenFailureMessage(base, failure, devicePath_), err, description);
  }
  SetError(0);
  openKey_ = OpenDevices::Key(devicePath_);
  OpenDevicesOfThisProgram().add(openKey_);
  portActive_ = true;
  err = device_->setModemLines(true, true);
  if (err == 0) {
    PurgeBuffers();
    return;
  }
  SetError(err);
  RaiseIfError();
}

void TBlockSerial::SetLineParams(std::int32_t baud, std::int32_t dataBits, char parity,
                                 std::int32_t stopCode, bool softFlow, bool hardFlow) {
  LineParams p;
  p.baud = baud;
  p.dataBits = dataBits;
  p.parity = parity;
  p.stopCode = stopCode;
  p.softFlow = softFlow;
  p.hardFlow = hardFlow;
  p.xonLimit = p.xoffLimit = RecvQueueSize / 4;
  SetError(device_->applyLineParams(p));
  RaiseIfError();
}

std::int32_t TBlockSerial::SendText(std::string_view t) {
  return SendBytes(t.data(), static_cast<std::int32_t>(t.size()));
}

std::int32_t TBlockSerial::SendBytes(const char* buffer, std::int32_t count) {
  if (!PortCheck()) return 0;
  SetError(0);
  std::int32_t written = 0;
  int err = count > 0 ? device_->write(buffer, count, WriteGuardTime, written) : 0;
  SetError(err);
  TranslateLineErrors();
  RaiseIfError();
  return written;
}

std::string TBlockSerial::ReadAvailable(std::int32_t timeoutMs) {
  std::string result;
  if (!PortCheck()) return result;
  SetError(0);
  if (!pendingInput_.empty()) {
    result.swap(pendingInput_);
    return result;
  }
  std::int32_t waiting = 0;
  int err = device_->bytesWaiting(waiting);
  if (err == 0 && waiting == 0) {
    WaitResult wait = WaitResult::TimedOut;
    err = clock_.waitInput(*device_, timeoutMs, wait);
    if (err == 0) {
      if (wait == WaitResult::TimedOut) {
        err = ErrTimeout;
      } else if (wait == WaitResult::HungUp) {
        // The cable was pulled or the handset closed the line: no answer will come.
        err = EIO;
      } else {
        err = device_->bytesWaiting(waiting);
        // Readable with nothing queued: either the end of the line or a spurious wake-up;
        // read() tells which.
        if (err == 0 && waiting == 0) waiting = 1;
      }
    }
  }
  if (err == 0 && waiting > 0) {
    result.resize(static_cast<std::size_t>(waiting));
    std::int32_t got = 0;
    err = device_->read(result.data(), waiting, got);
    result.resize(static_cast<std::size_t>(got));
    if (err == 0 && got == 0) err = EIO;  // end of file: the line is gone
    if (err == EAGAIN && got == 0) err = ErrTimeout;
  }
  SetError(err);
  if (err == 0) TranslateLineErrors();
  RaiseIfError();
  return result;
}

std::string TBlockSerial::ReadUntil(std::int32_t timeoutMs, std::string_view terminator) {
  std::string result;
  if (!PortCheck()) return result;
  SetError(0);
  if (terminator.empty()) return result;
  const bool convert = ConvertLineEnds && terminator == "\r\n";
  std::string s;
  LineEnd end;
  std::int32_t timeLeft = timeoutMs;
  for (;;) {
    const std::uint32_t started = clock_.now();
    bool raised = false;
    try {
      s += ReadAvailable(timeLeft);
    } catch (const ESynaSerError&) {
      raised = true;  // raised again below, once the collected text is kept
    }
    if (raised || lastError_ != 0) break;
    if (!s.empty()) {
      if (convert) {
        if (lastCR_ && s.front() == '\n') s.erase(0, 1);
        if (lastLF_ && !s.empty() && s.front() == '\r') s.erase(0, 1);
        lastCR_ = lastLF_ = false;
        end = FindLineEnd(s);
        if (end.len == 1) {
          if (s[static_cast<std::size_t>(end.pos - 1)] == '\r')
            lastCR_ = true;
          else
            lastLF_ = true;
        }
      } else {
        int p = Pos(terminator, s);
        end = {p, p > 0 ? static_cast<std::int64_t>(terminator.size()) : 0};
      }
      if (MaxLineLength != 0 && s.size() > static_cast<std::size_t>(MaxLineLength)) {
        SetError(ErrMaxBuffer);
        break;
      }
      if (end.pos > 0) break;
    }
    if (!PerPacketTimeout) {
      timeLeft -= static_cast<std::int32_t>(TickDiff(started, clock_.now()));
      if (timeLeft <= 0) {
        SetError(ErrTimeout);
        break;
      }
    }
  }
  if (end.pos > 0 && lastError_ == 0) {
    result = text::Copy(s, 1, end.pos - 1);
    text::Delete(s, 1, end.pos - 1 + end.len);
    pendingInput_ = std::move(s);
  } else {
    pendingInput_ = std::move(s);
  }
  RaiseIfError();
  return result;
}

std::string TBlockSerial::ReadLine(std::int32_t timeoutMs) {
  std::string line = ReadUntil(timeoutMs, "\r\n");
  if (lastError_ != 0) line.clear();
  return line;
}

std::string TBlockSerial::RunAtCommand(const std::string& command) {
  const bool firstMode2Command =
      SwitchToMode2 && !mode2CommandSent_ && NeedsMode2(AtCommandName(command));
  if (firstMode2Command) mode2CommandSent_ = true;
  std::string reply = Exchange(command, 0);
  if (!firstMode2Command || !refused_) return reply;
  // A newer handset refuses the Motorola book commands until it is switched; a handset that
  // refuses the switch too answers the command as it did.
  mode2Switched_ = true;
  Exchange("AT+MODE=2", 0);
  if (!commandOk_) {
    refused_ = lastError_ == 0;
    return reply;
  }
  return Exchange(command, 0);
}

std::string TBlockSerial::RunAtCommandWithin(const std::string& command, std::int32_t totalMs) {
  return Exchange(command, std::max<std::int32_t>(totalMs, 1));
}

std::string TBlockSerial::Exchange(const std::string& command, std::int32_t totalMs) {
  std::string reply;
  commandOk_ = false;
  refused_ = false;
  const bool savedConvert = ConvertLineEnds;
  ConvertLineEnds = true;
  struct Restore {
    bool& field;
    bool value;
    ~Restore() { field = value; }
  } restore{ConvertLineEnds, savedConvert};
  const std::string name = AtCommandName(command);
  const bool textAnswers = AnswersWithText(name);
  const std::string ownPrefix = name + ":";
  const std::uint32_t started = clock_.now();
  SendText(command + "\r");
  // A code comes framed as CR LF, code, CR LF. Its leading CR LF reads as an empty line of
  // its own, or ends a line that had none (the echo's lone CR, a prompt), and then the empty
  // line that the next answer line brings is the extra one.
  std::size_t emptyLineAt = std::string::npos;  // where the last line, when empty, begins
  bool dropDataLine = false;
  bool dropEmptyLine = false;
  bool textLineNext = false;
  for (;;) {
    std::int32_t wait = ReplyTimeout;
    if (totalMs > 0) {
      const std::int64_t left =
          static_cast<std::int64_t>(totalMs) - TickDiff(started, clock_.now());
      if (left <= 0) {
        SetError(ErrTimeout);
        RaiseIfError();
        break;
      }
      wait = static_cast<std::int32_t>(std::min<std::int64_t>(wait, left));
    }
    std::string line = ReadLine(wait);
    if (lastError_ == 0 && !KeepUnsolicited) {
      const bool textLine = textLineNext && !line.empty();
      textLineNext = false;
      if (std::exchange(dropDataLine, false)) continue;
      if (std::exchange(dropEmptyLine, false) && line.empty()) continue;
      const UnsolicitedCode* code = textLine ? nullptr : FindUnsolicited(line, name);
      if (code != nullptr) {
        if (emptyLineAt != std::string::npos)
          reply.resize(emptyLineAt);
        else
          dropEmptyLine = true;
        emptyLineAt = std::string::npos;
        dropDataLine = code->dataLine;
        continue;
      }
      textLineNext = textAnswers && line.compare(0, ownPrefix.size(), ownPrefix) == 0;
    }
    emptyLineAt = std::string::npos;
    if (line == command) {
      // The handset answers after its echo, so empty lines ahead of the echo are no part of
      // this reply: they are the tail of an earlier exchange's last line end, whose LF can
      // reach the line after the port object that read its CR was freed.
      if (reply.find_first_not_of("\r\n") == std::string::npos) reply.clear();
    } else {
      if (line.empty()) emptyLineAt = reply.size();
      reply += line;
      reply += "\r\n";
    }
    if (line == "OK") {
      commandOk_ = true;
      break;
    }
    if (IsErrorResult(line)) {
      refused_ = true;
      break;
    }
    if (lastError_ != 0) break;
  }
  return reply;
}

void TBlockSerial::LeaveMode2() {
  const bool savedRaise = RaiseOnError;
  RaiseOnError = false;
  try {
    Exchange("AT+MODE=0", std::max<std::int32_t>(ReplyTimeout, 1));
  } catch (...) {
    // Only memory can run out here; the port is closed all the same.
  }
  RaiseOnError = savedRaise;
}

void TBlockSerial::PurgeBuffers() {
  SetError(device_->purge(true, true));
  pendingInput_.clear();
  RaiseIfError();
}

void TBlockSerial::ClosePort() {
  if (std::exchange(mode2Switched_, false) && portActive_ && !linkLost_) LeaveMode2();
  if (device_->isOpen()) {
    // Closing must not raise: it runs from destructors while an error may be passing.
    device_->purge(true, true);
    pendingInput_.clear();
    device_->setModemLines(false, false);
    device_->close();
  }
  if (!openKey_.empty()) {
    OpenDevicesOfThisProgram().remove(openKey_);
    openKey_.clear();
  }
  portActive_ = false;
  portNumber_ = -1;
  SetError(0);
}

}  // namespace quorvex
