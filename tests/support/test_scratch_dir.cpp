#include <gtest/gtest.h>

#include "scratch_dir.h"

namespace quorvex::testing {

std::filesystem::path MakeScratchDir(const std::string& prefix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return FreshScratchDir(prefix, std::string(info->test_suite_name()) + "-" + info->name());
}

}  // namespace quorvex::testing
