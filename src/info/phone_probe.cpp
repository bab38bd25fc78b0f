#include "info/phone_probe.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/ru.h"
#include "info/comm_config.h"
#include "info/phone_info.h"
#include "serial/block_serial.h"
#include "serial/open_failure.h"

namespace quorvex {
namespace fs = std::filesystem;

namespace {

std::string Canonical(const std::string& path) {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved.string();
}

// The by-id links of devRoot, by the node each names.
std::vector<std::pair<std::string, std::string>> ByIdLinks(const std::string& devRoot) {
  std::vector<std::pair<std::string, std::string>> links;  // node, link
  std::error_code ec;
  const std::string byId = devRoot + "/serial/by-id";
  for (fs::directory_iterator it(byId, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code linkEc;
    if (!fs::exists(it->path(), linkEc)) continue;  // its cable is unplugged
    links.emplace_back(Canonical(it->path().string()), byId + "/" + it->path().filename().string());
  }
  std::sort(links.begin(), links.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; });
  return links;
}

std::string LinkTo(const std::vector<std::pair<std::string, std::string>>& links,
                   const std::string& node) {
  for (const auto& [target, link] : links)
    if (target == node) return link;
  return {};
}

bool IsByIdLink(const std::string& devRoot, const std::string& path) {
  const fs::path parent = fs::path(path).parent_path();
  std::error_code ec;
  return fs::is_symlink(path, ec) &&
         Canonical(parent.string()) == Canonical(devRoot + "/serial/by-id");
}

std::string Printable(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) continue;
    if (out.size() >= 40) break;
    out += c;
  }
  return text::Trim(out);
}

}  // namespace

std::vector<ProbeTarget> ProbeTargetsPresent(const std::string& devRoot,
                                             const std::string& sysRoot) {
  const auto links = ByIdLinks(devRoot);
  std::vector<ProbeTarget> targets;
  std::set<std::string> seen;
  for (const auto& [node, link] : links)
    if (seen.insert(node).second) targets.push_back({node, link});
  std::vector<std::string> nodes = SerialDeviceCandidates(devRoot, sysRoot, UartCheck::AskDevice);
  // The phones of this family come as ttyACM; the cables as ttyUSB.
  std::stable_partition(nodes.begin(), nodes.end(),
                        [&](const std::string& p) { return p.rfind(devRoot + "/ttyACM", 0) == 0; });
  for (const std::string& path : nodes) {
    if (path.rfind(devRoot + "/serial/", 0) == 0) continue;
    if (!seen.insert(Canonical(path)).second) continue;
    targets.push_back({path, {}});
  }
  return targets;
}

std::vector<ProbeTarget> ProbeTargetsFor(const std::vector<std::string>& devices,
                                         const std::string& devRoot) {
  const auto links = ByIdLinks(devRoot);
  std::vector<ProbeTarget> targets;
  std::set<std::string> seen;
  for (const std::string& device : devices) {
    const std::string node = Canonical(MapPortName(device).devicePath);
    if (!seen.insert(node).second) continue;
    if (IsByIdLink(devRoot, device))
      targets.push_back({node, device});
    else
      targets.push_back({device, LinkTo(links, node)});
  }
  return targets;
}

std::string ProbeModelName(const std::string& reply) {
  if (text::Pos("MODEL", reply) > 0) return Printable(CutModelReply(reply).model);
  std::string t = TrimInfoReply(reply, "\r\n+CGMM: ");
  const int lineEnd = text::Pos("\r\n", text::Trim(t));
  t = text::Trim(t);
  if (lineEnd > 0) t = text::Copy(t, 1, lineEnd - 1);
  t.erase(std::remove(t.begin(), t.end(), '"'), t.end());
  return Printable(t);
}

