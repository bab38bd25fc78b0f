#include "serial/port_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "codec/errors.h"
#include "codec/ru.h"
#include "scratch_dir.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

class PortSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = quorvex::testing::MakeScratchDir("qv-settings");
    path_ = (dir_ / "portcfg.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  void write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string read() {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fs::path dir_;
  std::string path_;
};

TEST_F(PortSettingsTest, WrittenFileIsExactAndReadsBack) {
  PortSettings s{"COM3", 19200, 3000};
  SavePortSettings(s, path_);
  EXPECT_EQ(read(), Ru("[PORT CONFIG]\r\nPort=COM3; - имя порта\r\nBaudRate=19200; - скорость "
                       "порта\r\nTimeOut=3000; - задержка\r\n"));
  PortSettings back;
  LoadPortSettings(back, path_);
  EXPECT_EQ(back.PortName, "COM3");
  EXPECT_EQ(back.BaudRate, 19200);
  EXPECT_EQ(back.TimeOut, 3000);
  EXPECT_FALSE(fs::exists(path_ + ".tmp"));
}

struct LoadCase {
  const char* name;
  std::string file;
  std::string port;
  std::int32_t baud, timeout;
  std::string error;  // empty: loads
};

class LoadTable : public PortSettingsTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadTable, Loads) {
  const LoadCase& c = GetParam();
  write(c.file);
  PortSettings s{"old", -1, -1};
  if (c.error.empty()) {
    ASSERT_NO_THROW(LoadPortSettings(s, path_));
  } else {
    try {
      LoadPortSettings(s, path_);
      FAIL() << "loaded";
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), c.error);
    }
  }
  EXPECT_EQ(s.PortName, c.port);
  EXPECT_EQ(s.BaudRate, c.baud);
  EXPECT_EQ(s.TimeOut, c.timeout);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadTable,
    ::testing::Values(
        LoadCase{"NoComment", "[PORT CONFIG]\r\nPort=COM3\r\nBaudRate=9600\r\nTimeOut=500\r\n",
                 "COM3", 9600, 500, ""},
        LoadCase{"BlanksAroundValues",
                 "x\r\nPort=  /dev/ttyUSB0 \t; c\r\nBaudRate= 115200 ;\r\nTimeOut=\t700;z\r\n",
                 "/dev/ttyUSB0", 115200, 700, ""},
        LoadCase{"AnyFirstLineAnyFiveCharKey",
                 "garbage\r\nXXXX:COM9;\r\nbaudrate=1200\r\ntimeout=100\r\n", "COM9", 1200, 100,
                 ""},
        LoadCase{"UnixLineEnds", "[PORT CONFIG]\nPort=COM2\nBaudRate=4800\nTimeOut=1\n", "COM2",
                 4800, 1, ""},
        LoadCase{"ExtraLinesIgnored",
                 "[P]\r\nPort=COM1\r\nBaudRate=300\r\nTimeOut=9\r\nmore\r\nlines\r\n", "COM1", 300,
                 9, ""},
        LoadCase{"NoFinalLineEnd", "[P]\r\nPort=COM1\r\nBaudRate=300\r\nTimeOut=9", "COM1", 300, 9,
                 ""},
        LoadCase{"HexBaud", "[P]\r\nPort=COM1\r\nBaudRate=$4B00\r\nTimeOut=9", "COM1", 19200, 9,
                 ""},
        LoadCase{"BadTimeoutKeepsEarlierFields",
                 "[P]\r\nPort=COM4\r\nBaudRate=19200\r\nTimeOut=soon\r\n", "COM4", 19200, -1,
                 "'soon' is not a valid integer value"},
        LoadCase{"BadBaud", "[P]\r\nPort=COM4\r\nBaudRate=fast\r\nTimeOut=1\r\n", "COM4", -1, -1,
                 "'fast' is not a valid integer value"},
        LoadCase{"ShortFileGivesEmptyPortAndFailsOnBaud", "[PORT CONFIG]\r\n", "", -1, -1,
                 "'' is not a valid integer value"},
        LoadCase{"EmptyFile", "", "", -1, -1, "'' is not a valid integer value"},
        LoadCase{"KeyNotAtItsPlace", "[P]\r\nPort=COM1\r\nBaud=9600\r\nTimeOut=1\r\n", "COM1", -1,
                 -1, "'' is not a valid integer value"}),
    [](const auto& info) { return info.param.name; });

TEST_F(PortSettingsTest, MissingFileIsFileNotFound) {
  PortSettings s;
  try {
    LoadPortSettings(s, (dir_ / "none.ini").string());
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "File not found");
    EXPECT_EQ(e.code(), ENOENT);
  }
}

TEST_F(PortSettingsTest, DirectoryIsAnInputOutputError) {
  PortSettings s;
  try {
    LoadPortSettings(s, dir_.string());
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Is a directory");
  }
}

TEST_F(PortSettingsTest, FailedWriteKeepsTheStoredFile) {
  SavePortSettings({"COM3", 19200, 3000}, path_);
  const std::string before = read();
  fs::create_directory(path_ + ".tmp");  // the temporary file cannot be made
  EXPECT_THROW(SavePortSettings({"COM9", 1, 1}, path_), EInOutError);
  EXPECT_EQ(read(), before);
}

TEST_F(PortSettingsTest, WriteIntoMissingDirectoryRaises) {
  EXPECT_THROW(SavePortSettings({"COM1", 1, 1}, (dir_ / "no" / "portcfg.ini").string()),
               EInOutError);
}

}  // namespace
}  // namespace quorvex
