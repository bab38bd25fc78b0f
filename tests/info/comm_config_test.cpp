// The port settings dialog's model and the enumeration of the serial devices.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "codec/errors.h"
#include "codec/ru.h"
#include "info/comm_config.h"
#include "recording_ui.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

class Scratch : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = quorvex::testing::MakeScratchDir("qv-comm");
    fs::create_directories(dev());
    fs::create_directories(sys());
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string dev() const { return (root_ / "dev").string(); }
  std::string sys() const { return (root_ / "sys").string(); }
  std::string ini() const { return (root_ / "portcfg.ini").string(); }
  void touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "";
  }
  void uartType(const std::string& name, const std::string& type) {
    fs::create_directories(sys() + "/class/tty/" + name);
    std::ofstream(sys() + "/class/tty/" + name + "/type") << type << "\n";
  }

  fs::path root_;
};

using SerialDevices = Scratch;

TEST_F(SerialDevices, PresentDevicesInTheirGroupsAndNaturalOrder) {
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS12", "tty0",
                           "ttyUSB", "ttyUSBx1", "ttyprintk", "null"})
    touch(dev() + "/" + name);
  touch(dev() + "/by-path-decoy");
  fs::create_directories(dev() + "/serial/by-id");
  fs::create_symlink(dev() + "/ttyUSB2", dev() + "/serial/by-id/usb-Motorola_Cable-if00-port0");
  fs::create_symlink(dev() + "/ttyUSB99", dev() + "/serial/by-id/usb-Gone-if00-port0");
  uartType("ttyS0", "4");  // a 16550A
  uartType("ttyS1", "0");  // a node without a chip
  // ttyS12 has no type in sysfs: we cannot tell, and offer it.

  const std::vector<std::string> expected = {
      dev() + "/serial/by-id/usb-Motorola_Cable-if00-port0",
      dev() + "/ttyUSB2",
      dev() + "/ttyUSB10",
      dev() + "/ttyACM0",
      dev() + "/ttyS0",
      dev() + "/ttyS12",
  };
  EXPECT_EQ(SerialDeviceCandidates(dev(), sys()), expected);
}

TEST_F(SerialDevices, NothingWhereThereIsNothing) {
  EXPECT_TRUE(SerialDeviceCandidates(dev(), sys()).empty());
  EXPECT_TRUE(SerialDeviceCandidates(dev() + "/missing", sys()).empty());
}

class CommConfig : public Scratch {
 protected:
  PortSettings settings{"/dev/ttyUSB0", 115200, 50000};
};

TEST_F(CommConfig, ShowTakesTheSettingsAndClampsTheTimeOut) {
  touch(dev() + "/ttyUSB0");
  struct {
    int stored, shown;
  } cases[] = {{50000, 10000}, {3000, 3000}, {10, 100}, {-5, 100}, {10000, 10000}};
  for (const auto& c : cases) {
    settings.TimeOut = c.stored;
    TfrmCommConfig dlg(settings, ini(), dev(), sys());
    dlg.closed = true;
    dlg.FormShow();
    EXPECT_FALSE(dlg.closed);
    EXPECT_EQ(dlg.cbComSelect.text, "/dev/ttyUSB0");
    EXPECT_EQ(dlg.cbBaudRate.text, "115200");
    EXPECT_EQ(dlg.seTimeOut.value, c.shown);
    EXPECT_EQ(settings.TimeOut, c.shown) << c.stored;
    ASSERT_EQ(dlg.cbComSelect.items.size(), 10u);
    EXPECT_EQ(dlg.cbComSelect.items[9], dev() + "/ttyUSB0");
    dlg.FormShow();  // showing again lists the devices once
    EXPECT_EQ(dlg.cbComSelect.items.size(), 10u);
  }
}

TEST_F(CommConfig, EditsChangeTheSettingsAtOnce) {
  TfrmCommConfig dlg(settings, ini(), dev(), sys());
  dlg.cbComSelectChange("COM7");
  EXPECT_EQ(settings.PortName, "COM7");
  dlg.cbBaudRateChange("9600");
  EXPECT_EQ(settings.BaudRate, 9600);
  try {
    dlg.cbBaudRateChange("96x0");
    ADD_FAILURE() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'96x0' is not a valid integer value");
  }
  EXPECT_EQ(settings.BaudRate, 9600);
  EXPECT_EQ(dlg.cbBaudRate.text, "96x0");
  dlg.seTimeOutChange(2500);
  EXPECT_EQ(settings.TimeOut, 2500);
  dlg.seTimeOutChange(20000);
  EXPECT_EQ(settings.TimeOut, 10000);
  EXPECT_EQ(dlg.seTimeOut.value, 10000);
  EXPECT_FALSE(fs::exists(ini()));
}

