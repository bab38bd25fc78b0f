// The archive file: record splitting, reading, and appends that never harm what is there.
#include "messages/sms_archive.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "codec/errors.h"
#include "scratch_dir.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

struct SplitCase {
  const char* line;
  ArchiveRecord record;
};

class SplitLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLine, AtTheFirstTwoSeparators) {
  EXPECT_EQ(SplitArchiveLine(GetParam().line), GetParam().record);
}

INSTANTIATE_TEST_SUITE_P(Lines, SplitLine,
                         ::testing::Values(SplitCase{"123;D;a;b", {"123", "D", "a;b"}},
                                           SplitCase{"no separator", {"", "", "no separator"}},
                                           SplitCase{"one;sep", {"one", "", "sep"}},
                                           SplitCase{";;", {"", "", ""}},
                                           SplitCase{"", {"", "", ""}}));

// A record is one line whatever its fields hold: line breaks become blanks, TAB stays, every
// other control character goes.
TEST(ArchiveRecordLine, StaysOneLine) {
  struct Case {
    ArchiveRecord record;
    std::string line;
  } cases[] = {
      {{"+1", "d", "plain"}, "+1;d;plain\r\n"},
      {{"+1", "d", "a\r\nb\nc\rd\r\re"}, "+1;d;a b c d  e\r\n"},
      {{"+1", "d", "tab\there"}, "+1;d;tab\there\r\n"},
      {{"+1", "d", std::string("nul\0\x1B\x7F!", 7)}, "+1;d;nul!\r\n"},
      {{"+1\n2", "d\r", "\r\n"}, "+1 2;d ; \r\n"},
      {{"", "", ""}, ";;\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatArchiveRecord(c.record), c.line) << c.record.text;
    const std::string line = c.line.substr(0, c.line.size() - 2);
    EXPECT_EQ(FormatArchiveRecord(SplitArchiveLine(line)), c.line);
  }
}

class ArchiveFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = quorvex::testing::MakeScratchDir("qv-archive");
    file_ = (dir_ / "sms_archive.txt").string();
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }
  void write(const std::string& data) { std::ofstream(file_, std::ios::binary) << data; }
  std::string read() {
    std::ifstream in(file_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fs::path dir_;
  std::string file_;
};

TEST_F(ArchiveFile, LinesEndAtLfWithOrWithoutCr) {
  write("a;1;x\r\nb;2;y\nc;3;z");
  EXPECT_EQ(ReadArchiveLines(file_), (std::vector<std::string>{"a;1;x", "b;2;y", "c;3;z"}));
}

TEST_F(ArchiveFile, EmptyFileIsOneEmptyLineMissingFileIsNone) {
  write("");
  EXPECT_EQ(ReadArchiveLines(file_), std::vector<std::string>{""});
  fs::remove(file_);
  EXPECT_TRUE(ReadArchive(file_).empty());
}

TEST_F(ArchiveFile, UnreadableArchiveRaises) {
  fs::create_directory(file_);
  EXPECT_THROW(ReadArchive(file_), EInOutError);
}

TEST_F(ArchiveFile, AppendCreatesAndKeepsEarlierRecords) {
  AppendArchive(file_, {{"+1", "d1", "t;1"}});
  AppendArchive(file_, {{"+2", "d2", "t2"}, {"+3", "d3", ""}});
  EXPECT_EQ(read(), "+1;d1;t;1\r\n+2;d2;t2\r\n+3;d3;\r\n");
  EXPECT_EQ(ReadArchive(file_)[0], (ArchiveRecord{"+1", "d1", "t;1"}));
}

TEST_F(ArchiveFile, UnterminatedLastRecordIsClosedBeforeTheNewOne) {
  write("+1;d1;cut short");
  AppendArchive(file_, {{"+2", "d2", "t2"}});
  EXPECT_EQ(read(), "+1;d1;cut short\r\n+2;d2;t2\r\n");
  EXPECT_EQ(ReadArchive(file_).size(), 2u);
}

TEST_F(ArchiveFile, AppendThatCannotOpenRaises) {
  fs::create_directory(file_);
  EXPECT_THROW(AppendArchive(file_, {{"+2", "d2", "t2"}}), EInOutError);
}

TEST_F(ArchiveFile, ShortWriteIsUndoneAndReported) {
  const std::string earlier = "+1;d1;t1\r\n";
  write(earlier);
  // A file size limit just above the earlier records makes the append's write fall short.
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit tight = old;
  tight.rlim_cur = earlier.size() + 4;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
  bool raised = false;
  try {
    AppendArchive(file_, {{"+2", "d2", std::string(100, 'x')}});
  } catch (const EInOutError&) {
    raised = true;
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(raised);
  EXPECT_EQ(read(), earlier);
}

}  // namespace
}  // namespace quorvex
