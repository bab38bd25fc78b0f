#include "codec/errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace quorvex {
namespace {

TEST(InOutError, Texts) {
  struct Case {
    int code;
    const char* message;
  } cases[] = {
      {ENOENT, "File not found"},  {EACCES, "Permission denied"},
      {EIO, "Input/output error"}, {ENOSPC, "No space left on device"},
      {0, "I/O error 0"},  // no failure has the code 0; "Success" would be absurd
      {9999, "I/O error 9999"},    {-1, "I/O error -1"},
  };
  for (const auto& c : cases) {
    const EInOutError e = MakeInOutError(c.code);
    EXPECT_STREQ(e.what(), c.message);
    EXPECT_EQ(e.code(), c.code);
  }
}

TEST(InOutError, NoTextEndsInBlankControlOrFullStop) {
  for (int code = 1; code < 200; ++code) {
    const std::string message = MakeInOutError(code).what();
    ASSERT_FALSE(message.empty()) << code;
    const auto last = static_cast<unsigned char>(message.back());
    EXPECT_TRUE(last > 32 && last != '.') << code << ": " << message;
  }
}

}  // namespace
}  // namespace quorvex
