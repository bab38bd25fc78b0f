// The per-user folder of quorvex --home: made ready on the first start with a portcfg.ini for
// the handset the probe finds, untouched by every start after it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/home_folder.h"
#include "codec/errors.h"
#include "info/phone_probe.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Every entry under a folder: its kind, size, content and modification time in nanoseconds.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  const auto note = [&](const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    std::string what = std::to_string(st.st_mode) + " " + std::to_string(st.st_size) + " " +
                       std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    if (S_ISREG(st.st_mode)) what += " " + Slurp(p);
    entries[fs::relative(p, root.parent_path()).string()] = what;
  };
  note(root);
  for (const auto& e : fs::recursive_directory_iterator(root)) note(e.path());
  return entries;
}

class HomeFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::MakeScratchDir("qv-home");
    fs::create_directories(data());
    for (const char* name : {"c350.jpg", "v60.jpg"}) write(data() / name, name);
    write(data() / "info.txt", "help");
    write(data() / "demo_handset.txt", "not for the user");
  }
  void TearDown() override { fs::remove_all(root_); }

  static void write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
  }
  fs::path data() const { return root_ / "share" / "quorvex"; }
  fs::path folder() const { return root_ / "xdg" / "quorvex"; }

  fs::path root_;
};

TEST_F(HomeFolder, FirstStartMakesItReadyForTheHandsetFoundAndTheNextChangesNothing) {
  sim::SimOptions o;
  o.model = "V60";
  o.lineSpeed = 57600;
  sim::PhoneSim phone(o);
  phone.start();
  int probes = 0;
  const auto probe = [&] {
    ++probes;
    return ProbeDevices(ProbeTargetsFor({"/dev/quorvex-no-such-port", phone.slavePath()}));
  };

  const UserFolderReport first = PrepareUserFolder(data().string(), folder().string(), probe);
  EXPECT_EQ(first.created, (std::vector<std::string>{".", "c350.jpg", "info.txt", "v60.jpg",
                                                     "sms_archive.txt", "portcfg.ini"}));
  EXPECT_EQ(probes, 1);
  EXPECT_EQ(Slurp(folder() / "c350.jpg"), "c350.jpg");
  EXPECT_EQ(Slurp(folder() / "info.txt"), "help");
  EXPECT_EQ(Slurp(folder() / "sms_archive.txt"), "");
  EXPECT_FALSE(fs::exists(folder() / "demo_handset.txt"));
  PortSettings settings;
  LoadPortSettings(settings, (folder() / "portcfg.ini").string());
  EXPECT_EQ(settings.PortName, phone.slavePath());
  EXPECT_EQ(settings.BaudRate, 57600);
  EXPECT_EQ(settings.TimeOut, 3000);
  EXPECT_EQ(Slurp(folder() / "portcfg.ini"), FormatPortSettings(settings));

  const auto before = Snapshot(folder());
  const UserFolderReport second = PrepareUserFolder(data().string(), folder().string(), probe);
  EXPECT_TRUE(second.created.empty());
  EXPECT_EQ(probes, 1);
  EXPECT_EQ(Snapshot(folder()), before);
}

TEST_F(HomeFolder, WhatTheUserHasStaysAndOnlyTheMissingIsMade) {
  fs::create_directories(folder());
  write(folder() / "info.txt", "my notes");
  write(folder() / "sms_archive.txt", "kept");
  fs::create_symlink(root_ / "nowhere", folder() / "c350.jpg");
  SavePortSettings({"COM4", 9600, 500}, (folder() / "portcfg.ini").string());
  const std::string settings = Slurp(folder() / "portcfg.ini");
  const UserFolderReport report = PrepareUserFolder(data().string(), folder().string(), [] {
    ADD_FAILURE() << "probed with portcfg.ini there";
    return std::vector<ProbeResult>{};
  });
  EXPECT_EQ(report.created, std::vector<std::string>{"v60.jpg"});
  EXPECT_EQ(Slurp(folder() / "info.txt"), "my notes");
  EXPECT_EQ(Slurp(folder() / "sms_archive.txt"), "kept");
  EXPECT_TRUE(fs::is_symlink(folder() / "c350.jpg"));
  EXPECT_EQ(Slurp(folder() / "portcfg.ini"), settings);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder()), fs::directory_iterator()), 5);
}

TEST_F(HomeFolder, AFolderThatCannotBeMadeIsAnError) {
  write(root_ / "xdg", "a file where the folder would go");
  try {
    PrepareUserFolder(data().string(), folder().string(),
                      [] { return std::vector<ProbeResult>{}; });
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()), "Not a directory: " + folder().string());
  }
}

TEST(HomeFolderPlaces, FolderDataDirAndNewSettings) {
  EXPECT_EQ(UserFolderPath("/x/data", "/home/u"), "/x/data/quorvex");
  EXPECT_EQ(UserFolderPath(nullptr, "/home/u"), "/home/u/.local/share/quorvex");
  EXPECT_EQ(UserFolderPath("", "/home/u"), "/home/u/.local/share/quorvex");
  EXPECT_EQ(UserFolderPath("relative", "/home/u"), "/home/u/.local/share/quorvex");
  EXPECT_EQ(InstalledDataDir("/usr/bin/quorvex"), "/usr/share/quorvex");
  EXPECT_EQ(InstalledDataDir("/opt/q/bin/quorvex-cli"), "/opt/q/share/quorvex");

  const auto result = [](const char* device, const char* link, ProbeStatus status, int baud) {
    ProbeResult r;
    r.target = {device, link};
    r.status = status;
    r.baud = baud;
    return r;
  };
  const struct {
    std::vector<ProbeResult> results;
    PortSettings settings;
  } cases[] = {
      {{result("/dev/ttyS0", "", ProbeStatus::NoAnswer, 0),
        result("/dev/ttyACM0", "/dev/serial/by-id/usb-Motorola-if00", ProbeStatus::Answered,
               38400)},
       {"/dev/serial/by-id/usb-Motorola-if00", 38400, 3000}},
      {{result("/dev/ttyACM3", "", ProbeStatus::Missing, 0),
        result("/dev/ttyUSB0", "", ProbeStatus::HeldElsewhere, 0),
        result("/dev/ttyS0", "", ProbeStatus::NoAnswer, 0)},
       {"/dev/ttyUSB0", 115200, 3000}},
      {{}, {"/dev/ttyACM0", 115200, 3000}},
  };
  for (const auto& c : cases) {
    const PortSettings s = SettingsForNewFolder(c.results);
    EXPECT_EQ(s.PortName, c.settings.PortName);
    EXPECT_EQ(s.BaudRate, c.settings.BaudRate);
    EXPECT_EQ(s.TimeOut, c.settings.TimeOut);
  }
}

}  // namespace
}  // namespace quorvex
