// quorvex-cli info, clock and demo end to end: the real program in a scratch working
// directory against the simulated handset hosted by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <regex>

#include "cli_fixture.h"
#include "serial/port_settings.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using clitest::Result;

class CliInfo : public clitest::CliFixture {
 protected:
  CliInfo() : CliFixture("qv-cli-info") {}

  sim::PhoneSim& startPhone(sim::SimOptions o = {}) { return hostPhone(o, nullptr, 3000); }
};

const std::vector<std::string> kSevenCommands = {"AT+CGSN", "AT+CIMI", "AT+CGMI", "AT+CGMM",
                                                 "AT+CGMR", "AT+CBC",  "AT+CSQ"};

const std::string kDemoInfo =
    "IMEI:\t350881027364519\n"
    "IMSI:\t250019876543210\n"
    "Производитель:\tMotorola CE, Copyright 2000\n"
    "Модель телефона:\tMotorola C350\n"
    "Рабочие частоты:\tGSM900, GSM1800, GSM1900\n"
    "Версия прошивки:\tRC350_G_0A.11.2FR\n"
    "Заряд аккумулятора:\t80\n"
    "Уровень приема:\t-79\n";

TEST_F(CliInfo, InfoPrintsTheSectionAsLabelAndValue) {
  startPhone();
  Result r = run({"info"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, kDemoInfo);
  EXPECT_EQ(phone_->transcript(), kSevenCommands);
}

TEST_F(CliInfo, ControlCharactersOfAnErrorAnswerStayOnTheLine) {
  sim::SimOptions o;
  o.errorOn = {"AT+CGSN"};
  startPhone(o);
  Result r = run({"info"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "IMEI:\t\\r\\nERROR\\r\\n\n");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 8);
}

TEST_F(CliInfo, AFailingRoutineEndsTheRunWithTheStandardErrorBox) {
  sim::SimOptions o;
  o.silentAfter = 3;
  startPhone(o);
  Result r = run({"info"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[error] Ошибка по таймауту...\nУстановите большее значение таймаута...\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(phone_->transcript().size(), 4u);
}

TEST_F(CliInfo, ClockSetsTheLocalTime) {
  startPhone();
  const std::time_t before = std::time(nullptr);
  Result r = run({"clock"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "[message] Дата и время синхронизированы!!!\n");
  const auto sent = phone_->transcript();
  ASSERT_EQ(sent.size(), 1u);
  std::tm tm{};
  localtime_r(&before, &tm);
  char date[16];
  std::strftime(date, sizeof date, "%y/%m/%d", &tm);
  EXPECT_TRUE(std::regex_match(sent[0], std::regex("AT\\+CCLK=\"\\d\\d/\\d\\d/\\d\\d,"
                                                   "([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d\"")))
      << sent[0];
  // Only a run across midnight may see another date.
  if (tm.tm_hour != 23 || tm.tm_min != 59) {
    EXPECT_EQ(sent[0].substr(9, 8), date);
  }
}

TEST_F(CliInfo, ClockRefusedIsAnErrorBoxButNoFailure) {
  sim::SimOptions o;
  o.errorOn = {"AT+CCLK"};
  startPhone(o);
  Result r = run({"clock"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "[error] Не удалось синхронизировать.\nБыли ошибки.\n");
}

TEST_F(CliInfo, DemoPrintsEachPartUnderItsHeading) {
  startPhone();
  Result r = run({"demo"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("== Информация ==\n" + kDemoInfo, 0), 0u) << r.out;
  const auto sent = phone_->transcript();
  ASSERT_GE(sent.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 7), kSevenCommands);
}

TEST_F(CliInfo, DemoStopsAtTheFirstFailure) {
  startPhone();
  fs::remove(dir_ / "portcfg.ini");
  Result r = run({"--port", phone_->slavePath(), "--baud", "115200", "--timeout", "1000", "demo"});
  EXPECT_EQ(r.status, 0) << r.err;  // a complete override needs no file
  sim::SimOptions o;
  o.errorOn = {"AT+CBC"};
  startPhone(o);
  r = run({"demo"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "== Информация ==\n");
  EXPECT_EQ(r.err, "[error] 'ERROR\n' is not a valid integer value\n");
}

TEST_F(CliInfo, ArgumentsAreUsageErrors) {
  startPhone();
  for (const char* command : {"info", "clock", "demo"}) {
    Result r = run({command, "extra"});
    EXPECT_EQ(r.status, 2) << command;
    r = run({command, "--help"});
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.out.find(command), std::string::npos);
  }
  EXPECT_TRUE(phone_->transcript().empty());
}

}  // namespace
}  // namespace quorvex
