// Stopping every long operation in the middle, each way a user can: the window's stop button,
// Escape, and Ctrl+C (once, and twice) sent to a real quorvex-cli. Each cell asserts that
// nothing went on the wire after the exchange in progress (but the date book's unlock), that
// the rows read or written so far stay, that the port is free for the next opener, and that
// the window is idle again; the table of cells is printed at the end.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <thread>

#include "codec/cp1251.h"
#include "codec/ru.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/vcard_import.h"
#include "serial/block_serial.h"
#include "sim/handset_state.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

extern char** environ;

namespace quorvex::ui {
namespace {

constexpr int kEntries = 150;  // of 210 slots: seven chunks, 30 free in the phone's memory
constexpr int kEvents = 60;
constexpr int kMessages = 40;
constexpr int kCards = 20;

sim::HandsetState Handset() {
  sim::HandsetState s = sim::EmptyState();
  s.phoneSize = 180;
  s.simSize = 30;
  for (int i = 1; i <= kEntries; ++i) {
    sim::PhoneEntry e;
    e.number = "+7916" + std::to_string(1000000 + i);
    e.format = 145;
    e.name = "Name " + std::to_string(i);
    e.type = 3;
    s.entries[i] = e;
  }
  s.dateBookHighest = kEvents - 1;
  for (int i = 0; i < kEvents; ++i) {
    sim::DateEvent e;
    e.title = "Event " + std::to_string(i);
    e.startDate = "07-12-2026";
    s.events[i] = e;
  }
  s.messageSlots = kMessages + 10;
  for (int i = 1; i <= kMessages; ++i) {
    sim::Message m;
    m.store = sim::MessageStore::Incoming;
    m.status = sim::MessageStatus::RecRead;
    m.number = "+7903" + std::to_string(1000000 + i);
    m.timestamp = "26/01/1" + std::to_string(i % 10) + ",10:1" + std::to_string(i % 10) + ":00+12";
    m.text = "Message " + std::to_string(i);
    s.messages[i] = m;
  }
  return s;
}

std::string VCards() {
  std::string v;
  for (int i = 1; i <= kCards; ++i)
    v += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Card " + std::to_string(i) + "\r\nTEL:+7999" +
         std::to_string(1000000 + i) + "\r\nEND:VCARD\r\n";
  return v;
}

bool IsLoopCommand(const std::string& command, const std::string& prefix) {
  return command.rfind(prefix, 0) == 0 && command.size() > prefix.size() &&
         command[prefix.size()] >= '0' && command[prefix.size()] <= '9';
}

enum class How { Button, Escape, Interrupt, InterruptTwice };

const char* Name(How h) {
  switch (h) {
    case How::Button:
      return "button";
    case How::Escape:
      return "Escape";
    case How::Interrupt:
      return "Ctrl+C";
    case How::InterruptTwice:
      return "Ctrl+C x2";
  }
  return "";
}

class StopTest;

// One long operation: how the window and the CLI run it, which command its loop repeats,
// after how many of them it is stopped, and what it must keep.
struct Operation {
  const char* name;
  const char* list;
  std::string loop;  // the loop's command, before its numeric argument
  int stopAfter;     // loop commands sent when the stop comes
  std::function<void(StopTest&)> prepare;
  std::function<void(StopTest&)> act;
  std::vector<std::string> cli;
  int rowsKept;                      // rows of the list after the stop
  int cliLines;                      // lines the CLI prints after one Ctrl+C
  std::string stopped;               // the box that says how far it got (UTF-8)
  std::vector<std::string> cleanup;  // commands that may follow the stop
  int cliLinesEarly = 0;             // lines the CLI prints before the loop begins
};

struct Cell {
  std::string operation, how;
  int rows = -1;
  std::string last;
  std::string after;
  bool portFree = false;
  std::string idle;
};
std::vector<Cell>& Table() {
  static std::vector<Cell> cells;
  return cells;
}

class StopTest : public testing::WholeWindowTest {
 public:
  void SetUp() override {
    WholeWindowTest::SetUp();
    model_->messages.archivePath = path("sms_archive.txt");
    writeFile("cards.vcf", VCards());
  }

  void startHandset(std::function<void(const std::string&)> onCommand = {}) {
    phone_.reset();
    sim::SimOptions o;
    o.demoData = false;
    o.stateFile = path("handset.txt");
    o.onCommand = std::move(onCommand);
    sim::SaveStateFile(o.stateFile, Handset());
    phone_ = std::make_unique<sim::PhoneSim>(o);
    phone_->start();
    SavePortSettings({phone_->slavePath(), 115200, 3000}, path("portcfg.ini"));
  }

  int loopCommands(const std::string& prefix) const {
    int n = 0;
    for (const std::string& c : phone_->transcript()) n += IsLoopCommand(c, prefix);
    return n;
  }

