// The terminal's command list and its exchange with the simulated handset.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <set>

#include "codec/ru.h"
#include "info/terminal.h"
#include "info_fixture.h"
#include "serial/unsolicited.h"

namespace quorvex {
namespace {

using testing::AppStateTest;
using testing::RaisedMessage;

TEST(TerminalCommands, TheTableAsUsersKnowIt) {
  const auto& table = TerminalCommands();
  struct {
    std::size_t row;  // 1-based, as the list is counted
    const char* command;
    const char* description;
  } rows[] = {
      {1, "AT", "AT"},
      {2, "AT+CGMI", "AT+CGMI: Query phone manufacturer."},
      // Rows 9 and 10 carry each other's descriptions, row 38 lacks its AT.
      {9, "AT+CPBS=\"ME\"", "AT+CPBR=?: Read Phonebook Entries test command"},
      {10, "AT+CPBR=?", "AT+CPBS=\"ME\""},
      {13, "AT+CBC", "AT+CBC: battery charge level "},
      {19, "AT+CSCS=GSM", "AT+CSCS=GSM: "},
      {36, "AT+CMOD=", "AT+CMOD= : Call mode +CMOD"},
      {38, "+CMOD?", "AT+CMOD?: current call mode"},
      {40, "AT+CBST?", "AT+CBST?: Query the bearer service type."},
  };
  for (const auto& r : rows) {
    EXPECT_STREQ(table[r.row - 1].command, r.command) << r.row;
    EXPECT_STREQ(table[r.row - 1].description, r.description) << r.row;
  }
  std::set<std::string> distinct;
  for (const auto& row : table) distinct.insert(row.command);
  EXPECT_EQ(distinct.size(), 40u);
  const std::string bearer = table[38].description;
  EXPECT_EQ(bearer.rfind("AT+CBST=x,0,y : The following commands", 0), 0u);
  EXPECT_NE(bearer.find("71 9600 bps V.110. y takes the following values:"), std::string::npos);
  const std::string ending =
      "y takes the following values: 0 Transparent connection (default). 1 "
      "Non-transparent connection (uses RLP).";
  ASSERT_GT(bearer.size(), ending.size());
  EXPECT_EQ(bearer.substr(bearer.size() - ending.size()), ending);
}

TEST(TerminalList, FillingSelectsTheFirstRowAndLeavesTheDescriptionEmpty) {
  Terminal t;
  t.FillCommandList();
  ASSERT_EQ(t.cbCommandItems.size(), 40u);
  EXPECT_EQ(t.cbCommandItems[37], "+CMOD?");
  EXPECT_EQ(t.cbCommandItemIndex, 0);
  EXPECT_EQ(t.cbCommandText, "AT");
  EXPECT_EQ(t.mmDescriptionCommand, "");
  t.FillCommandList();  // start-up runs once, but filling again must not double the list
  EXPECT_EQ(t.cbCommandItems.size(), 40u);
}

TEST(TerminalList, PickingARowShowsItsDescription) {
  Terminal t;
  t.FillCommandList();
  t.cbCommandClick(12);
  EXPECT_EQ(t.cbCommandText, "AT+CBC");
  EXPECT_EQ(t.mmDescriptionCommand, "AT+CBC: battery charge level ");
  // A typed command keeps the description that was shown.
  t.cbCommandChange("AT+FOO");
  EXPECT_EQ(t.cbCommandText, "AT+FOO");
  EXPECT_EQ(t.mmDescriptionCommand, "AT+CBC: battery charge level ");
  for (int outside : {-1, 40, 1000}) {
    t.cbCommandClick(outside);
    EXPECT_EQ(t.cbCommandItemIndex, 12);
    EXPECT_EQ(t.mmDescriptionCommand, "AT+CBC: battery charge level ");
  }
  t.sbClearClick();
  EXPECT_EQ(t.mmTerminal, "");
  EXPECT_EQ(t.cbCommandText, "AT+FOO");
}

class TerminalSend : public AppStateTest {
 protected:
  Terminal terminal;
};

TEST_F(TerminalSend, RepliesAreAppendedToTheLog) {
  startPhone();
  terminal.FillCommandList();
  EXPECT_EQ(terminal.btnSendCommandClick(*app_), "\r\nOK\r\n");
  terminal.cbCommandClick(13);  // AT+CSQ
  terminal.btnSendCommandClick(*app_);
  terminal.cbCommandChange("AT+NOSUCH");
  terminal.btnSendCommandClick(*app_);
  EXPECT_EQ(terminal.mmTerminal, "\r\n\r\nOK\r\n\r\n+CSQ: 17,99\r\n\r\nOK\r\n\r\nERROR\r\n");
  EXPECT_EQ(phone().transcript(), (std::vector<std::string>{"AT", "AT+CSQ", "AT+NOSUCH"}));
}

// The log shows what the handset sent, codes too, to exactly what the user typed: a refused
// book command is no reason to switch the handset's mode here.
TEST_F(TerminalSend, ShowsUnsolicitedCodesAndSendsOnlyWhatWasTyped) {
  sim::SimOptions o;
  o.needsMode2 = true;
  o.unsolicitedOneIn = 1;
  o.unsolicitedBetweenLines = o.unsolicitedAfterResult = false;
  startPhone(o);
  terminal.cbCommandChange("AT+MPBR=?");
  const std::string reply = terminal.btnSendCommandClick(*app_);
  ASSERT_GT(reply.size(), 11u);
  EXPECT_EQ(reply.substr(reply.size() - 9), "\r\nERROR\r\n") << reply;
  const std::string code = reply.substr(2, reply.find("\r\n", 2) - 2);
  EXPECT_EQ(reply.rfind("\r\n" + code + "\r\n", 0), 0u) << reply;
  EXPECT_NE(FindUnsolicited(code, "+MPBR"), nullptr) << reply;
  EXPECT_EQ(terminal.mmTerminal, "\r\n" + reply);
  EXPECT_EQ(phone().transcript(), std::vector<std::string>{"AT+MPBR=?"});
}

TEST_F(TerminalSend, TimeOutAppendsNothingAndIgnoresTheLongTimeOut) {
  sim::SimOptions o;
  o.silentAfter = 0;
  startPhone(o);
  writeSettings(phone().slavePath(), 115200, 9000);
  const std::uint32_t start = DefaultPortClock().now();
  EXPECT_EQ(RaisedMessage([&] { terminal.btnSendCommandClick(*app_); }),
            Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута..."));
  const std::uint32_t took = TickDiff(start, DefaultPortClock().now());
  EXPECT_GE(took, 1000u);
  EXPECT_LT(took, 3000u);
  EXPECT_EQ(terminal.mmTerminal, "\r\n");
}

TEST_F(TerminalSend, SettingsAreReloadedBeforeEverySend) {
  startPhone();
  app_->LoadPortSettings();
  writeSettings("/dev/quorvex-no-such-port");
  EXPECT_EQ(RaisedMessage([&] { terminal.btnSendCommandClick(*app_); }),
            Ru("Телефон не подключен."));
  EXPECT_EQ(terminal.mmTerminal, "\r\n");
  EXPECT_TRUE(phone().transcript().empty());
}

}  // namespace
}  // namespace quorvex
