// A test's own empty directory under the system's temporary one, so that tests of several
// binaries running at once never meet in a file.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace quorvex::testing {

// prefix-<pid>-<suite>-<test>, a '/' of a parameterised name turned into '_' so the
// directory does not nest; what an earlier run left there is removed first.
inline std::filesystem::path MakeScratchDir(const std::string& prefix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "-" + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  const auto dir = std::filesystem::temp_directory_path() /
                   (prefix + "-" + std::to_string(::getpid()) + "-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace quorvex::testing
