// quorvex-cli's file exports end to end: datebook export-ics, sms export-csv and
// export-mbox run as programs against the simulated demo handset; what they write is read
// back, and a read that failed writes nothing. The window's "Файл" menu runs the same
// operations in this process and is held to the same files and messages.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/file_menu.h"
#include "backup/backup_file.h"
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

// The window's side of the seam, in this process: the save dialog answers `file`, and every
// box is kept as the CLI prints it.
class WindowUi : public UserInterface {
 public:
  explicit WindowUi(std::string file) : file_(std::move(file)) {}
  std::string shown;

  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons) override {
    const char* name = kind == MsgKind::Error         ? "error"
                       : kind == MsgKind::Information ? "information"
                                                      : "warning";
    shown += std::string("[") + name + "] " + Cp1251ToUtf8(text) + "\n";
    return MsgResult::Ok;
  }
  void showStandardError(const std::string& message) override {
    shown += "[error] " + Cp1251ToUtf8(message) + "\n";
  }
  std::optional<std::string> chooseOpenFile(const std::string&) override { return file_; }
  std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
    return file_;
  }
  void processEvents(bool) override {}
  void pause(int) override {}
  LocalTime now() override { return {2026, 12, 8, 10, 0, 0}; }
  void setBusyCursor(bool) override {}
  void openUrl(const std::string&) override {}

 private:
  std::string file_;
};

// What the window's user does for each export: read the section, then the menu item.
using WindowExport = std::function<void(AppState&, const std::string& archive)>;

const WindowExport kVCard = [](AppState& app, const std::string&) {
  phonebook::PhoneBookSection s;
  if (RunHandler(app.ui(), [&] { s.sbReadAllClick(app); }))
    RunHandler(app.ui(), [&] { ExportPhoneBookVCard(s, app, phonebook::VCardVersion::V30); });
};
const WindowExport kICal = [](AppState& app, const std::string&) {
  datebook::DateBookSection s;
  if (RunHandler(app.ui(), [&] { s.ShowSection(app); }))
    RunHandler(app.ui(), [&] { ExportDateBookICal(s, app); });
};
WindowExport Messages(int node, MessageFormat format) {
  return [node, format](AppState& app, const std::string& archive) {
    sms::SmsSection s;
    s.archivePath = archive;
    s.ShowSection();
    s.selectNode(node);
    if (RunHandler(app.ui(), [&] { s.tvSMSClick(app); }))
      RunHandler(app.ui(), [&] { ExportMessages(s, app, format); });
  };
}

// The calendar without its DTSTAMP lines, which carry the time of the export.
std::string Unstamped(const std::string& ics) {
  std::string out;
  for (std::size_t at = 0; at < ics.size();) {
    std::size_t end = ics.find('\n', at);
    end = end == std::string::npos ? ics.size() : end + 1;
    if (ics.compare(at, 8, "DTSTAMP:") != 0) out += ics.substr(at, end - at);
    at = end;
  }
  return out;
}

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

struct BothCase {
  const char* name;
  std::vector<std::string> cli;  // FILE is "out"
  WindowExport window;
};

// Read and exported by the CLI and by the window, the same handset gives the same file.
TEST_F(CliExport, TheWindowWritesTheFilesTheCliWrites) {
  startPhone();
  const BothCase table[] = {
      {"vcard", {"phonebook", "export-vcard", "out"}, kVCard},
      {"ics", {"datebook", "export-ics", "out"}, kICal},
      {"csv", {"sms", "export-csv", "sent", "out"}, Messages(sms::kSent, MessageFormat::Csv)},
      {"mbox",
       {"sms", "export-mbox", "inbox", "out"},
       Messages(sms::kIncoming, MessageFormat::Mbox)},
  };
  for (const BothCase& c : table) {
    SCOPED_TRACE(c.name);
    const Result r = run(c.cli);
    ASSERT_EQ(r.status, 0) << r.err;
    WindowUi ui((dir_ / "window").string());
    AppState app(ui, (dir_ / "portcfg.ini").string());
    app.LoadPortSettings();  // as the window's start-up does
    c.window(app, (dir_ / "sms_archive.txt").string());
    ASSERT_EQ(ui.shown.rfind("[information] ", 0), 0u) << ui.shown;
    EXPECT_EQ(Unstamped(slurp("window")), Unstamped(slurp("out")));
    EXPECT_NE(slurp("out"), "");
  }
}

