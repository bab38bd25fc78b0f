// Finding the handset: the probe against simulated handsets, a silent line, a device another
// program holds and one that is not there, all at once; the enumeration of the devices
// present; the model's cut and the lock files of other programs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "codec/ru.h"
#include "info/phone_probe.h"
#include "scratch_dir.h"
#include "serial/device_holders.h"
#include "sim/phone_sim.h"
#include "unprivileged.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using Transcript = std::vector<std::string>;

// Something else holding a line open exclusively, as a terminal program does.
class ExclusiveHolder {
 public:
  explicit ExclusiveHolder(const std::string& path)
      : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
  ~ExclusiveHolder() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool exclusive() { return fd_ >= 0 && ::ioctl(fd_, TIOCEXCL) == 0; }

 private:
  int fd_;
};

sim::SimOptions Handset(const char* model, int lineSpeed, bool echo) {
  sim::SimOptions o;
  o.model = model;
  o.lineSpeed = lineSpeed;
  o.echo = echo;
  o.demoData = false;
  return o;
}

class PhoneProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::MakeScratchDir("qv-probe");
    fs::create_directories(dev() + "/serial/by-id");
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string dev() const { return (root_ / "dev").string(); }
  std::string byId(const std::string& name) const { return dev() + "/serial/by-id/" + name; }

  fs::path root_;
};

TEST_F(PhoneProbe, FiveDevicesAtOnceEachWithItsLine) {
  // A handset at the first speed tried, with its echo and unsolicited codes; one that only
  // understands 19200; a silent line; a line another program holds; a name for nothing.
  sim::SimOptions fast = Handset("C350", 115200, true);
  fast.unsolicitedOneIn = 1;
  sim::SimOptions quiet = Handset("C350", 0, true);
  quiet.silentAfter = 0;
  sim::PhoneSim c350(fast), v60(Handset("V60", 19200, false)), silent(quiet),
      held(Handset("T720", 0, true));
  for (sim::PhoneSim* p : {&c350, &v60, &silent, &held}) p->start();
  ExclusiveHolder holder(held.slavePath());
  ASSERT_TRUE(holder.exclusive());
  const std::string link = byId("usb-Motorola_C350-if00");
  fs::create_symlink(c350.slavePath(), link);
  const std::string missing = dev() + "/ttyACM7";

  // The C350 named by its link and by its node is one device.
  const std::vector<ProbeTarget> targets = ProbeTargetsFor(
      {link, v60.slavePath(), c350.slavePath(), silent.slavePath(), held.slavePath(), missing},
      dev());
  ASSERT_EQ(targets.size(), 5u);
  const auto started = std::chrono::steady_clock::now();
  const std::vector<ProbeResult> results = ProbeDevices(targets);
  const auto took = std::chrono::steady_clock::now() - started;

  const std::vector<std::string> expected = {
      c350.slavePath() + "\t" + link + "\t" + "C350, 115200 " + Ru("бод"),
      v60.slavePath() + "\t\tV60, 19200 " + Ru("бод"),
      silent.slavePath() + "\t\t" + Ru("нет ответа"),
      held.slavePath() + "\t\t" + Ru("занят другой программой"),
      missing + "\t\t" + Ru("нет такого устройства"),
  };
  ASSERT_EQ(results.size(), expected.size());
  for (std::size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].target.device + "\t" + results[i].target.stableName + "\t" +
                  DescribeProbe(results[i]),
              expected[i]);
  }
  EXPECT_EQ(FirstAnswered(results), &results[0]);
  EXPECT_EQ(c350.transcript(), (Transcript{"AT", "AT+CGMM"}));
  // What it heard at the three faster speeds was noise: "AT" each, then both commands.
  EXPECT_EQ(v60.transcript(), (Transcript{"AT", "AT+CGMM"}));
  EXPECT_EQ(v60.bytesReceived(), 4 * 3 + 8);
  EXPECT_EQ(silent.transcript(), Transcript(5, "AT"));
  EXPECT_EQ(held.bytesReceived(), 0);
  EXPECT_LT(took, std::chrono::seconds(2));
}

