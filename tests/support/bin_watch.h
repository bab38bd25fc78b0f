// Watches the simulated handset's commands for the bin tests: at each command that starts
// with the erasing prefix it notes the captions the bin file holds at that moment, so a test
// can tell that what an operation loses was in the file before the handset lost it.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "codec/errors.h"
#include "core/bin_file.h"

namespace quorvex::testing {

class BinWatch {
 public:
  using Captions = std::vector<std::string>;

  explicit BinWatch(std::string erasingPrefix) : prefix_(std::move(erasingPrefix)) {}

  // The bin file to read; set before the first erasing command arrives.
  std::string path;

  // For SimOptions::onCommand. It runs on the handset's thread.
  std::function<void(const std::string&)> onCommand() {
    return [this](const std::string& command) {
      if (command.rfind(prefix_, 0) != 0) return;
      Captions captions;
      try {
        for (const BinRecord& r : ReadBin(path).records) captions.push_back(r.caption);
      } catch (const EInOutError&) {
        // No bin yet: the command found it empty.
      }
      std::lock_guard lock(mu_);
      seen_.push_back(std::move(captions));
    };
  }

  // The captions at the first erasing command; one line naming the prefix when none came.
  Captions firstSeen() {
    std::lock_guard lock(mu_);
    return seen_.empty() ? Captions{"(no " + prefix_ + ")"} : seen_.front();
  }

  void clear() {
    std::lock_guard lock(mu_);
    seen_.clear();
  }

 private:
  std::string prefix_;
  std::mutex mu_;
  std::vector<Captions> seen_;
};

}  // namespace quorvex::testing
