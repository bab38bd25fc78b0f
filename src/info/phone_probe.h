// Which serial device is the phone: each device is opened (never one another program holds),
// asked "AT" and then "AT+CGMM" at falling speeds until it answers, all devices at once, each
// on its own thread with its own port object.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "serial/device_holders.h"

namespace quorvex {

inline constexpr std::array<std::int32_t, 5> kProbeBauds = {115200, 57600, 38400, 19200, 9600};
// Each command of a try; a silent device so costs five of these.
inline constexpr std::int32_t kProbeTryMs = 300;

struct ProbeTarget {
  std::string device;      // the name the port object opens
  std::string stableName;  // the /dev/serial/by-id link to it; empty where there is none
  bool operator==(const ProbeTarget&) const = default;
};

// Every serial device present: those with a by-id link first (named by their node), then
// ttyACM*, ttyUSB* and the ttyS* with a chip behind them, each device once.
std::vector<ProbeTarget> ProbeTargetsPresent(const std::string& devRoot = "/dev",
                                             const std::string& sysRoot = "/sys");
// The devices given, in their order, each with its by-id link; a by-id link given stands for
// its node. A device given twice (by two names too) is probed once.
std::vector<ProbeTarget> ProbeTargetsFor(const std::vector<std::string>& devices,
                                         const std::string& devRoot = "/dev");

enum class ProbeStatus {
  Answered,
  NoAnswer,
  HeldElsewhere,  // another program holds it: not opened, no byte sent
  HeldHere,       // an operation of this program has it open
  Denied,         // no rights on the device
  Missing,
  Failed,  // any other failure: systemText says which
};

struct ProbeResult {
  ProbeTarget target;
  ProbeStatus status = ProbeStatus::NoAnswer;
  std::string model;  // as the handset names it, printable; may be empty when it answered
  std::int32_t baud = 0;
  std::vector<DeviceHolder> holders;  // who holds it, as far as the system tells
  std::string systemText;             // cp1251
};

struct ProbeOptions {
  std::vector<std::int32_t> bauds{kProbeBauds.begin(), kProbeBauds.end()};
  std::int32_t tryMs = kProbeTryMs;
  std::vector<std::string> lockDirs{"/var/lock", "/run/lock"};
};

ProbeResult ProbeDevice(const ProbeTarget& target, const ProbeOptions& options = {});

// The model out of an "AT+CGMM" reply, as the information section cuts it; a reply without
// "MODEL=" gives its first line unquoted. Control characters are left out, and the text is
// cut at 40 characters.
std::string ProbeModelName(const std::string& reply);

// The devices probed in parallel. The destructor waits for every thread.
class ProbeRun {
 public:
  explicit ProbeRun(std::vector<ProbeTarget> targets, ProbeOptions options = {});
  ~ProbeRun();
  ProbeRun(const ProbeRun&) = delete;
  ProbeRun& operator=(const ProbeRun&) = delete;

  std::size_t total() const;
  std::size_t finished() const;
  // Waits until every device is done or ms passed; true when every device is done.
  bool waitFor(int ms);
  // Waits for every device; the results in the order of the targets.
  const std::vector<ProbeResult>& results();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

std::vector<ProbeResult> ProbeDevices(std::vector<ProbeTarget> targets,
                                      const ProbeOptions& options = {});

// The first device that answered, or null.
const ProbeResult* FirstAnswered(const std::vector<ProbeResult>& results);

// What became of a device, for the user (cp1251): "C350, 115200 бод", "нет ответа", ...
std::string DescribeProbe(const ProbeResult& result);
// One line of quorvex-cli detect (cp1251): the device, TAB, the by-id name or nothing, TAB,
// the description.
std::string ProbeLine(const ProbeResult& result);
// Said when there is no serial device to probe.
std::string NoSerialDevicesText();

}  // namespace quorvex
