#include "scratch_dir.h"

#include <unistd.h>

#include <cctype>

namespace quorvex::testing {

std::filesystem::path FreshScratchDir(const std::string& prefix, const std::string& tag) {
  std::string name = prefix + "-" + std::to_string(::getpid());
  if (!tag.empty()) {
    std::string safe = tag;
    for (char& c : safe)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') c = '_';
    name += "-" + safe;
  }
  const auto dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace quorvex::testing
