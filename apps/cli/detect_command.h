// quorvex-cli detect [DEVICE...]: which serial device is the handset. Needs no portcfg.ini.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quorvex::cli {

extern const char* const kDetectSynopsis;
extern const char* const kDetectHelp;

// devices: as typed (file names, not converted). One line per device on out; the exit status:
// 0 when a handset answered, else 1.
int RunDetectCommand(const std::vector<std::string>& devices, std::ostream& out, std::ostream& err);

}  // namespace quorvex::cli
