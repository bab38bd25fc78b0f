// Who holds a serial device, for telling the user which program to close. A program that
// opened the line exclusively already makes the port object's open fail; this names it. Only
// reads /proc and the lock directories, never opens the device.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvex {

struct DeviceHolder {
  int pid = 0;
  std::string name;  // the process's command name, as /proc/<pid>/comm gives it
  bool operator==(const DeviceHolder&) const = default;
};

// The other processes that have the device (or the node a link to it names) open, in pid
// order, as far as this user may look into them; empty when the device does not exist.
std::vector<DeviceHolder> DeviceHolders(const std::string& devicePath,
                                        const std::string& procRoot = "/proc");

// The live process that a lock file of the older terminal programs names for the device
// (LCK..<node name> in one of lockDirs, holding the pid as text or as a binary int). A file
// whose process is gone, or this process's own, holds nothing.
std::optional<DeviceHolder> LockFileHolder(const std::string& devicePath,
                                           const std::vector<std::string>& lockDirs = {"/var/lock",
                                                                                       "/run/lock"},
                                           const std::string& procRoot = "/proc");

}  // namespace quorvex
