// quorvex-cli datebook end to end: the real program in a scratch working directory against
// the simulated handset hosted by the test.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_fixture.h"
#include "codec/ru.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

using clitest::Concat;
using clitest::Result;

sim::DateEvent Event(const std::string& title, const std::string& start, const std::string& date,
                     int repeat) {
  sim::DateEvent ev;
  ev.title = title;
  ev.startTime = start;
  ev.startDate = date;
  ev.duration = 30;
  ev.repeat = repeat;
  return ev;
}

class CliDateBookTest : public clitest::CliFixture {
 protected:
  // A fixed numeric locale, so the free share has a known separator.
  CliDateBookTest() : CliFixture("qv-cli-db", clitest::ChildEnv::CLocale) {}

  // A handset with events at 0, 3 and 7 of the indices 0..7.
  sim::PhoneSim& startPhone(sim::SimOptions o = {}) {
    sim::HandsetState st = sim::EmptyState();
    st.dateBookHighest = 7;
    st.events[0] = Event(Ru("Встреча"), "10:30", "07-12-2026", 0);
    st.events[3] = Event("Gym", "18:00", "07-13-2026", 2);
    st.events[7] = Event("Last", "08:00", "12-31-2026", 5);
    return hostPhone(o, &st, 1000);
  }

  sim::PhoneSim& phone() { return *phone_; }
};

Strings ReadCommands(int highest) {
  Strings s = {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBR=?"};
  for (int i = 0; i <= highest; ++i) s.push_back("AT+MDBR=" + std::to_string(i));
  s.push_back("AT+MDBL=0");
  s.push_back("AT+MDBL=0");
  return s;
}

const char* const kListed =
    "0\tВстреча\t10:30\t00:00\t07-12-2026\t30\tнет\tвыкл.\n"
    "3\tGym\t18:00\t00:00\t07-13-2026\t30\tеженедельно\tвыкл.\n"
    "7\tLast\t08:00\t00:00\t12-31-2026\t30\tежегодно\tвыкл.\n";

TEST_F(CliDateBookTest, ReadPrintsTheListAndTheFreeShare) {
  startPhone();
  const Result r = run({"datebook", "read"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, std::string(kListed) + "Свободно: 62.5%\n");
  EXPECT_EQ(phone().transcript(), ReadCommands(7));
}

TEST_F(CliDateBookTest, AddWritesAtTheFirstFreeIndexWithTheAlarmOnThePreviousDay) {
  startPhone();
  const Result r =
      run({"datebook", "add", "--title", "Ночь", "--date", "2026-03-01", "--time", "00:40",
           "--alarm", "on", "--lead", "50", "--duration", "15", "--repeat", "ежедневно"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string write =
      "AT+MDBW=1,041D043E0447044C,1,1,\"00:40\",\"03-01-2026\",15,\"23:50\",\"02-28-2026\",1";
  EXPECT_EQ(phone().transcript(),
            Concat(Concat(ReadCommands(7), {"AT+CSCS=UCS2", "AT+MDBL=1", write, "AT+MDBL=0"}),
                   ReadCommands(7)));
  EXPECT_NE(r.out.find("1\tНочь\t00:40\t23:50\t03-01-2026\t15\tежедневно\tвкл.\n"),
            std::string::npos)
      << r.out;
}

TEST_F(CliDateBookTest, RefusedDialogIsCancelledAndWritesNothing) {
  startPhone();
  const Result r = run({"datebook", "add", "--title", ""});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "[warning] Введите заголовок события!\n");
  EXPECT_EQ(phone().transcript(), ReadCommands(7));
  EXPECT_EQ(r.out, kListed);
}

TEST_F(CliDateBookTest, EditKeepsTheIndex) {
  startPhone();
  const Result r = run({"datebook", "edit", "3", "--title", "Swim", "--repeat", "0"});
  EXPECT_EQ(r.status, 0) << r.err;
  const Strings t = phone().transcript();
  ASSERT_GT(t.size(), 15u);
  EXPECT_EQ(t[15],
            "AT+MDBW=3,005300770069006D,1,0,\"18:00\",\"07-13-2026\",30,\"00:00\","
            "\"00-00-2000\",0");
  EXPECT_NE(r.out.find("3\tSwim\t18:00\t00:00\t07-13-2026\t30\tнет\tвыкл.\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(phone().state().events.size(), 3u);
}

TEST_F(CliDateBookTest, DeleteSendsTheSelectedRows) {
  startPhone();
  const Result r = run({"datebook", "delete", "--select", "7,0"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(phone().transcript(), Concat(Concat(ReadCommands(7), {"AT+MDBL=1", "AT+MDBWE=0,0,0",
                                                                  "AT+MDBWE=7,0,0", "AT+MDBL=0"}),
                                         ReadCommands(7)));
  EXPECT_EQ(r.out, "3\tGym\t18:00\t00:00\t07-13-2026\t30\tеженедельно\tвыкл.\n");
}

TEST_F(CliDateBookTest, DeleteOfNoKnownRowShowsTheBox) {
  startPhone();
  const Result r = run({"datebook", "delete", "--select", "5"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "[error] Нет выбранной записи...\n");
  EXPECT_EQ(phone().transcript(), ReadCommands(7));
}

TEST_F(CliDateBookTest, AutoDeleteSendsTheWeeksAlone) {
  startPhone();
  Result r = run({"datebook", "autodelete", "4"});
  EXPECT_EQ(r.status, 0) << r.err;
  r = run({"datebook", "autodelete", "0"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(phone().transcript(), (Strings{"AT+MDBAD=4", "AT+MDBAD=0"}));
  EXPECT_EQ(phone().state().autoDeleteWeeks, 0);
}

TEST_F(CliDateBookTest, UsageErrorsSendNothing) {
  startPhone();
  const std::vector<Strings> cases = {
      {"datebook"},
      {"datebook", "autodelete", "3"},
      {"datebook", "autodelete"},
      {"datebook", "read", "x"},
      {"datebook", "add", "--date", "2026-02-30"},
      {"datebook", "add", "--time", "24:00"},
      {"datebook", "add", "--alarm", "maybe"},
      {"datebook", "add", "--repeat", "6"},
      {"datebook", "add", "--lead", "ten"},
      {"datebook", "add", "--colour", "red"},
      {"datebook", "edit", "--title", "x"},
      {"datebook", "delete"},
      {"datebook", "purge"},
  };
  for (const Strings& args : cases) {
    const Result r = run(args);
    EXPECT_EQ(r.status, 2) << args.back() << ": " << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(phone().transcript().empty());
}

TEST_F(CliDateBookTest, LinkErrorIsTheStandardErrorBox) {
  SavePortSettings({(dir_ / "no-such-port").string(), 115200, 300},
                   (dir_ / "portcfg.ini").string());
  const Result r = run({"datebook", "read"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[error] Телефон не подключен.\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace quorvex
