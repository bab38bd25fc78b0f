// Setting the handset's clock: the command's fixed layout and the two result boxes.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec/ru.h"
#include "info/clock_sync.h"
#include "info_fixture.h"

namespace quorvex {
namespace {

using testing::AppStateTest;
using testing::Box;
using testing::RaisedMessage;

TEST(ClockCommand, EveryFieldTwoDigits) {
  struct {
    LocalTime t;
    const char* command;
  } cases[] = {
      {{2026, 3, 5, 9, 4, 7}, "AT+CCLK=\"26/03/05,09:04:07\""},
      {{2005, 1, 1, 0, 0, 0}, "AT+CCLK=\"05/01/01,00:00:00\""},
      {{2010, 12, 31, 23, 59, 59}, "AT+CCLK=\"10/12/31,23:59:59\""},
      {{2000, 10, 10, 10, 10, 10}, "AT+CCLK=\"00/10/10,10:10:10\""},
      {{1999, 2, 28, 12, 30, 1}, "AT+CCLK=\"99/02/28,12:30:01\""},
      {{2100, 7, 9, 8, 9, 6}, "AT+CCLK=\"00/07/09,08:09:06\""},
  };
  for (const auto& c : cases) EXPECT_EQ(ClockCommand(c.t), c.command);
}

const Box kSynchronised{Ru("Дата и время синхронизированы!!!"), MsgKind::Message, MsgButtons::Ok};
const Box kFailed{Ru("Не удалось синхронизировать.\r\nБыли ошибки."), MsgKind::Error,
                  MsgButtons::Ok};

struct ResultCase {
  const char* name;
  bool echo;
  std::vector<std::string> errorOn;
  Box box;
};

class ClockSync : public AppStateTest, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(ClockSync, TellsWhetherTheHandsetTookTheTime) {
  const ResultCase& c = GetParam();
  sim::SimOptions o;
  o.echo = c.echo;
  o.errorOn = c.errorOn;
  startPhone(o);
  ui_.clock = {2026, 3, 5, 9, 4, 7};
  // The clock is read before the port is opened: at that moment the port must still be free.
  int openErrorWhileReading = -1;
  ui_.onNow = [&] {
    TBlockSerial probe;
    probe.OpenPort(phone().slavePath());
    openErrorWhileReading = probe.LastError();
  };
  SpeedButton11Click(*app_);
  EXPECT_EQ(ui_.nowCalls, 1);
  EXPECT_EQ(openErrorWhileReading, 0);
  EXPECT_EQ(phone().transcript(), std::vector<std::string>{"AT+CCLK=\"26/03/05,09:04:07\""});
  EXPECT_EQ(ui_.boxes, std::vector<Box>{c.box});
  EXPECT_TRUE(ui_.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Replies, ClockSync,
                         ::testing::Values(ResultCase{"Accepted", true, {}, kSynchronised},
                                           ResultCase{
                                               "AcceptedWithoutEcho", false, {}, kSynchronised},
                                           ResultCase{"Refused", true, {"AT+CCLK"}, kFailed}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ClockSync, TheHandsetClockFollows) {
  startPhone();
  ui_.clock = {2024, 2, 29, 0, 0, 5};
  SpeedButton11Click(*app_);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0], kSynchronised);
  // The handset keeps the time as an offset to the host's clock: asking it back gives the
  // date that was set, give or take the seconds the test took.
  phone().clearTranscript();
  auto port = app_->OpenHandset(false);
  const std::string reply = port->RunAtCommand("AT+CCLK?");
  EXPECT_EQ(reply.rfind("\r\n+CCLK: \"24/02/29,00:00:", 0), 0u) << reply;
}

TEST_F(ClockSync, PortAndSettingsErrorsEscapeWithoutABox) {
  startPhone();
  writeSettings("/dev/quorvex-no-such-port");
  EXPECT_EQ(RaisedMessage([&] { SpeedButton11Click(*app_); }), Ru("Телефон не подключен."));
  std::filesystem::remove(path("portcfg.ini"));
  EXPECT_EQ(RaisedMessage([&] { SpeedButton11Click(*app_); }), "File not found");
  EXPECT_EQ(ui_.nowCalls, 1);  // the missing file stops it before the clock is read
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(phone().transcript().empty());
}

}  // namespace
}  // namespace quorvex