ProbeResult ProbeDevice(const ProbeTarget& target, const ProbeOptions& options) {
  ProbeResult r;
  r.target = target;
  const std::string path = MapPortName(target.device).devicePath;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int err = errno;
    r.status = err == ENOENT ? ProbeStatus::Missing : ProbeStatus::Failed;
    r.systemText = SystemErrorText(err);
    return r;
  }
  // The older terminal programs lock with a file and leave the line open to others.
  if (auto holder = LockFileHolder(path, options.lockDirs)) {
    r.status = ProbeStatus::HeldElsewhere;
    r.holders = {*holder};
    return r;
  }
  TBlockSerial port;
  port.RaiseOnError = false;
  port.OpenPort(target.device);
  if (const int err = port.LastError(); err != 0) {
    r.systemText = TBlockSerial::GetErrorDesc(err);
    switch (ClassifyOpenFailure(err, TBlockSerial::HeldByThisProgram(path))) {
      case OpenFailure::Denied:
        r.status = ProbeStatus::Denied;
        break;
      case OpenFailure::HeldElsewhere:
        r.status = ProbeStatus::HeldElsewhere;
        r.holders = DeviceHolders(path);
        break;
      case OpenFailure::HeldHere:
        r.status = ProbeStatus::HeldHere;
        break;
      case OpenFailure::Other:
        r.status = err == ENOENT ? ProbeStatus::Missing : ProbeStatus::Failed;
        break;
    }
    return r;
  }
  r.status = ProbeStatus::NoAnswer;
  for (const std::int32_t baud : options.bauds) {
    port.SetLineParams(baud, 8, 'N', 0, false, false);
    if (port.LastError() != 0) continue;  // a speed this device does not take
    // What came at the last speed is noise at this one.
    port.PurgeBuffers();
    port.RunAtCommandWithin("AT", options.tryMs);
    const int err = port.LastError();
    if (err != 0 && err != ErrTimeout && err < ErrPortOwned) {
      // The device went away or failed: no other speed will do better.
      r.status = ProbeStatus::Failed;
      r.systemText = TBlockSerial::GetErrorDesc(err);
      return r;
    }
    if (err != 0 || !port.CommandOk()) continue;
    const std::string reply = port.RunAtCommandWithin("AT+CGMM", options.tryMs);
    r.status = ProbeStatus::Answered;
    r.baud = baud;
    if (port.LastError() == 0 && port.CommandOk()) r.model = ProbeModelName(reply);
    return r;
  }
  return r;
}

struct ProbeRun::State {
  std::vector<ProbeResult> results;
  std::vector<std::thread> threads;
  std::mutex mutex;
  std::condition_variable done;
  std::size_t finished = 0;

  void joinAll() {
    for (std::thread& t : threads)
      if (t.joinable()) t.join();
  }
};

ProbeRun::ProbeRun(std::vector<ProbeTarget> targets, ProbeOptions options)
    : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.results.resize(targets.size());
  s.threads.reserve(targets.size());
  const auto shared = std::make_shared<const ProbeOptions>(std::move(options));
  for (std::size_t i = 0; i < targets.size(); ++i) {
    s.results[i].target = targets[i];
    s.threads.emplace_back([&s, i, shared, target = std::move(targets[i])] {
      ProbeResult r;
      try {
        r = ProbeDevice(target, *shared);
      } catch (const std::exception& e) {
        r.target = target;
        r.status = ProbeStatus::Failed;
        r.systemText = e.what();
      }
      std::lock_guard lock(s.mutex);
      s.results[i] = std::move(r);
      ++s.finished;
      s.done.notify_all();
    });
  }
}

ProbeRun::~ProbeRun() {
  state_->joinAll();
}

std::size_t ProbeRun::total() const {
  return state_->results.size();
}

std::size_t ProbeRun::finished() const {
  std::lock_guard lock(state_->mutex);
  return state_->finished;
}

bool ProbeRun::waitFor(int ms) {
  std::unique_lock lock(state_->mutex);
  return state_->done.wait_for(lock, std::chrono::milliseconds(ms),
                               [this] { return state_->finished == state_->results.size(); });
}

const std::vector<ProbeResult>& ProbeRun::results() {
  state_->joinAll();
  return state_->results;
}

std::vector<ProbeResult> ProbeDevices(std::vector<ProbeTarget> targets,
                                      const ProbeOptions& options) {
  ProbeRun run(std::move(targets), options);
  return run.results();
}

const ProbeResult* FirstAnswered(const std::vector<ProbeResult>& results) {
  for (const ProbeResult& r : results)
    if (r.status == ProbeStatus::Answered) return &r;
  return nullptr;
}

// Every text the probe shows, here and nowhere else.
std::string DescribeProbe(const ProbeResult& r) {
  switch (r.status) {
    case ProbeStatus::Answered:
      return (r.model.empty() ? Ru("модель не названа") : r.model) + ", " + std::to_string(r.baud) +
             Ru(" бод");
    case ProbeStatus::NoAnswer:
      return Ru("нет ответа");
    case ProbeStatus::HeldElsewhere: {
      std::string text = Ru("занят другой программой");
      if (r.holders.empty()) return text;
      text += " (";
      for (std::size_t i = 0; i < r.holders.size(); ++i) {
        if (i > 0) text += "; ";
        text += r.holders[i].name + ", pid " + std::to_string(r.holders[i].pid);
      }
      return text + ")";
    }
    case ProbeStatus::HeldHere:
      return Ru("занят другой операцией этой программы");
    case ProbeStatus::Denied:
      return Ru(
          "нет прав: добавьте себя в группу dialout (sudo usermod -aG dialout $USER) и "
          "войдите в систему заново");
    case ProbeStatus::Missing:
      return Ru("нет такого устройства");
    case ProbeStatus::Failed:
      return Ru("ошибка: ") + r.systemText;
  }
  return {};
}

std::string ProbeLine(const ProbeResult& r) {
  return r.target.device + "\t" + r.target.stableName + "\t" + DescribeProbe(r);
}

std::string NoSerialDevicesText() {
  return Ru("Последовательные порты не найдены.");
}

}  // namespace quorvex
