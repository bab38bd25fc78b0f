// What a failed open tells the user, over a scripted device: the system's text first, then
// what to do when the user has no rights on the device or another program holds it.
#include <gtest/gtest.h>

#include <cerrno>

#include "codec/ru.h"
#include "fake_device.h"
#include "serial/block_serial.h"

namespace quorvex {
namespace {

using testing::FakeDevice;
using testing::FakeScript;

struct FailingPort {
  explicit FailingPort(int openError) {
    script.openError = openError;
    serial = std::make_unique<TBlockSerial>(std::make_unique<FakeDevice>(&script));
  }
  FakeScript script;
  std::unique_ptr<TBlockSerial> serial;
};

struct OpenCase {
  const char* name;
  int error;
  std::string port;
  std::string message;  // the whole text of the raised error, code page 1251
  std::string description;
};

class OpenFailureTable : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenFailureTable, MessageNamesTheCauseAfterTheSystemText) {
  const OpenCase& c = GetParam();
  FailingPort p(c.error);
  p.serial->RaiseOnError = true;
  try {
    p.serial->OpenPort(c.port);
    FAIL() << "opened";
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(std::string(e.what()), c.message);
    EXPECT_EQ(e.Code, c.error);
    EXPECT_EQ(e.Description, c.description);
  }
  EXPECT_FALSE(p.serial->PortActive());
  EXPECT_EQ(p.serial->PortNumber(), -1);
  // The caller that inspects the error itself keeps the bare text it compares.
  EXPECT_EQ(p.serial->LastError(), c.error);
  EXPECT_EQ(p.serial->LastErrorText(), c.description);
}

TEST_P(OpenFailureTable, WithoutRaisingTheObjectKeepsTheBareText) {
  const OpenCase& c = GetParam();
  FailingPort p(c.error);
  EXPECT_NO_THROW(p.serial->OpenPort(c.port));
  EXPECT_FALSE(p.serial->PortActive());
  EXPECT_EQ(p.serial->LastError(), c.error);
  EXPECT_EQ(p.serial->LastErrorText(), c.description);
}

const std::string kDialout =
    Ru(": пользователь не входит в группу dialout.\r\n"
       "Выполните sudo usermod -aG dialout $USER и войдите в систему заново.");
const std::string kBusyUsb =
    Ru("Порт /dev/ttyUSB0 занят другой программой (часто это ModemManager).\r\n"
       "Кто его держит, покажет fuser -v /dev/ttyUSB0; правило udev, которое отучит ModemManager "
       "от телефона, - в \"Справка\" -> \"Помощь\" (info.txt).");

INSTANTIATE_TEST_SUITE_P(
    Errno, OpenFailureTable,
    ::testing::Values(
        // A missing device keeps the one text everybody knows, under a COM name too.
        OpenCase{"MissingDevice", ENOENT, "/dev/ttyACM0", Ru("Телефон не подключен."),
                 "No such file or directory"},
        OpenCase{"MissingComPort", ENOENT, "com3", Ru("Телефон не подключен."),
                 "No such file or directory"},
        OpenCase{"AccessDenied", EACCES, "/dev/ttyACM0",
                 "Permission denied\r\n" + Ru("Нет прав на /dev/ttyACM0") + kDialout,
                 "Permission denied"},
        OpenCase{"NotPermitted", EPERM, "/dev/serial/by-id/usb-Motorola_Phone-if00",
                 "Operation not permitted\r\n" +
                     Ru("Нет прав на /dev/serial/by-id/usb-Motorola_Phone-if00") + kDialout,
                 "Operation not permitted"},
        // TIOCEXCL of another opener.
        OpenCase{"ExclusiveElsewhere", EBUSY, "/dev/ttyUSB0",
                 "Device or resource busy\r\n" + kBusyUsb, "Device or resource busy"},
        // The flock of another opener.
        OpenCase{"LockedElsewhere", EWOULDBLOCK, "/dev/ttyUSB0",
                 "Resource temporarily unavailable\r\n" + kBusyUsb,
                 "Resource temporarily unavailable"},
        // Everything else keeps the system's text alone.
        OpenCase{"InputOutput", EIO, "/dev/ttyUSB0", "Input/output error", "Input/output error"},
        OpenCase{"NoDevice", ENODEV, "/dev/ttyUSB0", "No such device", "No such device"},
        OpenCase{"NotATerminal", ENOTTY, "/tmp/notes.txt", "Inappropriate ioctl for device",
                 "Inappropriate ioctl for device"}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

// A second operation of this program that meets the port held by the first is told so, not
// sent looking for another program; once the first closes, a refusal is another program's.
TEST(OpenFailure, PortHeldByThisProgramIsToldApart) {
  FakeScript free;
  auto first = std::make_unique<TBlockSerial>(std::make_unique<FakeDevice>(&free));
  first->RaiseOnError = true;
  first->OpenPort("/dev/ttyACM3");
  ASSERT_TRUE(first->PortActive());

  auto refusal = [] {
    FailingPort second(EWOULDBLOCK);
    second.serial->RaiseOnError = true;
    try {
      second.serial->OpenPort("/dev/ttyACM3");
    } catch (const ESynaSerError& e) {
      return std::string(e.what());
    }
    return std::string("opened");
  };
  EXPECT_EQ(refusal(), "Resource temporarily unavailable\r\n" +
                           Ru("Порт /dev/ttyACM3 занят другой операцией этой программы: "
                              "дождитесь её конца."));
  // Another device is not held here.
  FailingPort other(EBUSY);
  other.serial->RaiseOnError = true;
  try {
    other.serial->OpenPort("/dev/ttyACM4");
    ADD_FAILURE() << "opened";
  } catch (const ESynaSerError& e) {
    EXPECT_NE(std::string(e.what()).find("ModemManager"), std::string::npos) << e.what();
  }

  first->ClosePort();
  EXPECT_NE(refusal().find("ModemManager"), std::string::npos);
  // Open again and let the destructor release it.
  first->OpenPort("/dev/ttyACM3");
  EXPECT_NE(refusal().find(Ru("этой программы")), std::string::npos);
  first.reset();
  EXPECT_NE(refusal().find("ModemManager"), std::string::npos);
}

// A refused second OpenPort on an open object is its own error and leaves the device held.
TEST(OpenFailure, RefusedSecondOpenKeepsTheDeviceHeld) {
  FakeScript free;
  TBlockSerial first(std::make_unique<FakeDevice>(&free));
  first.OpenPort("/dev/ttyACM7");
  first.OpenPort("/dev/ttyACM7");
  EXPECT_EQ(first.LastError(), ErrAlreadyOwned);
  FailingPort second(EBUSY);
  second.serial->RaiseOnError = true;
  try {
    second.serial->OpenPort("/dev/ttyACM7");
    ADD_FAILURE() << "opened";
  } catch (const ESynaSerError& e) {
    EXPECT_NE(std::string(e.what()).find(Ru("этой программы")), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace quorvex
