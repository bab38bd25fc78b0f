// quorvex-cli end to end: the real program in a scratch working directory against the
// simulated handset hosted by the test.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quorvex