  bool portFree() const {
    TBlockSerial port;
    port.RaiseOnError = false;
    port.OpenPort(phone_->slavePath());
    return port.LastError() == 0;
  }

  void readPhoneBook() {
    model_->click("sbReadAll");
    ASSERT_EQ(model_->ListView1.rows.size(), static_cast<std::size_t>(kEntries));
  }
  void readInbox() {
    model_->click("sbSMS");
    model_->tvSMSSelected = sms::kIncoming;
    model_->fire("tvSMSClick");
    ASSERT_EQ(model_->lvSMS.rows.size(), static_cast<std::size_t>(kMessages));
  }
  void writeBookFile() {
    const phonebook::PhoneBookSection& b = model_->phoneBook;
    writeFile("book.txt", phonebook::FormatPhoneBookFile(b.Records, b.PhoneFirst, b.SimFirst));
  }

  static std::vector<Operation> Operations();
  void runInWindow(const Operation& op, How how, Cell& cell);
  void runCli(const Operation& op, How how, Cell& cell);
};

std::vector<Operation> StopTest::Operations() {
  using S = StopTest;
  return {
      {"phone book read",
       "ListView1",
       "AT+MPBR=",
       2,
       [](S&) {},
       [](S& t) { t.model_->click("sbReadAll"); },
       {"phonebook", "read"},
       60,
       60,
       "Остановлено: прочитано 60 из 210.",
       {},
       0},
      {"write all",
       "ListView1",
       "AT+MPBW=",
       2,
       [](S& t) { t.readPhoneBook(); },
       [](S& t) {
         t.ui_.answers = {MsgResult::Yes};
         t.model_->fire("N10Click");
       },
       {"phonebook", "write-all"},
       kEntries,
       0,
       "Остановлено: записано 2 из 150.",
       {},
       0},
      {"load",
       "ListView1",
       "AT+MPBW=",
       3,
       [](S& t) {
         t.readPhoneBook();
         t.writeBookFile();
         t.ui_.files = {t.path("book.txt")};
       },
       [](S& t) { t.model_->fire("pmLoadRecordClick"); },
       {"phonebook", "load", "book.txt"},
       3,
       3,
       "Остановлено: записано 3 из 150.",
       {},
       0},
      {"vCard import",
       "ListView1",
       "AT+MPBW=",
       3,
       [](S& t) {
         t.readPhoneBook();
         t.ui_.files = {t.path("cards.vcf")};
         t.ui_.scriptDialog = [](ModalDialog& d) {
           if (auto* import = dynamic_cast<phonebook::TfrmImportVCard*>(&d))
             import->btnWriteClick();
         };
       },
       [](S& t) { t.model_->fire("mnuVCardImportClick"); },
       {"--yes", "phonebook", "import-vcard", "cards.vcf"},
       kEntries + 3,
       kCards,
       "Остановлено: записано 3 из 20.",
       {},
       kCards},
      {"date book read",
       "lvEvent",
       "AT+MDBR=",
       5,
       [](S&) {},
       [](S& t) { t.model_->click("sbDateBook"); },
       {"datebook", "read"},
       5,
       5 + 1,
       "Остановлено: прочитано 5 из 60.",
       {"AT+MDBL=0"},
       0},
      {"message folder read",
       "lvSMS",
       "AT+MMGR=",
       4,
       [](S& t) { t.model_->click("sbSMS"); },
       [](S& t) {
         t.model_->tvSMSSelected = sms::kIncoming;
         t.model_->fire("tvSMSClick");
       },
       {"sms", "read", "inbox"},
       4,
       4 + 1,
       "Остановлено: прочитано 4 из 40.",
       {},
       0},
      {"delete all",
       "lvSMS",
       "AT+CMGD=",
       4,
       [](S& t) { t.readInbox(); },
       [](S& t) {
         t.ui_.answers = {MsgResult::Yes};
         t.model_->fire("sbSMSDeleteAllClick");
       },
       {"--yes", "sms", "delete-all", "inbox"},
       kMessages - 4,
       kMessages - 4,
       "Остановлено: удалено 4 из 40.",
       {},
       0},
  };
}

ListModel& ListOf(TfrmMain& m, const std::string& name) {
  if (name == "lvEvent") return m.lvEvent;
  if (name == "lvSMS") return m.lvSMS;
  return m.ListView1;
}

void StopTest::runInWindow(const Operation& op, How how, Cell& cell) {
  startHandset();
  start();
  const bool failedBefore = HasFatalFailure();
  op.prepare(*this);
  if (!failedBefore && HasFatalFailure()) return;
  phone_->clearTranscript();
  ui_.boxes.clear();

  std::size_t sentAtStop = 0;
  bool stopShown = false, statusShown = false, figureShown = false;
  testing::Trace dispatchedMeanwhile;
  bool stopping = false;
  const auto inner = ui_.beforeEvents;
  ui_.beforeEvents = [&, inner] {
    if (inner) inner();
    if (stopping) {
      dispatchedMeanwhile.insert(dispatchedMeanwhile.end(), trace_.begin(), trace_.end());
      trace_.clear();
    }
    if (sentAtStop != 0 || loopCommands(op.loop) < op.stopAfter) return;
    sentAtStop = phone_->transcript().size();
    auto* stop = widget<QToolButton>("sbStop");
    stopShown = stop->isVisible() && stop->text() == ToQ(Ru("Остановить"));
    statusShown = !view_->statusBar()->findChild<QLabel*>("lblStatus")->text().isEmpty();
    for (const char* bar : {"pbReadAllRecords", "pbReadEvent", "pbReadSMS"}) {
      auto* pb = widget<QProgressBar>(bar);
      figureShown |= pb->isTextVisible() && pb->text().contains(QStringLiteral(" из "));
    }
    // Anything else the user does meanwhile goes nowhere: a hot key that would start a read
    // and a click on the section's own button.
    trace_.clear();
    stopping = true;
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QTest::keyClick(view_.get(), Qt::Key_F5);
    QTest::mouseClick(widget("sbTerminal"), Qt::LeftButton);
    if (how == How::Button)
      QTest::mouseClick(stop, Qt::LeftButton);
    else
      QTest::keyClick(view_.get(), Qt::Key_Escape);
    dispatchedMeanwhile.insert(dispatchedMeanwhile.end(), trace_.begin(), trace_.end());
    trace_.clear();
  };
  op.act(*this);
  ui_.beforeEvents = inner;
  view_->sync();

  const std::vector<std::string> sent = phone_->transcript();
  EXPECT_GT(sentAtStop, 0u) << "the operation never reached the stop";
  const std::vector<std::string> after(
      sent.begin() + static_cast<std::ptrdiff_t>(std::min(sentAtStop, sent.size())), sent.end());
  EXPECT_EQ(after, op.cleanup) << "nothing but the clean-up after the exchange in progress";
  EXPECT_EQ(dispatchedMeanwhile, testing::Trace{"sbStopClick"}) << "no other handler ran meanwhile";
  EXPECT_TRUE(stopShown) << "the stop button is shown while the operation runs";
  EXPECT_TRUE(statusShown) << "the status bar says what runs";
  EXPECT_TRUE(figureShown) << "a bar shows its figure";

  const ListModel& list = ListOf(*model_, op.list);
  cell.rows = static_cast<int>(list.rows.size());
  EXPECT_EQ(cell.rows, op.rowsKept);
  cell.last = sentAtStop > 0 ? sent[sentAtStop - 1] : "-";
  cell.last = cell.last.substr(0, 24);
  for (const std::string& c : after) cell.after += (cell.after.empty() ? "" : " ") + c;
  if (ui_.boxes.empty()) {
    ADD_FAILURE() << "no box tells how far it got";
  } else {
    EXPECT_EQ(ui_.boxes.back().text, Ru(op.stopped));
    EXPECT_EQ(ui_.boxes.back().kind, MsgKind::Information);
  }
  for (const auto& b : ui_.boxes) EXPECT_NE(b.kind, MsgKind::Error) << b.text;
  cell.portFree = portFree();
  EXPECT_TRUE(cell.portFree);

  // Idle as after a read that ran to its end: the section buttons and the read buttons
  // enabled, no hourglass, the stop button gone, the status bar telling how far it got.
  const bool idle = !model_->app.stop().running() && !widget("sbStop")->isVisible() &&
                    widget("sbPhoneBook")->isEnabled() && widget("sbDateBook")->isEnabled() &&
                    model_->control("sbReadAll").enabled &&
                    model_->control("sbReadAllEvents").enabled &&
                    model_->control("sbSMSNew").enabled && !ui_.busy();
  EXPECT_TRUE(idle);
  EXPECT_EQ(model_->statusText(), Ru(op.stopped));
  cell.idle = idle ? "yes" : "NO";
}

// quorvex-cli in the scratch directory, its output in files there.
pid_t SpawnCli(const std::filesystem::path& dir, std::vector<std::string> args) {
  args.insert(args.begin(), QUORVEX_CLI_PATH);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string out = (dir / "stdout").string(), err = (dir / "stderr").string();
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addchdir_np(&fa, dir.c_str());
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&fa);
  return pid;
}

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void StopTest::runCli(const Operation& op, How how, Cell& cell) {
  std::atomic<pid_t> child{0};
  std::atomic<int> seen{0};
  std::atomic<std::size_t> sentAtStop{0};
  std::atomic<bool> signalled{false};
  if (std::string(op.name) == "load") {
    // The file of the handset's own book, as a save would have written it.
    startHandset();
    start();
    readPhoneBook();
    writeBookFile();
  }
  // The signal goes while the CLI waits for the answer to the loop command: it comes in
  // the middle of an exchange, as a user's Ctrl+C does.
  startHandset([&](const std::string& command) {
    if (!IsLoopCommand(command, op.loop) || ++seen != op.stopAfter) return;
    sentAtStop = phone_->transcript().size() + 1;
    // The child may talk before the spawn has told its number here.
    while (child.load() == 0) std::this_thread::yield();
    kill(child.load(), SIGINT);
    if (how == How::InterruptTwice) {
      // Two signals at once would merge into one: the first is let in before the second.
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      kill(child.load(), SIGINT);
    }
    signalled = true;
  });
  // The handset goes before this call's locals, which its hook uses.
  struct Hangup {
    std::unique_ptr<sim::PhoneSim>& phone;
    ~Hangup() { phone.reset(); }
  } hangup{phone_};
  child = SpawnCli(dir_, op.cli);
  int status = 0;
  ::waitpid(child.load(), &status, 0);
  // The child may end while the hook still runs; the command it holds is logged after it.
  if (sentAtStop.load() != 0)
    while (!signalled.load()) std::this_thread::yield();
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  EXPECT_EQ(code, 130);
  const std::string out = Slurp(dir_ / "stdout"), err = Slurp(dir_ / "stderr");

  std::vector<std::string> sent = phone_->transcript();
  for (int wait = 0; sent.size() < sentAtStop.load() && wait < 1000; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    sent = phone_->transcript();
  }
  if (sentAtStop.load() == 0 || sent.size() < sentAtStop.load()) {
    ADD_FAILURE() << "the operation never reached the stop";
    return;
  }
  const std::vector<std::string> after(
      sent.begin() + static_cast<std::ptrdiff_t>(std::min(sentAtStop.load(), sent.size())),
      sent.end());
  const int lines = static_cast<int>(std::count(out.begin(), out.end(), '\n'));
  if (how == How::Interrupt) {
    EXPECT_EQ(after, op.cleanup) << "nothing but the clean-up after the exchange in progress";
    EXPECT_EQ(lines, op.cliLines) << out;
    EXPECT_NE(err.find("[information] " + op.stopped), std::string::npos) << err;
  } else {
    // The second Ctrl+C ends the program in the middle of the exchange: nothing more is sent
    // or printed.
    EXPECT_TRUE(after.empty()) << after.front();
    EXPECT_EQ(lines, op.cliLinesEarly) << out;
    EXPECT_EQ(err.find("Остановлено"), std::string::npos) << err;
  }
  cell.rows = lines;
  cell.last = sent[sentAtStop.load() - 1].substr(0, 24);
  for (const std::string& c : after) cell.after += (cell.after.empty() ? "" : " ") + c;
  cell.portFree = portFree();
  EXPECT_TRUE(cell.portFree);
  cell.idle = "exit " + std::to_string(code);
}

TEST_F(StopTest, EveryLongOperationStopsAfterTheExchangeInProgressAndKeepsWhatItHas) {
  for (const Operation& op : Operations()) {
    for (How how : {How::Button, How::Escape, How::Interrupt, How::InterruptTwice}) {
      SCOPED_TRACE(std::string(op.name) + ", " + Name(how));
      Cell cell;
      cell.operation = op.name;
      cell.how = Name(how);
      model_->ListView1.clear();
      model_->lvEvent.clear();
      model_->lvSMS.clear();
      ui_.answers.clear();
      ui_.files.clear();
      ui_.scriptDialog = nullptr;
      if (how == How::Button || how == How::Escape)
        runInWindow(op, how, cell);
      else
        runCli(op, how, cell);
      Table().push_back(cell);
    }
  }
  // The table, to be quoted: one line per operation and way of stopping.
  std::ostringstream t;
  t << std::left << std::setw(20) << "operation" << std::setw(11) << "stopped by" << std::setw(6)
    << "rows" << std::setw(26) << "last command" << std::setw(12) << "after it" << std::setw(10)
    << "port free"
    << "idle\n";
  for (const Cell& c : Table())
    t << std::left << std::setw(20) << c.operation << std::setw(11) << c.how << std::setw(6)
      << c.rows << std::setw(26) << c.last << std::setw(12) << (c.after.empty() ? "-" : c.after)
      << std::setw(10) << (c.portFree ? "yes" : "NO") << c.idle << "\n";
  std::cout << t.str();
  std::ofstream(std::filesystem::path(QUORVEX_STOP_TABLE)) << t.str();
}

}  // namespace
}  // namespace quorvex::ui
