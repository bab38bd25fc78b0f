// quorvex-cli sms end to end: the real program in a scratch working directory against the
// simulated handset hosted by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli_fixture.h"
#include "codec/ru.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using Transcript = std::vector<std::string>;

using clitest::Concat;
using clitest::Result;

sim::HandsetState Handset() {
  sim::HandsetState s = sim::EmptyState();
  s.phoneSize = 20;
  s.simSize = 5;
  sim::PhoneEntry ivan;
  ivan.number = "+79161234501";
  ivan.format = 145;
  ivan.name = Ru("Иван");
  s.entries[1] = ivan;
  sim::PhoneEntry taxi;
  taxi.number = "5555";
  taxi.name = "Taxi";
  s.entries[21] = taxi;
  auto add = [&](int i, sim::MessageStore store, sim::MessageStatus status, const char* number,
                 const char* when, std::string text) {
    sim::Message m;
    m.store = store;
    m.status = status;
    m.number = number;
    m.timestamp = when;
    m.text = std::move(text);
    s.messages[i] = m;
  };
  add(1, sim::MessageStore::Incoming, sim::MessageStatus::RecUnread, "+791", "26/01/01,10:00:00+04",
      Ru("Привет; как дела"));
  add(2, sim::MessageStore::Incoming, sim::MessageStatus::RecRead, "+792", "26/01/02,10:00:00+04",
      "second");
  add(5, sim::MessageStore::Outgoing, sim::MessageStatus::StoUnsent, "+795", "", "to send");
  return s;
}

class CliSms : public clitest::CliFixture {
 protected:
  CliSms() : CliFixture("qv-cli-sms") {}

  void SetUp() override {
    CliFixture::SetUp();
    const sim::HandsetState state = Handset();
    hostPhone({}, &state, 3000);
  }
};

TEST_F(CliSms, ReadPrintsTheListThenTheCaptionAndKeepsTheArchive) {
  const Result r = run({"sms", "read", "inbox"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "1\t+791\t26/01/01,10:00:00+04\tвходящее\t16\tне прочитано\tПривет; как дела\n"
            "2\t+792\t26/01/02,10:00:00+04\tвходящее\t6\tпрочитано\tsecond\n"
            "Входящие (2)\n");
  EXPECT_EQ(slurp("sms_archive.txt"), Ru("+791;26/01/01,10:00:00+04;Привет; как дела\r\n"
                                         "+792;26/01/02,10:00:00+04;second\r\n"));
  const Result archive = run({"sms", "read", "archive"});
  EXPECT_EQ(archive.out,
            "\t+791\t26/01/01,10:00:00+04\tархив\t16\tсохранено\tПривет; как дела\n"
            "\t+792\t26/01/02,10:00:00+04\tархив\t6\tсохранено\tsecond\n"
            "Архив (2)\n");
}

// "sms new" reads the phone book the way "Читать все" does, before the dialog.
Transcript PhoneBookRead() {
  return {"AT+CGMM",    "AT +CPBS=ME", "AT+MPBR=?",  "AT +CPBS=SM",  "AT+MPBR=?",
          "AT+CPBS=MT", "AT+MPBR=?",   "AT+CPBS=MT", "AT+CSCS=UCS2", "AT +MPGR=?",
          "AT +MPGR=1", "AT +MPGR=2",  "AT +MPGR=3", "AT +MPGR=4",   "AT+MPBR=1,25"};
}

TEST_F(CliSms, NewStoresAndSendsWithTheDialogFilledIn) {
  const Result r =
      run({"sms", "new", "--to", "+7000", "--text", "Мир", "--language", "1", "--action", "1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "[information] Сообщение отправлено и записано в \"Иходящие\".\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(phone_->transcript(), Concat(PhoneBookRead(), {"AT+CSCS=UCS2", "AT+CMGW=\"+7000\"",
                                                           "041C04380440", "AT+CMSS=3"}));
  const auto stored = phone_->state().messages.at(3);
  EXPECT_EQ(stored.text, Ru("Мир"));
  EXPECT_EQ(stored.status, sim::MessageStatus::StoSent);
}

