// quorvex-cli end to end: the real program in a scratch working directory against the
// simulated handset hosted by the test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "cli_fixture.h"
#include "codec/ru.h"
#include "serial/block_serial.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using clitest::Result;

class CliTest : public clitest::CliFixture {
 protected:
  CliTest() : CliFixture("qv-cli") {}
};

struct ModelCase {
  const char* model;
};

class CliModels : public CliTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CliModels, AtPrintsTheReplyAsTheLogReceivesIt) {
  sim::SimOptions o;
  o.model = GetParam();
  sim::PhoneSim phone(o);
  phone.start();
  writeSettings(phone.slavePath());
  Result r = run({"at", "AT+CGMM"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.rfind("\n+CGMM: ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\"MODEL=" + std::string(GetParam()) + "\""), std::string::npos) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - 5), "\n\nOK\n");
  EXPECT_EQ(phone.transcript(), std::vector<std::string>{"AT+CGMM"});
}

// One model of each handset family, and one the program knows no family for.
INSTANTIATE_TEST_SUITE_P(Families, CliModels, ::testing::Values("T720", "C350", "C450", "E398"));

TEST_F(CliTest, ErrorAnswerIsPrintedAndIsNoFailure) {
  sim::PhoneSim phone;
  phone.start();
  writeSettings(phone.slavePath());
  Result r = run({"at", "AT+NOSUCH"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\nERROR\n");
}

TEST_F(CliTest, CommandTextGoesOutInCodePage1251) {
  sim::PhoneSim phone;
  phone.start();
  writeSettings(phone.slavePath());
  Result r = run({"at", "AT+Ж"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(phone.transcript(), std::vector<std::string>{Ru("AT+Ж")});
}

TEST_F(CliTest, OptionsReplaceTheFileAndNeedNoFileWhenComplete) {
  sim::PhoneSim phone;
  phone.start();
  Result r = run({"--port", phone.slavePath(), "--baud", "19200", "--timeout=500", "at", "AT"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\nOK\n");
  writeSettings("/dev/quorvex-no-such-port");
  r = run({"--port=" + phone.slavePath(), "at", "AT"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\nOK\n");
  EXPECT_FALSE(fs::exists(dir_ / "portcfg.ini.tmp"));
}

struct FailureCase {
  const char* name;
  std::vector<std::string> args;
  bool writeFile;
  std::string port;  // "" = the simulated handset
  int status;
  std::string err;  // exact stderr; empty: only the status is checked
};

class CliFailures : public CliTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliFailures, EndWithTheirMessageAndStatus) {
  const FailureCase& c = GetParam();
  sim::PhoneSim phone;
  phone.start();
  if (c.writeFile) writeSettings(c.port.empty() ? phone.slavePath() : c.port);
  Result r = run(c.args);
  EXPECT_EQ(r.status, c.status) << r.err;
  if (!c.err.empty()) {
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliFailures,
    ::testing::Values(
        FailureCase{"MissingSettingsFile", {"at", "AT"}, false, "", 1, "[error] File not found\n"},
        FailureCase{"MissingPort",
                    {"at", "AT"},
                    true,
                    "/dev/quorvex-no-such-port",
                    1,
                    "[error] Телефон не подключен.\n"},
        FailureCase{"UnknownCommand", {"fly"}, true, "", 2, ""},
        FailureCase{"UnknownOption", {"--fast", "at", "AT"}, true, "", 2, ""},
        FailureCase{"BadBaud", {"--baud", "fast", "at", "AT"}, true, "", 2, ""},
        FailureCase{"NoCommand", {}, true, "", 2, ""},
        FailureCase{"AtWithoutText", {"at"}, true, "", 2, ""},
        FailureCase{
            "CharacterOutsideCodePage", {"at", "AT+\xE2\x82\xAC\xF0\x9F\x98\x80"}, true, "", 2, ""},
        FailureCase{"InvalidUtf8", {"at", "AT\xFF"}, true, "", 2, ""}),
    [](const auto& info) { return info.param.name; });

TEST_F(CliTest, SilentHandsetTimesOutWithTheDefaultOneSecond) {
  sim::SimOptions o;
  o.silentAfter = 0;
  sim::PhoneSim phone(o);
  phone.start();
  writeSettings(phone.slavePath(), 115200, 8000);  // the terminal never takes TimeOut
  Result r = run({"at", "AT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[error] Ошибка по таймауту...\nУстановите большее значение таймаута...\n");
  EXPECT_EQ(r.out, "");
  EXPECT_GE(r.millis, 1000);
  EXPECT_LT(r.millis, 3000);
}

TEST_F(CliTest, AnotherProgramCannotTakeABusyPort) {
  sim::PhoneSim phone;
  phone.start();
  writeSettings(phone.slavePath());
  TBlockSerial holder;
  holder.OpenPort(phone.slavePath());
  ASSERT_TRUE(holder.PortActive());
  Result r = run({"at", "AT"});
  EXPECT_EQ(r.status, 1);
  // The system's text first, then who may hold the port and how to find out.
  EXPECT_EQ(r.err.rfind("[error] Resource temporarily unavailable\nПорт " + phone.slavePath() +
                            " занят другой программой (часто это ModemManager).\nКто его держит, "
                            "покажет fuser -v " + phone.slavePath() + ";",
                        0),
            0u)
      << r.err;
  EXPECT_TRUE(phone.transcript().empty());
}

TEST_F(CliTest, ASubcommandOptionMisuseIsRefusedBeforeTheHandsetIsAsked) {
  sim::PhoneSim phone;
  phone.start();
  writeSettings(phone.slavePath());
  const struct {
    std::vector<std::string> args;
    std::string firstLine;
  } cases[] = {
      {{"phonebook", "read", "--select"}, "--select needs a value"},
      {{"phonebook", "read", "--select=1"}, "unknown option --select"},
      {{"phonebook", "edit", "1", "--name"}, "--name needs a value"},
      {{"datebook", "add", "--title"}, "--title needs a value"},
      {{"datebook", "read", "--title", "x"}, "unknown option --title"},
      {{"sms", "new", "--to"}, "--to needs a value"},
      {{"sms", "read", "inbox", "--to=1"}, "unknown option --to"},
      // A name outside ASCII is printed as it was typed, in both messages.
      {{"sms", "new", "--кому"}, "--кому needs a value"},
      {{"datebook", "read", "--дата=1"}, "unknown option --дата"},
  };
  for (const auto& c : cases) {
    const Result r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "quorvex-cli: " + c.firstLine);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(phone.transcript().empty());
}

TEST_F(CliTest, HelpListsTheCommands) {
  Result r = run({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("at TEXT"), std::string::npos);
  EXPECT_NE(r.out.find("  bin list | bin restore ID...\n"), std::string::npos);
  r = run({"at", "--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Послать"), std::string::npos);
}

// quorvex-cli detect: two handsets at different speeds, a silent line, a line another program
// holds exclusively and a name for nothing, probed at once in real time.
class CliDetect : public CliTest {
 protected:
  static sim::SimOptions Handset(const char* model, int lineSpeed) {
    sim::SimOptions o;
    o.model = model;
    o.lineSpeed = lineSpeed;
    o.demoData = false;
    return o;
  }
  void SetUp() override {
    CliTest::SetUp();
    for (Pty* p : {&silent_, &held_}) {
      p->master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
      ASSERT_GE(p->master, 0);
      ASSERT_EQ(::grantpt(p->master), 0);
      ASSERT_EQ(::unlockpt(p->master), 0);
      p->slave = ::ptsname(p->master);
    }
    holder_ = ::open(held_.slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder_, 0);
    ASSERT_EQ(::ioctl(holder_, TIOCEXCL), 0);
    c350_.start();
    v60_.start();
  }
  void TearDown() override {
    for (int fd : {holder_, silent_.master, held_.master})
      if (fd >= 0) ::close(fd);
    CliTest::TearDown();
  }
  // The text with {c350}, {v60}, {silent}, {held} and {missing} replaced by their devices and
  // {pid} by this process's id.
  std::string fill(std::string text) const {
    const std::pair<std::string, std::string> names[] = {{"{c350}", c350_.slavePath()},
                                                         {"{v60}", v60_.slavePath()},
                                                         {"{silent}", silent_.slave},
                                                         {"{held}", held_.slave},
                                                         {"{missing}", "/dev/quorvex-no-such-port"},
                                                         {"{pid}", std::to_string(::getpid())}};
    for (const auto& [key, value] : names)
      for (std::size_t at; (at = text.find(key)) != std::string::npos;)
        text.replace(at, key.size(), value);
    return text;
  }
  std::string heldBytes() const {
    char buffer[64];
    const ssize_t n = ::read(held_.master, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
  }

  struct Pty {
    int master = -1;
    std::string slave;
  };
  sim::PhoneSim c350_{Handset("C350", 115200)}, v60_{Handset("V60", 9600)};
  Pty silent_, held_;
  int holder_ = -1;
};

TEST_F(CliDetect, OneLinePerDeviceAndTheStatusSaysWhetherAHandsetAnswered) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;  // exact; with "..." at its end, what the output starts with
    std::string err;
  } runs[] = {
      {{"detect", "{c350}", "{v60}", "{silent}", "{held}", "{missing}"},
       0,
       "{c350}\t\tC350, 115200 бод\n"
       "{v60}\t\tV60, 9600 бод\n"
       "{silent}\t\tнет ответа\n"
       "{held}\t\tзанят другой программой (cli_tests, pid {pid})\n"
       "{missing}\t\tнет такого устройства\n",
       ""},
      // Without settings, with the settings' options given, a device named twice.
      {{"--port", "{missing}", "detect", "{held}", "{missing}", "{held}"},
       1,
       "{held}\t\tзанят другой программой (cli_tests, pid {pid})\n"
       "{missing}\t\tнет такого устройства\n",
       ""},
      {{"detect", "--help"}, 0, "Usage: quorvex-cli [OPTIONS] detect [DEVICE...]\n...", ""},
      {{"--help"}, 0, "Usage: quorvex-cli [--home] ...", ""},
  };
  for (const auto& run : runs) {
    std::vector<std::string> args;
    for (const std::string& a : run.args) args.push_back(fill(a));
    const Result r = this->run(args);
    const std::string what = args.size() > 1 ? args[1] : args[0];
    EXPECT_EQ(r.status, run.status) << what;
    const std::string out = fill(run.out);
    if (out.size() > 3 && out.compare(out.size() - 3, 3, "...") == 0)
      EXPECT_EQ(r.out.substr(0, out.size() - 3), out.substr(0, out.size() - 3)) << what;
    else
      EXPECT_EQ(r.out, out) << what;
    EXPECT_EQ(r.err, run.err) << what;
    // Five devices within 2 s: the silent one takes its five tries of 300 ms.
    EXPECT_LT(r.millis, 2000) << what;
  }
  EXPECT_EQ(heldBytes(), "");
  EXPECT_EQ(c350_.transcript(), (std::vector<std::string>{"AT", "AT+CGMM"}));
  EXPECT_EQ(v60_.transcript(), (std::vector<std::string>{"AT", "AT+CGMM"}));
  EXPECT_FALSE(fs::exists(dir_ / "portcfg.ini"));
}

// --home works in the per-user folder: the settings there are used and what is missing made;
// the working directory's own portcfg.ini is not looked at.
TEST_F(CliTest, HomeWorksInThePerUserFolder) {
  sim::PhoneSim phone;
  phone.start();
  const fs::path folder = dir_ / "xdg" / "quorvex";
  fs::create_directories(folder);
  SavePortSettings({phone.slavePath(), 115200, 3000}, (folder / "portcfg.ini").string());
  writeSettings("/dev/quorvex-no-such-port");
  ::setenv("XDG_DATA_HOME", (dir_ / "xdg").c_str(), 1);
  const Result r = run({"--home", "at", "AT"});
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\nOK\n");
  EXPECT_EQ(phone.transcript(), std::vector<std::string>{"AT"});
  EXPECT_TRUE(fs::exists(folder / "sms_archive.txt"));
}

}  // namespace
}  // namespace quorvex