TEST_F(CommConfig, ApplyWritesTheFileAndCancelDoesNot) {
  TfrmCommConfig dlg(settings, ini(), dev(), sys());
  dlg.FormShow();
  dlg.cbComSelectChange("COM4");
  dlg.sbCancelClick();
  EXPECT_TRUE(dlg.closed);
  EXPECT_FALSE(fs::exists(ini()));
  EXPECT_EQ(settings.PortName, "COM4");  // the edit stays in memory

  dlg.FormShow();
  EXPECT_TRUE(dlg.FormKeyDown(TfrmCommConfig::kKeyReturn));
  EXPECT_TRUE(dlg.closed);
  PortSettings stored;
  LoadPortSettings(stored, ini());
  EXPECT_EQ(stored.PortName, "COM4");
  EXPECT_EQ(stored.BaudRate, 115200);
  EXPECT_EQ(stored.TimeOut, 10000);

  dlg.FormShow();
  EXPECT_FALSE(dlg.FormKeyDown('A'));
  EXPECT_FALSE(dlg.closed);
  EXPECT_TRUE(dlg.FormKeyDown(TfrmCommConfig::kKeyEscape));
  EXPECT_TRUE(dlg.closed);
}

TEST_F(CommConfig, AFailedWriteKeepsTheDialogOpen) {
  TfrmCommConfig dlg(settings, (root_ / "no-such-dir" / "portcfg.ini").string(), dev(), sys());
  dlg.FormShow();
  EXPECT_THROW(dlg.sbApplyClick(), EInOutError);
  EXPECT_FALSE(dlg.closed);
  EXPECT_THROW(dlg.FormKeyDown(TfrmCommConfig::kKeyReturn), EInOutError);
  EXPECT_FALSE(dlg.closed);
}

// "Найти телефон" over the devices present: the two handsets by their by-id names, a node
// that is no serial port left out; the window runs meanwhile; a pick fills port and speed.
TEST_F(CommConfig, FindPhoneListsTheHandsetsAndAPickFillsPortAndSpeed) {
  sim::SimOptions c350, v60;
  c350.model = "C350";
  v60.model = "V60";
  v60.lineSpeed = 38400;
  sim::PhoneSim first(c350), second(v60);
  first.start();
  second.start();
  fs::create_directories(dev() + "/serial/by-id");
  const std::string firstLink = dev() + "/serial/by-id/usb-Motorola_C350-if00";
  const std::string secondLink = dev() + "/serial/by-id/usb-Motorola_V60-if00";
  fs::create_symlink(first.slavePath(), firstLink);
  fs::create_symlink(second.slavePath(), secondLink);
  touch(dev() + "/ttyUSB0");

  TfrmCommConfig dlg(settings, ini(), dev(), sys());
  dlg.FormShow();
  quorvex::testing::RecordingUi ui;
  int steps = 0;
  dlg.onDetectProgress = [&] {
    ++steps;
    EXPECT_FALSE(dlg.sbDetect.enabled);
    EXPECT_TRUE(dlg.pbDetect.visible);
    EXPECT_EQ(dlg.pbDetect.Max, 3);
    EXPECT_EQ(dlg.lblDetect.caption, Ru("Поиск телефона..."));
  };
  EXPECT_EQ(dlg.sbDetect.caption, Ru("Найти телефон"));
  dlg.sbDetectClick(ui);
  EXPECT_GE(steps, 1);
  EXPECT_EQ(ui.pumps, std::vector<bool>(static_cast<std::size_t>(steps - 1), false));
  EXPECT_TRUE(dlg.sbDetect.enabled);
  EXPECT_FALSE(dlg.pbDetect.visible);
  EXPECT_EQ(dlg.pbDetect.Figure, Ru("3 из 3"));
  EXPECT_EQ(dlg.lbFound.items, (std::vector<std::string>{
                                   firstLink + Ru(" — C350, 115200 бод"),
                                   secondLink + Ru(" — V60, 38400 бод"),
                               }));
  EXPECT_EQ(dlg.lblDetect.caption,
            Ru("Найдено телефонов: 2. Выберите телефон и нажмите \"Применить\"."));
  EXPECT_EQ(settings.PortName, "/dev/ttyUSB0") << "nothing chosen yet";

  dlg.lbFoundClick(1);
  EXPECT_EQ(dlg.lbFound.itemIndex, 1);
  EXPECT_EQ(settings.PortName, secondLink);
  EXPECT_EQ(settings.BaudRate, 38400);
  EXPECT_EQ(dlg.cbComSelect.text, secondLink);
  EXPECT_EQ(dlg.cbBaudRate.text, "38400");
  dlg.lbFoundClick(2);
  EXPECT_EQ(dlg.lbFound.itemIndex, 1);
  EXPECT_FALSE(fs::exists(ini())) << "written only by Применить";

  // Nothing answers; then nothing to ask.
  dlg.onDetectProgress = nullptr;
  dlg.detectTargets = [] { return std::vector<ProbeTarget>{{"/dev/quorvex-no-such-port", ""}}; };
  dlg.sbDetectClick(ui);
  EXPECT_TRUE(dlg.lbFound.items.empty());
  EXPECT_EQ(dlg.lbFound.itemIndex, -1);
  EXPECT_EQ(dlg.lblDetect.caption, Ru("Телефон не найден: ни одно устройство не ответило."));
  dlg.detectTargets = [] { return std::vector<ProbeTarget>{}; };
  dlg.sbDetectClick(ui);
  EXPECT_EQ(dlg.lblDetect.caption, Ru("Последовательные порты не найдены."));
  EXPECT_TRUE(dlg.sbDetect.enabled);
}

}  // namespace
}  // namespace quorvex
