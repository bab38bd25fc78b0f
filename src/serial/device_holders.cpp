#include "serial/device_holders.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace quorvex {
namespace fs = std::filesystem;

namespace {

int PidOf(const std::string& name) {
  if (name.empty() || name.size() > 9) return 0;
  int pid = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

std::string CommandName(const std::string& procRoot, int pid) {
  std::ifstream comm(procRoot + "/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  // The name is the program's own choice: keep it printable.
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return name;
}

bool Alive(int pid) {
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

std::vector<DeviceHolder> DeviceHolders(const std::string& devicePath,
                                        const std::string& procRoot) {
  std::vector<DeviceHolder> holders;
  struct stat device {};
  if (::stat(devicePath.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return holders;
  const int self = static_cast<int>(::getpid());
  std::error_code ec;
  for (fs::directory_iterator it(procRoot, ec), end; !ec && it != end; it.increment(ec)) {
    const int pid = PidOf(it->path().filename().string());
    if (pid == 0 || pid == self) continue;
    std::error_code fdEc;
    // Another user's descriptors are closed to us unless we are root: that process stays
    // unnamed.
    for (fs::directory_iterator fd(it->path() / "fd", fdEc), fdEnd; !fdEc && fd != fdEnd;
         fd.increment(fdEc)) {
      struct stat st {};
      if (::stat(fd->path().c_str(), &st) != 0) continue;
      if (S_ISCHR(st.st_mode) && st.st_rdev == device.st_rdev) {
        holders.push_back({pid, CommandName(procRoot, pid)});
        break;
      }
    }
  }
  std::sort(holders.begin(), holders.end(),
            [](const DeviceHolder& a, const DeviceHolder& b) { return a.pid < b.pid; });
  return holders;
}

std::optional<DeviceHolder> LockFileHolder(const std::string& devicePath,
                                           const std::vector<std::string>& lockDirs,
                                           const std::string& procRoot) {
  std::error_code ec;
  fs::path node = fs::weakly_canonical(devicePath, ec);
  if (ec) node = devicePath;
  const std::string lockName = "LCK.." + node.filename().string();
  for (const std::string& dir : lockDirs) {
    std::ifstream in(dir + "/" + lockName, std::ios::binary);
    if (!in) continue;
    char bytes[64] = {};
    in.read(bytes, sizeof bytes - 1);
    const std::streamsize got = in.gcount();
    long pid = 0;
    const bool text = std::all_of(
        bytes, bytes + got, [](char c) { return (c >= '0' && c <= '9') || c == ' ' || c == '\n'; });
    if (!text && got == static_cast<std::streamsize>(sizeof(int))) {
      // The binary form of the oldest programs: a native int.
      int binary = 0;
      std::memcpy(&binary, bytes, sizeof binary);
      pid = binary;
    } else {
      const char* p = bytes;
      while (*p == ' ') ++p;
      while (*p >= '0' && *p <= '9' && pid < 100000000) pid = pid * 10 + (*p++ - '0');
    }
    if (pid <= 0 || pid == ::getpid() || !Alive(static_cast<int>(pid))) continue;
    return DeviceHolder{static_cast<int>(pid), CommandName(procRoot, static_cast<int>(pid))};
  }
  return std::nullopt;
}

}  // namespace quorvex