// Where an export refuses, the window and the CLI say the same and write nothing.
TEST_F(CliExport, TheWindowRefusesAsTheCliDoes) {
  struct Case {
    BothCase run;
    const sim::HandsetState* state;
    std::vector<std::string> errorOn;
    const char* says;  // UTF-8, the last line of both
  };
  const sim::HandsetState demo = sim::DemoState(), empty = sim::EmptyState();
  const char* const nothing = "[information] Список пуст, сохранять нечего !\n";
  const Case table[] = {
      {{"stopped date book", {"datebook", "export-ics", "out"}, kICal},
       &demo,
       {"AT+MDBR=?"},
       "[error] Nothing exported: the date book read did not complete\n"},
      {{"stopped folder",
        {"sms", "export-csv", "sent", "out"},
        Messages(sms::kSent, MessageFormat::Csv)},
       &demo,
       {"AT+MMGL"},
       "[error] Nothing exported: the folder read did not complete\n"},
      {{"empty book", {"phonebook", "export-vcard", "out"}, kVCard}, &empty, {}, nothing},
      {{"empty date book", {"datebook", "export-ics", "out"}, kICal}, &empty, {}, nothing},
      {{"empty folder",
        {"sms", "export-mbox", "inbox", "out"},
        Messages(sms::kIncoming, MessageFormat::Mbox)},
       &empty,
       {},
       nothing},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.run.name);
    sim::SimOptions o;
    o.errorOn = c.errorOn;
    startPhone(o, *c.state);
    const Result r = run(c.run.cli);
    WindowUi ui((dir_ / "window").string());
    AppState app(ui, (dir_ / "portcfg.ini").string());
    app.LoadPortSettings();  // as the window's start-up does
    c.run.window(app, (dir_ / "sms_archive.txt").string());
    EXPECT_EQ(ui.shown, r.err);
    EXPECT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), std::strlen(c.says))), c.says);
    EXPECT_EQ(r.status, c.errorOn.empty() ? 0 : 1);
    EXPECT_FALSE(fs::exists(dir_ / "out"));
    EXPECT_FALSE(fs::exists(dir_ / "window"));
    phone_.reset();
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

TEST_F(CliExport, BackupWritesTheWholeHandsetOrNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> errorOn;
    int status;
    std::string out, err;
  } const table[] = {
      {"whole",
       {},
       0,
       "Справочник: 13 (телефон 10, SIM 3)\nЕжедневник: 6\nВходящие: 4\nИсходящие: 1\n"
       "Отправленные: 2\nЧерновики: 2\n",
       ""},
      {"no_date_book",
       {"AT+MDBL=1"},
       1,
       "",
       "[error] Нет доступа у ежедневнику. Резервная копия не записана: не прочитан "
       "ежедневник.\n"},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.name);
    sim::SimOptions o;
    o.errorOn = c.errorOn;
    startPhone(o);
    const Result r = run({"backup", "phone.zip"});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(fs::exists(dir_ / "phone.zip"), c.status == 0);
    if (c.status == 0) {
      const PhoneBackup b = ReadBackupFile((dir_ / "phone.zip").string());
      EXPECT_EQ(b.model, "C350");
      EXPECT_EQ(b.records.size(), 28u);
    }
    fs::remove(dir_ / "phone.zip");
    phone_.reset();
  }
}

