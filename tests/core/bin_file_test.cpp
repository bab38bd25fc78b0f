#include "core/bin_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "codec/errors.h"
#include "scratch_dir.h"
#include "unprivileged.h"

namespace quorvex {
namespace {

BinRecord Sample(std::string caption, std::vector<std::string> data = {"x"}) {
  BinRecord r;
  r.time = "2026-12-08 21:05:09";
  r.section = "phonebook";
  r.operation = "delete";
  r.memory = "ME";
  r.index = 7;
  r.model = "C350";
  r.imei = "350881020000000";
  r.caption = std::move(caption);
  r.text = "+79161234567";
  r.data = std::move(data);
  return r;
}

class BinFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testing::MakeScratchDir("qv-bin"); }
  void TearDown() override {
    ::chmod(dir_.c_str(), 0755);
    std::filesystem::remove_all(dir_);
  }
  std::string path(const std::string& name = kBinFile) const { return (dir_ / name).string(); }
  std::string read() const {
    std::ifstream in(path(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void write(const std::string& bytes) const { std::ofstream(path(), std::ios::binary) << bytes; }
  std::vector<std::string> captions() const {
    std::vector<std::string> out;
    for (const BinRecord& r : ReadBin(path()).records) out.push_back(r.caption);
    return out;
  }

  std::filesystem::path dir_;
};

TEST(BinLine, EveryFieldComesBackAsItWas) {
  struct Case {
    const char* what;
    BinRecord record;
  };
  BinRecord bare;
  bare.id = 1;
  bare.time = "2000-01-01 00:00:00";
  bare.section = "datebook";
  const Case cases[] = {
      {"plain", Sample("Ivanov")},
      {"cp1251 and the escapes", Sample("\xC8\xE2\xE0\xED\xEE\xE2 \\ a\tb\r\nc\x01\x7f\x1a",
                                        {"+MPBR: 7,\"1\",129,0418,3", "", "a\\tb"})},
      {"a backslash ends a field", Sample("ends\\", {"\\", "\\x"})},
      {"no data, empty texts, no index", bare},
  };
  for (const Case& c : cases) {
    BinRecord r = c.record;
    r.id = 42;
    const std::string line = FormatBinLine(r);
    ASSERT_EQ(line.back(), '\n') << c.what;
    // One record is one line, whatever its texts hold.
    EXPECT_EQ(line.find('\n'), line.size() - 1) << c.what;
    EXPECT_EQ(line.find('\r'), std::string::npos) << c.what;
    const std::optional<BinRecord> back = ParseBinLine(line);
    ASSERT_TRUE(back) << c.what << ": " << line;
    EXPECT_EQ(*back, r) << c.what;
    // A CR LF line end, as an editor may leave it, reads the same.
    const std::optional<BinRecord> crlf = ParseBinLine(line.substr(0, line.size() - 1) + "\r\n");
    ASSERT_TRUE(crlf) << c.what;
    EXPECT_EQ(*crlf, r) << c.what;
  }
}

TEST_F(BinFile, DamagedAndForeignLinesAreSkippedAndCounted) {
  BinRecord good = Sample("good");
  good.id = 1;
  const std::string line = FormatBinLine(good);
  const std::string body = line.substr(0, line.size() - 1);
  const auto formatted = [](const std::function<void(BinRecord&)>& spoil) {
    BinRecord r = Sample("bad");
    r.id = 5;
    spoil(r);
    const std::string l = FormatBinLine(r);
    return l.substr(0, l.size() - 1);
  };
  struct Case {
    const char* what;
    std::string line;
  };
  const Case cases[] = {
      {"text of another program", "hello world"},
      {"a line of sms_archive.txt", "+79161234567;08.12.2026 21:00;Privet"},
      {"a byte changed",
       [&] {
         std::string l = body;
         l[l.find("good")] = 'G';
         return l;
       }()},
      {"cut short, as a torn write leaves it", body.substr(0, body.size() / 2)},
      {"the check cut off", body.substr(0, body.rfind('\t'))},
      {"another version's magic", "QVBIN2" + body.substr(6)},
      {"id zero", formatted([](BinRecord& r) { r.id = 0; })},
      {"id negative", formatted([](BinRecord& r) { r.id = -3; })},
      {"no time", formatted([](BinRecord& r) { r.time.clear(); })},
      {"a time of another shape", formatted([](BinRecord& r) { r.time = "08.12.2026 21:05"; })},
      {"no section", formatted([](BinRecord& r) { r.section.clear(); })},
      {"a raw control character", std::string("QVBIN1\t1\x01\t") + body.substr(9)},
  };
  for (const Case& c : cases) {
    write(line + c.line + "\n" + "\n" + line);
    const BinContents got = ReadBin(path());
    EXPECT_EQ(got.skipped, 1u) << c.what;
    ASSERT_EQ(got.records.size(), 2u) << c.what;
    EXPECT_EQ(got.records[0], good) << c.what;
    EXPECT_EQ(got.records[1], good) << c.what;
  }
}

TEST_F(BinFile, AppendsWholeRecordsWithIdsAfterTheHighest) {
  std::vector<BinRecord> first = {Sample("a"), Sample("b")};
  AppendToBin(path(), first);
  EXPECT_EQ(first[0].id, 1);
  EXPECT_EQ(first[1].id, 2);
  // A torn last line is closed before the next records, and read as one damaged line.
  std::ofstream(path(), std::ios::binary | std::ios::app) << "QVBIN1\t3\t2026";
  std::vector<BinRecord> second = {Sample("c")};
  AppendToBin(path(), second);
  EXPECT_EQ(second[0].id, 3);
  const BinContents got = ReadBin(path());
  EXPECT_EQ(got.skipped, 1u);
  ASSERT_EQ(got.records.size(), 3u);
  EXPECT_EQ(got.records[2], second[0]);
  EXPECT_EQ(read().back(), '\n');

  RemoveFromBin(path(), {1, 3});
  EXPECT_EQ(captions(), std::vector<std::string>{"b"});
  EXPECT_EQ(ReadBin(path()).skipped, 1u) << "a damaged line stays for a person to see";
  std::vector<BinRecord> third = {Sample("d")};
  AppendToBin(path(), third);
  EXPECT_EQ(third[0].id, 3) << "one more than the highest left";
}

TEST_F(BinFile, PassingTheBoundDropsTheOldestRecords) {
  const std::size_t lineSize = FormatBinLine(Sample("r00")).size();
  const std::size_t bound = lineSize * 10;
  for (int k = 0; k < 25; ++k) {
    std::vector<BinRecord> one = {Sample((k < 10 ? "r0" : "r") + std::to_string(k))};
    AppendToBin(path(), one, bound);
    EXPECT_LE(read().size(), bound) << k;
    EXPECT_EQ(one[0].id, k + 1);
  }
  const std::vector<std::string> kept = captions();
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.back(), "r24");
  EXPECT_LT(kept.size(), 10u);
  // What stays is the newest, in order, without a gap.
  for (std::size_t k = 0; k < kept.size(); ++k)
    EXPECT_EQ(kept[k], "r" + std::to_string(25 - kept.size() + k));
}

TEST_F(BinFile, RecordsLargerThanTheBoundStayWhole) {
  std::vector<BinRecord> big = {Sample(std::string(300, 'x')), Sample(std::string(300, 'y'))};
  AppendToBin(path(), big, 200);
  EXPECT_EQ(captions().size(), 2u);
}

TEST_F(BinFile, AMissingBinIsEmptyAndAnUnwritableOneRaises) {
  EXPECT_TRUE(ReadBin(path()).records.empty());
  struct Case {
    const char* what;
    std::function<std::string()> setup;
  };
  const Case cases[] = {
      {"a directory in its place",
       [&] {
         std::filesystem::create_directory(path("dir"));
         return path("dir");
       }},
      {"a file in place of its folder",
       [&] {
         std::ofstream(path("plain")) << "x";
         return path("plain") + "/" + kBinFile;
       }},
  };
  for (const Case& c : cases) {
    const std::string where = c.setup();
    std::vector<BinRecord> one = {Sample("a")};
    EXPECT_THROW(AppendToBin(where, one), EInOutError) << c.what;
    EXPECT_EQ(one[0].id, 0) << c.what;
  }
  EXPECT_THROW(ReadBin(path("dir")), EInOutError);
}

TEST_F(BinFile, AReadOnlyFolderRaisesAndCreatesNothing) {
  ::chmod(dir_.c_str(), 0555);
  std::string outcome;
  const auto step = [&] {
    std::vector<BinRecord> one = {Sample("a")};
    try {
      AppendToBin(path(), one);
      return std::string("appended");
    } catch (const EInOutError& e) {
      return std::string("raised: ") + e.what();
    }
  };
  if (testing::RunningAsRoot()) {
    const testing::ChildResult child = testing::RunUnprivileged(step);
    ASSERT_EQ(child.failure, "");
    outcome = child.output;
  } else {
    outcome = step();
  }
  EXPECT_EQ(outcome, "raised: " + SystemErrorText(EACCES));
  EXPECT_FALSE(std::filesystem::exists(path()));
}

}  // namespace
}  // namespace quorvex
