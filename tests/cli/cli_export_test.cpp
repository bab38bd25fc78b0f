// quorvex-cli's file exports end to end: datebook export-ics, sms export-csv and
// export-mbox run as programs against the simulated demo handset; what they write is read
// back, and a read that failed writes nothing.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <filesystem>
#include <fstream>

#include "cli_fixture.h"
#include "codec/cp1251.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

using clitest::Result;

class CliExport : public clitest::CliFixture {
 protected:
  CliExport() : CliFixture("qv-cli-export", clitest::ChildEnv::CLocale) {}

  void startPhone(sim::SimOptions o = {}, const sim::HandsetState& state = sim::DemoState()) {
    hostPhone(o, &state, 1000);
  }
};

std::vector<std::string> Summaries(const std::string& ics) {
  std::vector<std::string> v;
  icalcomponent* c = icalcomponent_new_from_string(ics.c_str());
  EXPECT_NE(c, nullptr) << ics;
  if (!c) return v;
  for (icalcomponent* e = icalcomponent_get_first_component(c, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(c, ICAL_VEVENT_COMPONENT))
    v.push_back(icalcomponent_get_summary(e));
  icalcomponent_free(c);
  return v;
}

std::size_t Count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST_F(CliExport, DateBookToIcsReadsOnceAndWritesEveryEvent) {
  startPhone();
  const Result listed = run({"datebook", "read"});
  phone_->clearTranscript();
  const Result r = run({"datebook", "export-ics", "ежедневник.ics"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The list as the read prints it, without the free share line.
  EXPECT_EQ(r.out + listed.out.substr(listed.out.rfind("Свободно")), listed.out);
  // The read's commands and nothing else.
  std::vector<std::string> expected = {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBR=?"};
  for (int i = 0; i <= 99; ++i) expected.push_back("AT+MDBR=" + std::to_string(i));
  expected.insert(expected.end(), {"AT+MDBL=0", "AT+MDBL=0"});
  EXPECT_EQ(phone_->transcript(), expected);

  ASSERT_TRUE(fs::exists(dir_ / "ежедневник.ics")) << "the file name is taken as typed (UTF-8)";
  std::vector<std::string> want;
  for (const auto& [index, ev] : sim::DemoState().events) want.push_back(Cp1251ToUtf8(ev.title));
  EXPECT_EQ(Summaries(slurp("ежедневник.ics")), want);
}

TEST_F(CliExport, SmsFoldersToCsvAndMbox) {
  startPhone();
  struct Case {
    const char* verb;
    const char* folder;
    std::size_t messages;
    const char* caption;  // the folder column / header
  } const table[] = {
      {"export-csv", "inbox", 4, "Входящие"},    {"export-csv", "sent", 2, "Отправленные"},
      {"export-csv", "drafts", 2, "Черновики"},  {"export-mbox", "inbox", 4, "Входящие"},
      {"export-mbox", "outbox", 1, "Исходящие"}, {"export-mbox", "archive", 4, "Архив"},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(std::string(c.verb) + " " + c.folder);
    const Result r = run({"sms", c.verb, c.folder, "out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Count(r.out, "\n"), c.messages) << "the list is printed";
    const std::string file = slurp("out");
    if (std::string(c.verb) == "export-csv") {
      EXPECT_EQ(file.rfind("\xEF\xBB\xBF\"Папка\"", 0), 0u);
      EXPECT_EQ(Count(file, "\r\n\"" + std::string(c.caption) + "\","), c.messages);
    } else {
      EXPECT_EQ(file.rfind("From ", 0), 0u);
      EXPECT_EQ(Count(file, "\nContent-Type: text/plain; charset=UTF-8\n"), c.messages);
      EXPECT_EQ(Count(file, "\r"), 0u);
    }
  }
}

TEST_F(CliExport, EventsWithoutAStartAreNamedInAWarning) {
  sim::HandsetState st = sim::DemoState();
  st.events[8].title = "bad";
  st.events[8].startDate = "02-30-2027";
  st.events[9].title = "bad too";
  st.events[9].startTime = "25:00";
  startPhone({}, st);
  const Result r = run({"datebook", "export-ics", "book.ics"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err,
            "[warning] Не выгружены события без верной даты, времени начала или длительности: "
            "8, 9\n");
  EXPECT_EQ(Summaries(slurp("book.ics")).size(), sim::DemoState().events.size());
}

// A failed read writes nothing and keeps what FILE held: the run ends with status 1.
TEST_F(CliExport, AFailedReadWritesNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> errorOn;
    std::vector<std::string> args;
    const char* box;  // the read's own message, before the refusal
  } const table[] = {
      {"no_charset", {"AT+CSCS"}, {"datebook", "export-ics", "keep"}, ""},
      {"no_lock",
       {"AT+MDBL=1"},
       {"datebook", "export-ics", "keep"},
       "[error] Нет доступа у ежедневнику.\n"},
      {"no_count",
       {"AT+MDBR=?"},
       {"datebook", "export-ics", "keep"},
       "[error] Невозможно прочитать содержимое ежедневника.\n"},
      {"no_storage",
       {"AT+CPMS"},
       {"sms", "export-csv", "inbox", "keep"},
       "[error] Проблемы с подключением. 2\n"},
      {"no_listing",
       {"AT+MMGL"},
       {"sms", "export-mbox", "sent", "keep"},
       "[error] Проблемы с подключением. 3\n"},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.name);
    sim::SimOptions o;
    o.errorOn = c.errorOn;
    startPhone(o);
    std::ofstream(dir_ / "keep") << "earlier";
    const Result r = run(c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(0, std::string(c.box).size()), c.box) << r.err;
    EXPECT_NE(r.err.find("[error] Nothing exported: the "), std::string::npos) << r.err;
    EXPECT_EQ(slurp("keep"), "earlier");
    phone_.reset();
  }
}

TEST_F(CliExport, AFileThatCannotBeWrittenEndsInTheStandardErrorBox) {
  startPhone();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"datebook", "export-ics", "no/such/dir.ics"},
        std::vector<std::string>{"sms", "export-csv", "inbox", "no/such/dir.csv"},
        std::vector<std::string>{"sms", "export-mbox", "inbox", "no/such/dir.mbox"}}) {
    SCOPED_TRACE(args[1]);
    const Result r = run(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "[error] File not found\n");
    EXPECT_EQ(r.out, "");
  }
}

// The thirteen-line export takes its file name as typed too.
TEST_F(CliExport, SelectedExportWritesTheFileNameAsTyped) {
  startPhone();
  const Result r = run({"sms", "export", "inbox", "сообщения.txt", "--select", "1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir_ / "сообщения.txt"));
  EXPECT_EQ(Count(slurp("сообщения.txt"), "\r\n"), 13u);
}

TEST_F(CliExport, UsageErrorsAskNothing) {
  startPhone();
  for (const std::vector<std::string>& args : {
           std::vector<std::string>{"datebook", "export-ics"},
           std::vector<std::string>{"datebook", "export-ics", "a", "b"},
           std::vector<std::string>{"datebook", "export-ics", "a", "--title", "x"},
           std::vector<std::string>{"sms", "export-csv", "inbox"},
           std::vector<std::string>{"sms", "export-mbox", "nowhere", "f"},
           std::vector<std::string>{"sms", "export-csv", "inbox", "f", "--select", "1"},
       }) {
    const Result r = run(args);
    EXPECT_EQ(r.status, 2) << args.back() << r.err;
  }
  EXPECT_TRUE(phone_->transcript().empty());
}

}  // namespace
}  // namespace quorvex
