#include "cli/detect_command.h"

#include <ostream>

#include "codec/cp1251.h"
#include "info/phone_probe.h"

namespace quorvex::cli {

const char* const kDetectSynopsis = "detect [DEVICE...]";
const char* const kDetectHelp =
    "Looks for the handset on the DEVICEs given or, without any, on every serial device\n"
    "present (/dev/serial/by-id/* first, then /dev/ttyACM*, /dev/ttyUSB* and the /dev/ttyS*\n"
    "with a chip behind them; a device is probed once whatever its names). Each device is\n"
    "asked \"AT\" and then \"AT+CGMM\" at 115200, 57600, 38400, 19200 and 9600 baud until it\n"
    "answers, about 300 ms a try, all devices at once. A device another program holds is\n"
    "not opened. portcfg.ini is neither needed nor written.\n\n"
    "Prints one line per device: the device, TAB, its /dev/serial/by-id name (empty where\n"
    "there is none), TAB, then the model and the speed that answered, or why not (no\n"
    "answer, held by another program and by which where the system tells, no permission,\n"
    "no such device).\n\n"
    "Exit status: 0 when a handset answered, 1 when none did.";

int RunDetectCommand(const std::vector<std::string>& devices, std::ostream& out,
                     std::ostream& err) {
  const std::vector<ProbeTarget> targets =
      devices.empty() ? ProbeTargetsPresent() : ProbeTargetsFor(devices);
  if (targets.empty()) {
    err << Cp1251ToUtf8(NoSerialDevicesText()) << '\n';
    return 1;
  }
  const std::vector<ProbeResult> results = ProbeDevices(targets);
  for (const ProbeResult& r : results)
    out << r.target.device << '\t' << r.target.stableName << '\t' << Cp1251ToUtf8(DescribeProbe(r))
        << '\n';
  out.flush();
  return FirstAnswered(results) ? 0 : 1;
}

}  // namespace quorvex::cli
