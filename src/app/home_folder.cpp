#include "app/home_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "codec/errors.h"
#include "codec/file_descriptor.h"

namespace quorvex {
namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "quorvex";
constexpr const char* kHelpFile = "info.txt";
constexpr const char* kArchiveFile = "sms_archive.txt";
constexpr const char* kNoDevicePort = "/dev/ttyACM0";
constexpr std::int32_t kNewBaudRate = 115200;
constexpr std::int32_t kNewTimeOut = 3000;  // the port dialog's designed time-out

std::atomic<unsigned> temporaryCounter{0};

[[noreturn]] void Fail(int err, const std::string& path) {
  const EInOutError e = MakeInOutError(err);
  throw EInOutError(std::string(e.what()) + ": " + path, err);
}

// Whether anything stands at the path, a link to nowhere included.
bool Present(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return true;
  if (errno != ENOENT) Fail(errno, path);
  return false;
}

// Makes the file with these bytes unless something is there; the bytes reach the name whole
// or not at all (a temporary file linked to it), and what stands there is never replaced.
bool CreateNewFile(const std::string& path, std::string_view bytes) {
  if (Present(path)) return false;
  const std::string temporary = path + ".new" + std::to_string(::getpid()) + "-" +
                                std::to_string(temporaryCounter.fetch_add(1));
  FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (fd.get() < 0) Fail(errno, temporary);
  if (!WriteWhole(fd.get(), bytes) || fd.release() != 0) {
    const int err = errno;
    ::unlink(temporary.c_str());
    Fail(err, path);
  }
  const int linked = ::link(temporary.c_str(), path.c_str());
  const int err = errno;
  ::unlink(temporary.c_str());
  if (linked == 0) return true;
  if (err == EEXIST) return false;  // made by someone else meanwhile: theirs stays
  Fail(err, path);
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(errno ? errno : EIO, path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) Fail(EIO, path.string());
  return bytes.str();
}

bool IsDataFile(const std::string& name) {
  return name == kHelpFile || (name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0);
}

std::string PortOf(const ProbeResult& r) {
  return r.target.stableName.empty() ? r.target.device : r.target.stableName;
}

}  // namespace

std::string UserFolderPath(const char* xdgDataHome, const std::string& home) {
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
    return (fs::path(xdgDataHome) / kFolderName).string();
  return (fs::path(home) / ".local" / "share" / kFolderName).string();
}

std::string InstalledDataDir(const std::string& executablePath) {
  return (fs::path(executablePath).parent_path().parent_path() / "share" / kFolderName)
      .lexically_normal()
      .string();
}

PortSettings SettingsForNewFolder(const std::vector<ProbeResult>& results) {
  if (const ProbeResult* found = FirstAnswered(results))
    return {PortOf(*found), found->baud, kNewTimeOut};
  for (const ProbeResult& r : results)
    if (r.status != ProbeStatus::Missing) return {PortOf(r), kNewBaudRate, kNewTimeOut};
  return {kNoDevicePort, kNewBaudRate, kNewTimeOut};
}

UserFolderReport PrepareUserFolder(const std::string& dataDir, const std::string& folder,
                                   const std::function<std::vector<ProbeResult>()>& probe) {
  UserFolderReport report;
  if (!Present(folder)) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) Fail(ec.value(), folder);
    report.created.push_back(".");
  }
  const fs::path dir(folder);
  std::vector<fs::path> dataFiles;
  std::error_code ec;
  for (fs::directory_iterator it(dataDir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeEc;
    if (it->is_regular_file(typeEc) && IsDataFile(it->path().filename().string()))
      dataFiles.push_back(it->path());
  }
  std::sort(dataFiles.begin(), dataFiles.end());
  for (const fs::path& source : dataFiles) {
    const std::string name = source.filename().string();
    if (Present((dir / name).string())) continue;
    if (CreateNewFile((dir / name).string(), ReadWhole(source))) report.created.push_back(name);
  }
  if (CreateNewFile((dir / kArchiveFile).string(), {})) report.created.push_back(kArchiveFile);
  const std::string settingsPath = (dir / kPortSettingsFile).string();
  if (!Present(settingsPath)) {
    const std::string bytes = FormatPortSettings(SettingsForNewFolder(probe()));
    if (CreateNewFile(settingsPath, bytes)) report.created.push_back(kPortSettingsFile);
  }
  return report;
}

UserFolderReport EnterUserFolder(const std::string& dataDir, const std::string& folder,
                                 const std::function<std::vector<ProbeResult>()>& probe) {
  UserFolderReport report = PrepareUserFolder(dataDir, folder, probe);
  if (::chdir(folder.c_str()) != 0) Fail(errno, folder);
  return report;
}

}  // namespace quorvex

namespace quorvex {

UserFolderReport EnterOwnUserFolder() {
  std::string home;
  if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0') {
    home = env;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    home = pw->pw_dir;
  }
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  const std::string dataDir = ec ? std::string() : InstalledDataDir(exe.string());
  return EnterUserFolder(dataDir, UserFolderPath(std::getenv("XDG_DATA_HOME"), home),
                         [] { return ProbeDevices(ProbeTargetsPresent()); });
}

}  // namespace quorvex