// A name of the phone book typed as the recipient goes to its number; anything else is the
// number itself.
TEST_F(CliSms, NewSendsToTheNumberOfAPhoneBookName) {
  struct Case {
    const char* to;
    const char* store;
  } const cases[] = {
      {"Иван", "AT+CMGW=\"+79161234501\""},
      {"Taxi", "AT+CMGW=\"5555\""},
      {"иван", "AT+CMGW=\"\xE8\xE2\xE0\xED\""},
      {"+7000", "AT+CMGW=\"+7000\""},
  };
  for (const Case& c : cases) {
    phone_->clearTranscript();
    const Result r = run({"sms", "new", "--to", c.to, "--text", "Hi"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "[information] Сообщение записано в \"Иходящие\".\n") << c.to;
    EXPECT_EQ(phone_->transcript(), Concat(PhoneBookRead(), {"AT+CSCS=UCS2", c.store, "00480069"}))
        << c.to;
  }
}

TEST_F(CliSms, RefusedDialogIsCancelledWithoutWriting) {
  const Result r = run({"sms", "new", "--to", "+7000"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "[information] Сообщение пустое...\n");
  EXPECT_EQ(phone_->transcript(), Concat(PhoneBookRead(), {"AT+CSCS=UCS2"}));
}

// Without the phone book nothing is written: the run ends in the standard error box.
TEST_F(CliSms, NewStopsWhenThePhoneBookCannotBeRead) {
  writeSettings("/dev/quorvex-no-such-port");
  const Result r = run({"sms", "new", "--to", "Иван", "--text", "Hi"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("[error] ", 0), 0u) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_TRUE(phone_->transcript().empty());
}

TEST_F(CliSms, DeleteAllTakesTheRunsAnswer) {
  Result r = run({"sms", "delete-all", "inbox"});
  EXPECT_EQ(r.err, "[question] Delete all messages?! -> No\n");
  EXPECT_EQ(phone_->state().messages.size(), 3u);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
  r = run({"--yes", "sms", "delete-all", "inbox"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(phone_->state().messages.size(), 1u);
}

TEST_F(CliSms, SelectedRowsAreDeletedMarkedSentAndExported) {
  Result r = run({"sms", "mark-read", "inbox", "--select", "1"});
  EXPECT_NE(r.out.find("1\t+791\t26/01/01,10:00:00+04\tвходящее\t16\tпрочитано\t"),
            std::string::npos)
      << r.out;
  r = run({"sms", "export", "inbox", "out.txt", "--select", "2,1"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string exported = slurp("out.txt");
  EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 26);
  EXPECT_EQ(exported.find("+791"), Ru("Номер:\r\n").size());
  r = run({"sms", "send", "outbox", "--select", "5"});
  EXPECT_EQ(r.err, "[information] Сообщение отправлено...\n");
  r = run({"sms", "delete", "inbox", "--select", "2"});
  EXPECT_EQ(r.out.find("2\t"), std::string::npos);
  EXPECT_EQ(phone_->state().messages.count(2), 0u);
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
};

class CliSmsUsage : public CliSms, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CliSmsUsage, IsRefusedBeforeTheHandsetIsAsked) {
  const Result r = run(GetParam().args);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_TRUE(phone_->transcript().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Args, CliSmsUsage,
    ::testing::Values(UsageCase{"NoVerb", {"sms"}},
                      UsageCase{"UnknownFolder", {"sms", "read", "x"}},
                      UsageCase{"NoSelect", {"sms", "delete", "inbox"}},
                      UsageCase{"NoFile", {"sms", "export", "inbox", "--select", "1"}},
                      UsageCase{"BadAction", {"sms", "new", "--action", "3"}},
                      UsageCase{"UnknownOption", {"sms", "read", "inbox", "--select", "1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliSms, MissingPortEndsInTheStandardErrorBox) {
  SavePortSettings({(dir_ / "nothing").string(), 115200, 3000}, (dir_ / "portcfg.ini").string());
  const Result r = run({"sms", "read", "inbox"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[error] Телефон не подключен.\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace quorvex