TEST_F(CliExport, UsageErrorsAskNothing) {
  startPhone();
  for (const std::vector<std::string>& args : {
           std::vector<std::string>{"datebook", "export-ics"},
           std::vector<std::string>{"datebook", "export-ics", "a", "b"},
           std::vector<std::string>{"datebook", "export-ics", "a", "--title", "x"},
           std::vector<std::string>{"datebook", "import-ics"},
           std::vector<std::string>{"datebook", "import-ics", "a", "b"},
           std::vector<std::string>{"datebook", "import-ics", "a", "--repeat", "0"},
           std::vector<std::string>{"sms", "export-csv", "inbox"},
           std::vector<std::string>{"sms", "export-mbox", "nowhere", "f"},
           std::vector<std::string>{"sms", "export-csv", "inbox", "f", "--select", "1"},
           std::vector<std::string>{"backup"},
           std::vector<std::string>{"backup", "a", "b"},
       }) {
    const Result r = run(args);
    EXPECT_EQ(r.status, 2) << args.back() << r.err;
  }
  EXPECT_TRUE(phone_->transcript().empty());
}

// The import: the preview on stdout, the question on stderr, and with --yes the writes between
// the date book's lock and unlock, then a new read.
TEST_F(CliExport, IcsImportPrintsThePreviewAsksAndWrites) {
  startPhone();
  write("in.ics",
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n"
        "BEGIN:VEVENT\r\nDTSTART:20261210T100000\r\nSUMMARY:Совещание\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART:20261220T083000\r\nDURATION:PT1H\r\nSUMMARY:Врач\r\n"
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT30M\r\nEND:VALARM\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART:20261221T090000\r\nRRULE:FREQ=DAILY;COUNT=5\r\n"
        "SUMMARY:Курс\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  const std::string lost =
      "Повтор «FREQ=DAILY;COUNT=5» телефон не хранит: число повторений 5, телефон повторяет без "
      "конца";
  const std::string onHandset =
      "\tСовещание\t10:00\t12-10-2026\t0\tнет\tнет\tПропущено: уже есть в телефоне под "
      "номером 0\n";
  const std::string doctor =
      "4\tВрач\t08:30\t12-20-2026\t60\tнет\tза 30 мин\tБудет записано под номером 4\n";

  const Result asked = run({"datebook", "import-ics", "in.ics"});
  EXPECT_EQ(asked.status, 0) << asked.err;
  EXPECT_EQ(asked.out, onHandset + doctor +
                           "\tКурс\t09:00\t12-21-2026\t0\tнет\tнет\tНе "
                           "импортируется: " +
                           lost + "\n");
  EXPECT_EQ(asked.err,
            "[question] Будет записано: 1; уже в телефоне: 1; повторов в файле: 0; не помещается: "
            "0; с повтором, которого телефон не хранит: 1; пропущено: 0; с изменениями: 0.\n"
            "Записать эти события в телефон? -> No\n");

  phone_->clearTranscript();
  const Result r = run({"--yes", "datebook", "import-ics", "--without-repeat", "in.ics"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, onHandset + doctor +
                       "6\tКурс\t09:00\t12-21-2026\t0\tнет\tнет\tБудет "
                       "записано под номером 6; Без повтора. " +
                       lost + "\n");
  EXPECT_NE(r.err.find("-> Yes\n[information] Записано в ежедневник: 2 из 2.\n"), std::string::npos)
      << r.err;
  const std::vector<std::string> t = phone_->transcript();
  const auto first = std::find(t.begin(), t.end(), "AT+MDBL=0") + 2;  // after the read
  ASSERT_LT(first + 5, t.end());
  EXPECT_EQ(std::vector<std::string>(first, first + 5),
            (std::vector<std::string>{
                "AT+CSCS=UCS2", "AT+MDBL=1",
                "AT+MDBW=4,0412044004300447,1,1,\"08:30\",\"12-20-2026\",60,\"08:00\","
                "\"12-20-2026\",0",
                "AT+MDBW=6,041A044304400441,1,0,\"09:00\",\"12-21-2026\",0,\"00:00\","
                "\"00-00-2000\",0",
                "AT+MDBL=0"}));
  EXPECT_EQ(phone_->state().events.size(), sim::DemoState().events.size() + 2);
}

}  // namespace
}  // namespace quorvex
