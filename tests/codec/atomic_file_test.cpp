#include "codec/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "codec/errors.h"
#include "scratch_dir.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = quorvex::testing::MakeScratchDir("qv-atomic");
    target_ = (dir_ / "out.txt").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string read() const {
    std::ifstream in(target_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
  std::string target_;
};

TEST_F(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporary) {
  const struct {
    const char* name;
    AtomicWriteOptions options;
    unsigned mode;  // with the umask 022 the test sets
  } cases[] = {
      {"unique", {}, 0644},
      {"fixed", {.uniqueTemporary = false}, 0644},
      {"fixed, synced, private", {.uniqueTemporary = false, .sync = true, .mode = 0600}, 0600},
  };
  const mode_t oldMask = ::umask(022);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(target_);
    // A fixed temporary file left by an earlier crash is truncated, not appended to.
    if (!c.options.uniqueTemporary) std::ofstream(target_ + ".tmp") << "stale and longer";
    WriteFileAtomically(target_, "first, a longer text", c.options);
    WriteFileAtomically(target_, std::string("a\0\xC0\r\n", 5), c.options);
    EXPECT_EQ(read(), std::string("a\0\xC0\r\n", 5));
    EXPECT_EQ(entries(), 1u) << "the temporary file stays behind";
    struct stat st {};
    ASSERT_EQ(::stat(target_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.mode);
  }
  ::umask(oldMask);
}

TEST_F(AtomicFile, AFailureKeepsTheTargetAndRaisesTheSystemText) {
  const struct {
    const char* name;
    bool uniqueTemporary;
    const char* blocker;  // made a directory beside the target
    const char* target;   // relative to the scratch directory
    const char* message;
  } cases[] = {
      // The fixed temporary file cannot be made where a directory stands.
      {"temporary blocked", false, "out.txt.tmp", "out.txt", "Is a directory"},
      // A unique one is made, but cannot be renamed over a directory.
      {"target is a directory", true, nullptr, "sub", "Is a directory"},
      {"missing directory", true, nullptr, "no/out.txt", "File not found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "sub" / "keep") << "kept";
    std::ofstream(target_) << "before";
    if (c.blocker) fs::create_directory(dir_ / c.blocker);
    const std::size_t before = entries();
    try {
      WriteFileAtomically((dir_ / c.target).string(), "after",
                          {.uniqueTemporary = c.uniqueTemporary});
      ADD_FAILURE() << "no error raised";
    } catch (const EInOutError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(read(), "before");
    EXPECT_EQ(entries(), before) << "the temporary file stays behind";
    EXPECT_TRUE(fs::exists(dir_ / "sub" / "keep"));
  }
}

}  // namespace
}  // namespace quorvex
