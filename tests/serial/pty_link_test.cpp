// The real port object on a pseudo-terminal against the simulated handset.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "codec/ru.h"
#include "serial/block_serial.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

using Clock = std::chrono::steady_clock;
using sim::PhoneSim;
using sim::SimOptions;

long Millis(Clock::time_point since) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

int OpenFds() {
  int n = 0;
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (::readdir(d)) ++n;
    ::closedir(d);
  }
  return n;
}

std::unique_ptr<TBlockSerial> Open(const PhoneSim& phone, PortClock& clock = DefaultPortClock()) {
  auto port = std::make_unique<TBlockSerial>(MakePosixSerialDevice(), clock);
  port->RaiseOnError = true;
  port->OpenPort(phone.slavePath());
  port->SetLineParams(115200, 8, 'N', 0, false, false);
  return port;
}

bool IsUsualAnswer(const std::string& reply, const std::string& prefix) {
  const std::string tail = "\r\n\r\nOK\r\n";
  return reply.rfind("\r\n" + prefix, 0) == 0 && reply.size() > tail.size() &&
         reply.compare(reply.size() - tail.size(), tail.size(), tail) == 0 &&
         reply.find("\r\n", 2) == reply.size() - tail.size();
}

class EchoTest : public ::testing::TestWithParam<bool> {};

TEST_P(EchoTest, ReplyIsTheSameWithAndWithoutEcho) {
  SimOptions o;
  o.echo = GetParam();
  PhoneSim phone(o);
  phone.start();
  auto port = Open(phone);
  for (const char* command : {"AT+CGSN", "AT+CGMI", "AT+CBC", "AT+CSQ"}) {
    std::string reply = port->RunAtCommand(command);
    EXPECT_TRUE(IsUsualAnswer(reply, std::string(command).substr(2) + ": ")) << reply;
    EXPECT_TRUE(port->CommandOk());
    EXPECT_EQ(port->LastErrorText(), "OK");
  }
  EXPECT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n");
  EXPECT_EQ(phone.transcript(),
            (std::vector<std::string>{"AT+CGSN", "AT+CGMI", "AT+CBC", "AT+CSQ", "AT"}));
}

INSTANTIATE_TEST_SUITE_P(Pty, EchoTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "EchoOn" : "EchoOff"; });

TEST(PtyLink, EchoSwitchedAtRunTime) {
  PhoneSim phone;
  phone.start();
  auto port = Open(phone);
  EXPECT_EQ(port->RunAtCommand("ATE0"), "\r\nOK\r\n");
  EXPECT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n");
  EXPECT_EQ(port->RunAtCommand("ATE1"), "\r\nOK\r\n");
  EXPECT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n");
}

TEST(PtyLink, ErrorReplyReturnsWithCommandOkFalse) {
  PhoneSim phone;
  phone.start();
  auto port = Open(phone);
  EXPECT_EQ(port->RunAtCommand("AT+NOSUCH"), "\r\nERROR\r\n");
  EXPECT_FALSE(port->CommandOk());
  EXPECT_EQ(port->LastError(), 0);
  EXPECT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n") << "the link is still in step";
}

TEST(PtyLink, SplitRepliesAreReassembled) {
  SimOptions o;
  o.split = true;
  PhoneSim phone(o);
  phone.start();
  auto port = Open(phone);
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(IsUsualAnswer(port->RunAtCommand("AT+CGSN"), "+CGSN: "));
    EXPECT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n");
  }
}

// The one wait on the real clock: the time-out of a real port is waited out in full.
TEST(PtyLink, SilentHandsetTimesOutAfterReplyTimeout) {
  SimOptions o;
  o.silentAfter = 0;
  PhoneSim phone(o);
  phone.start();
  auto port = Open(phone, SystemPortClock());
  port->ReplyTimeout = 300;
  const auto start = Clock::now();
  try {
    port->RunAtCommand("AT");
    FAIL() << "no time-out";
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(e.Code, ErrTimeout);
    EXPECT_EQ(std::string(e.what()),
              Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута..."));
  }
  const long took = Millis(start);
  EXPECT_GE(took, 300);
  EXPECT_LT(took, 400);
}

TEST(PtyLink, HangUpMidReplyFailsAtOnce) {
  SimOptions o;
  o.hangupAfter = 1;
  PhoneSim phone(o);
  phone.start();
  auto port = Open(phone);
  port->ReplyTimeout = 5000;
  EXPECT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n");
  const auto start = Clock::now();
  try {
    port->RunAtCommand("AT+CGSN");
    FAIL() << "no error";
  } catch (const ESynaSerError& e) {
    EXPECT_NE(e.Code, ErrTimeout);
    EXPECT_EQ(std::string(e.what()), TBlockSerial::GetErrorDesc(e.Code));
    EXPECT_FALSE(std::string(e.what()).empty());
  }
  EXPECT_LT(Millis(start), 1000) << "a hang-up must not wait out the time-out";
}

TEST(PtyLink, SecondOpenOfTheSameObjectIsRefused) {
  PhoneSim phone;
  phone.start();
  auto port = Open(phone);
  try {
    port->OpenPort(phone.slavePath());
    FAIL();
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(e.Code, ErrAlreadyOwned);
    EXPECT_STREQ(e.what(), "Instance already in use");
  }
  EXPECT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n");
}

TEST(PtyLink, SecondObjectCannotOpenABusyPort) {
  PhoneSim phone;
  phone.start();
  auto first = Open(phone);
  TBlockSerial second;
  second.RaiseOnError = true;
  try {
    second.OpenPort(phone.slavePath());
    FAIL() << "opened a busy port";
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(e.Code, EWOULDBLOCK);
    // The system's text first; the port is held by this very program.
    EXPECT_EQ(std::string(e.what()), "Resource temporarily unavailable\r\n" + Ru("Порт ") +
                                         phone.slavePath() +
                                         Ru(" занят другой операцией этой программы: дождитесь "
                                            "её конца."));
  }
  EXPECT_EQ(first->RunAtCommand("AT"), "\r\nOK\r\n");
  first.reset();
  EXPECT_NO_THROW(second.OpenPort(phone.slavePath())) << "free again once the first closed";
}

TEST(PtyLink, MissingDeviceIsNotConnected) {
  for (const char* name : {"/dev/quorvex-no-such-port", "COM200"}) {
    TBlockSerial port;
    port.RaiseOnError = true;
    try {
      port.OpenPort(name);
      FAIL() << name;
    } catch (const ESynaSerError& e) {
      EXPECT_EQ(e.Code, ENOENT);
      EXPECT_EQ(std::string(e.what()), Ru("Телефон не подключен."));
    }
  }
}

TEST(PtyLink, NotATerminalIsRefused) {
  TBlockSerial port;
  port.OpenPort("/dev/null");
  EXPECT_EQ(port.LastError(), ENOTTY);
  EXPECT_FALSE(port.PortActive());
}

TEST(PtyLink, OpenAndCloseLeaveNoDescriptorBehind) {
  PhoneSim phone;
  phone.start();
  const int before = OpenFds();
  for (int i = 0; i < 50; ++i) {
    auto port = Open(phone);
    ASSERT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n");
  }
  EXPECT_EQ(OpenFds(), before);
}

TEST(PtyLink, PurgeDropsWhatWasWaiting) {
  PhoneSim phone;
  phone.start();
  auto port = Open(phone);
  port->SendText("AT+CGSN\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  port->PurgeBuffers();
  EXPECT_EQ(port->RunAtCommand("AT"), "\r\nOK\r\n");
}

}  // namespace
}  // namespace quorvex