TEST_F(PhoneProbe, ALockFileOfAnotherProgramKeepsTheProbeOff) {
  sim::SimOptions o = Handset("C350", 0, true);
  o.silentAfter = 0;
  sim::PhoneSim line(o);
  line.start();
  const fs::path locks = root_ / "lock";
  fs::create_directories(locks);
  const std::string lockFile =
      (locks / ("LCK.." + fs::path(line.slavePath()).filename().string())).string();
  ProbeOptions options;
  options.lockDirs = {(root_ / "none").string(), locks.string()};
  options.bauds = {115200};

  // A process that has ended holds nothing.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const int parent = static_cast<int>(::getppid());
  int binaryPid = parent;
  const struct {
    const char* name;
    std::string bytes;
    bool held;
  } cases[] = {
      {"text", "  " + std::to_string(parent) + "\n", true},
      {"binary", std::string(reinterpret_cast<const char*>(&binaryPid), sizeof binaryPid), true},
      {"ended", std::to_string(child) + "\n", false},
      {"own", std::to_string(::getpid()) + "\n", false},
      {"garbage", "x\n", false},
  };
  for (const auto& c : cases) {
    line.clearTranscript();
    std::ofstream(lockFile, std::ios::binary) << c.bytes;
    const std::optional<DeviceHolder> holder = LockFileHolder(line.slavePath(), options.lockDirs);
    EXPECT_EQ(holder.has_value(), c.held) << c.name;
    const ProbeResult r = ProbeDevice({line.slavePath(), {}}, options);
    EXPECT_EQ(r.status, c.held ? ProbeStatus::HeldElsewhere : ProbeStatus::NoAnswer) << c.name;
    if (c.held && holder) {
      EXPECT_EQ(holder->pid, parent);
      EXPECT_FALSE(holder->name.empty());
      EXPECT_EQ(r.holders, std::vector<DeviceHolder>{*holder});
      EXPECT_EQ(DescribeProbe(r), Ru("занят другой программой (") + holder->name + ", pid " +
                                      std::to_string(parent) + ")");
    }
    EXPECT_EQ(line.transcript(), c.held ? Transcript{} : Transcript{"AT"}) << c.name;
  }
}

TEST_F(PhoneProbe, NoRightsOnTheDeviceSaysToJoinDialout) {
  const std::string device = dev() + "/ttyUSB0";
  ::close(::open(device.c_str(), O_CREAT | O_WRONLY, 0600));
  ASSERT_EQ(::chmod(device.c_str(), 0), 0);
  if (!testing::RunningAsRoot() && ::access(device.c_str(), R_OK) == 0)
    GTEST_SKIP() << "a file of mode 000 stays readable to this user";
  ::chmod(root_.c_str(), 0755);
  ::chmod(dev().c_str(), 0755);
  const auto probe = [&] { return DescribeProbe(ProbeDevice({device, {}})); };
  const std::string said =
      testing::RunningAsRoot() ? [&] {
        const testing::ChildResult child = testing::RunUnprivileged(probe);
        EXPECT_EQ(child.failure, "");
        return child.output;
      }()
                               : probe();
  EXPECT_EQ(said, Ru("нет прав: добавьте себя в группу dialout (sudo usermod -aG dialout $USER) "
                     "и войдите в систему заново"));
}

TEST_F(PhoneProbe, DevicesPresentByIdFirstThenAcmUsbAndRealUarts) {
  const auto touch = [&](const std::string& name) { std::ofstream(dev() + "/" + name) << ""; };
  for (const char* name : {"ttyUSB1", "ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "tty0"}) touch(name);
  fs::create_symlink(dev() + "/ttyUSB1", byId("usb-Cable-if00-port0"));
  fs::create_symlink(dev() + "/ttyUSB9", byId("usb-Gone-if00-port0"));
  const std::string sys = (root_ / "sys").string();
  for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, std::pair{"ttyS1", "0"}}) {
    fs::create_directories(sys + "/class/tty/" + name);
    std::ofstream(sys + "/class/tty/" + name + "/type") << type << "\n";
  }
  // A node reached by its link and by its name is probed once, by its node with the link.
  const std::vector<ProbeTarget> expected = {
      {dev() + "/ttyUSB1", byId("usb-Cable-if00-port0")},
      {dev() + "/ttyACM0", ""},
      {dev() + "/ttyUSB0", ""},
      {dev() + "/ttyS0", ""},
  };
  EXPECT_EQ(ProbeTargetsPresent(dev(), sys), expected);
  // Named ones keep their order and their names; a second name for one is dropped.
  EXPECT_EQ(ProbeTargetsFor({dev() + "/ttyUSB0", dev() + "/ttyUSB1", byId("usb-Cable-if00-port0"),
                             dev() + "/ttyUSB0"},
                            dev()),
            (std::vector<ProbeTarget>{{dev() + "/ttyUSB0", ""},
                                      {dev() + "/ttyUSB1", byId("usb-Cable-if00-port0")}}));
}

TEST(ProbeModelName, AsTheInformationSectionCutsIt) {
  const struct {
    std::string reply, model;
  } cases[] = {
      {"\r\n+CGMM: \"GSM900\",\"GSM1800\",\"MODEL=V60\"\r\n\r\nOK\r\n", "V60"},
      {"\r\n+CGMM: \"MODEL=C350\"\r\n\r\nOK\r\n", "C350"},
      {"\r\n+CGMM: \"E398\"\r\n\r\nOK\r\n", "E398"},
      {"\r\nV3\r\n\r\nOK\r\n", "V3"},
      {"\r\n+CGMM: \"MODEL=\x1b[2JX\x07\"\r\n\r\nOK\r\n", "[2JX"},
      {"\r\n+CGMM: " + std::string(100, 'A') + "\r\n\r\nOK\r\n", std::string(40, 'A')},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ProbeModelName(c.reply), c.model) << c.reply;
}

}  // namespace
}  // namespace quorvex
