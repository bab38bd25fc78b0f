#include "fault_matrix.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <mutex>
#include <set>
#include <sstream>

#include "codec/ru.h"
#include "scratch_dir.h"
#include "serial/block_serial.h"
#include "serial/port_settings.h"
#include "serial/unsolicited.h"

namespace quorvex::reliability {

namespace fs = std::filesystem;

// ---- The user.

MsgResult MatrixUi::messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) {
  RecordingUi::messageBox(text, kind, buttons);
  if (buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel) return MsgResult::Ok;
  return kind == MsgKind::Warning ? MsgResult::No : MsgResult::Yes;
}

// ---- The window.

Window::Window(const fs::path& d) : dir(d), main(ui, path("portcfg.ini")) {
  main.help.path = path("info.txt");
  main.info.pictureDir = dir.string();
  messages.archivePath = path("sms_archive.txt");
  const auto watch = [this](SetControlsEnabledFn& fn) {
    fn = [this, inner = fn](bool enabled) {
      controlsEnabled.push_back(enabled);
      if (inner) inner(enabled);
    };
  };
  watch(phoneBook->section.SetControlsEnabled);
  watch(messages.SetControlsEnabled);
  watch(dateBook.SetControlsEnabled);
}

// ---- Cells.

std::string Row::TimeoutText() {
  return Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута...");
}

std::string Cell::name() const {
  switch (fault) {
    case Fault::Healthy:
      return "healthy";
    case Fault::SilentFromStart:
      return "silent from the start";
    case Fault::SilentAfter:
      return "silent after " + std::to_string(k);
    case Fault::HangupAfter:
      return "hang-up after " + std::to_string(k);
    case Fault::GarbageAfter:
      return "garbage after " + std::to_string(k);
    case Fault::ErrorOn:
      return "ERROR to " + command;
    case Fault::Split:
      return "split replies";
    case Fault::Unsolicited:
      return "unsolicited codes";
    case Fault::NeedsMode2:
      return "needs AT+MODE=2";
  }
  return "?";
}

std::string Cell::column() const {
  switch (fault) {
    case Fault::Healthy:
      return "healthy";
    case Fault::SilentFromStart:
    case Fault::SilentAfter:
      return "silent";
    case Fault::HangupAfter:
      return "hang-up";
    case Fault::GarbageAfter:
      return "garbage";
    case Fault::ErrorOn:
      return "ERROR";
    case Fault::Split:
      return "split";
    case Fault::Unsolicited:
      return "unsolicited";
    case Fault::NeedsMode2:
      return "AT+MODE=2";
  }
  return "?";
}

std::string CommandKey(const std::string& command) {
  const auto eq = command.find('=');
  if (eq == std::string::npos || eq + 1 >= command.size()) return command;
  const auto digit = [&](std::size_t i) {
    return i < command.size() && (std::isdigit(static_cast<unsigned char>(command[i])) ||
                                  command[i] == '+');
  };
  const char first = command[eq + 1];
  if (first == '?') return command.substr(0, eq + 2);
  // An index, a number or a quoted number is an argument; a word ("MT", "UCS2", "\"IM\"")
  // names a command of its own.
  if (digit(eq + 1) || (first == '"' && digit(eq + 2))) return command.substr(0, eq + 1);
  return command;
}

bool FullMatrix() {
  const char* full = std::getenv("QUORVEX_FULL_MATRIX");
  return full != nullptr && *full != '\0' && *full != '0';
}

std::vector<Cell> CellsFor(const Reference& ref) {
  std::vector<Cell> cells;
  const int n = ref.exchanges;
  cells.push_back({Fault::SilentFromStart, 0, {}, {}});
  // The short run strikes in the middle only; silent from the start already covers the
  // first answer's neighbourhood.
  std::set<int> ks;
  for (const int k : {1, n / 2})
    if (k >= 1 && k < n) ks.insert(k);
  const bool full = FullMatrix();
  if (!full && ks.size() > 1) ks.erase(ks.begin());
  for (const Fault f : {Fault::SilentAfter, Fault::HangupAfter, Fault::GarbageAfter}) {
    // Babble ends in the same wait as silence, at the same exchange; the short run keeps
    // the babble, which also has to be read past.
    if (!full && f == Fault::SilentAfter) continue;
    for (const int k : ks) cells.push_back({f, k, {}, {}});
  }
  // An operation of one exchange: the handset hangs up on it, or babbles, from the start.
  if (ks.empty()) {
    cells.push_back({Fault::HangupAfter, 0, {}, {}});
    cells.push_back({Fault::GarbageAfter, 0, {}, {}});
  }
  std::set<std::string> keys;
  for (const std::string& c : ref.transcript) {
    // The text part of a message is no command line of its own.
    if (c.rfind("AT", 0) != 0) continue;
    const std::string key = CommandKey(c);
    if (keys.insert(key).second) cells.push_back({Fault::ErrorOn, 0, c, key});
  }
  cells.push_back({Fault::Split, 0, {}, {}});
  cells.push_back({Fault::Unsolicited, 0, {}, {}});
  const bool usesMode2Commands =
      std::any_of(ref.transcript.begin(), ref.transcript.end(),
                  [](const std::string& c) { return NeedsMode2(AtCommandName(c)); });
  if (full || usesMode2Commands) cells.push_back({Fault::NeedsMode2, 0, {}, {}});
  return cells;
}

std::optional<std::vector<std::string>> WithoutSwitches(const std::vector<std::string>& sent) {
  std::vector<std::string> out;
  bool switched = false;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    if (sent[i] == "AT+MODE=2") {
      // The refused command went just before the switch and goes once more after it.
      if (switched || out.empty() || i + 1 >= sent.size() || sent[i + 1] != out.back())
        return std::nullopt;
      switched = true;
      ++i;
    } else if (sent[i] == "AT+MODE=0") {
      if (!switched) return std::nullopt;
      switched = false;
    } else {
      out.push_back(sent[i]);
    }
  }
  if (switched) return std::nullopt;
  return out;
}

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The archive grew by whole lines of number, date/time and text, or not at all.
bool WholeRecordsAppended(const std::string& before, const std::string& now) {
  if (now.compare(0, before.size(), before) != 0) return false;
  std::string_view added(now);
  added.remove_prefix(before.size());
  while (!added.empty()) {
    const auto end = added.find("\r\n");
    if (end == std::string_view::npos) return false;
    if (std::count(added.begin(), added.begin() + static_cast<std::ptrdiff_t>(end), ';') < 2)
      return false;
    added.remove_prefix(end + 2);
  }
  return true;
}

void WriteFile(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// The descriptors of this process open on a device path.
int OpenDescriptors(const std::string& device) {
  int n = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(entry.path(), ec);
    // A device that went away reads as its path with " (deleted)" after it.
    if (!ec && target.string().rfind(device, 0) == 0) ++n;
  }
  return n;
}

fs::path ScratchDir(const std::string& row, int cell) {
  return testing::FreshScratchDir("qv-matrix", row + "-" + std::to_string(cell));
}

sim::SimOptions Faulted(const Row& row, const Cell& cell) {
  sim::SimOptions o;
  o.model = row.model;
  switch (cell.fault) {
    case Fault::Healthy:
      break;
    case Fault::SilentFromStart:
      o.silentAfter = 0;
      break;
    case Fault::SilentAfter:
      o.silentAfter = cell.k;
      break;
    case Fault::HangupAfter:
      o.hangupAfter = cell.k;
      break;
    case Fault::GarbageAfter:
      o.garbageAfter = cell.k;
      break;
    case Fault::ErrorOn:
      o.errorOn = {cell.command};
      break;
    case Fault::Split:
      o.split = true;
      break;
    case Fault::Unsolicited:
      o.unsolicitedOneIn = 1;  // before every echo, between all answer lines, after every result
      break;
    case Fault::NeedsMode2:
      o.needsMode2 = true;
      break;
  }
  return o;
}

Expect ExpectFor(const Row& row, const Cell& cell) {
  switch (cell.fault) {
    case Fault::Healthy:
    case Fault::Split:
    case Fault::Unsolicited:
    case Fault::NeedsMode2:
      return Expect::Of(Expect::Healthy);
    case Fault::SilentFromStart:
    case Fault::SilentAfter:
    case Fault::GarbageAfter:
      return row.link;
    case Fault::HangupAfter:
      return row.hangup;
    case Fault::ErrorOn: {
      const auto it = row.onError.find(cell.key);
      return it == row.onError.end() ? row.errorDefault : it->second;
    }
  }
  return Expect::Of(Expect::AtMostOneFailure);
}

bool IsFailureBox(const Box& b) {
  return b.kind == MsgKind::Error || b.kind == MsgKind::Warning;
}

std::string Describe(const MatrixUi& ui) {
  std::string s;
  for (const std::string& e : ui.errors) s += "\n  standard error: " + e;
  for (const Box& b : ui.boxes)
    s += "\n  box " + std::to_string(static_cast<int>(b.kind)) + ": " + b.text;
  return s.empty() ? "\n  nothing shown" : s;
}

void CheckMessages(const Expect& e, const MatrixUi& ui, const std::vector<std::string>& successTexts) {
  int failures = static_cast<int>(ui.errors.size());
  int successes = 0;
  std::vector<Box> failureBoxes;
  for (const Box& b : ui.boxes) {
    if (IsFailureBox(b)) {
      ++failures;
      failureBoxes.push_back(b);
    }
    if (b.kind == MsgKind::Information ||
        std::find(successTexts.begin(), successTexts.end(), b.text) != successTexts.end())
      ++successes;
  }
  const std::string shown = Describe(ui);
  for (const std::string& text : ui.errors) EXPECT_FALSE(text.empty()) << "an empty error box";
  switch (e.kind) {
    case Expect::Healthy:
      EXPECT_EQ(failures, 0) << shown;
      break;
    case Expect::StandardError:
      ASSERT_EQ(ui.errors.size(), 1u) << shown;
      if (!e.text.empty()) {
        EXPECT_EQ(ui.errors[0], e.text) << shown;
      }
      EXPECT_TRUE(failureBoxes.empty()) << shown;
      EXPECT_EQ(successes, 0) << shown;
      break;
    case Expect::ErrorBox:
      EXPECT_TRUE(ui.errors.empty()) << shown;
      ASSERT_EQ(failureBoxes.size(), 1u) << shown;
      EXPECT_EQ(failureBoxes[0].text, e.text) << shown;
      EXPECT_EQ(failureBoxes[0].kind, e.box) << shown;
      EXPECT_EQ(successes, 0) << shown;
      break;
    case Expect::Quiet:
      EXPECT_EQ(failures, 0) << shown;
      EXPECT_EQ(successes, 0) << shown;
      break;
    case Expect::OneFailure:
      EXPECT_EQ(failures, 1) << shown;
      EXPECT_EQ(successes, 0) << shown;
      break;
    case Expect::AtMostOneFailure:
      EXPECT_LE(failures, 1) << shown;
      if (failures > 0) {
        EXPECT_EQ(successes, 0) << "a failure and a success" << shown;
      }
      break;
  }
}

// The controls the busy state changes: idle again means as they were before the operation.
std::map<std::string, bool> BusyStateControls(const TfrmMain& main) {
  std::map<std::string, bool> state;
  for (const Section s : {Section::Terminal, Section::PhoneInfo, Section::PhoneBook,
                          Section::DateBook, Section::SMS}) {
    state[SectionButton(s)] = main.control(SectionButton(s)).enabled;
    for (const std::string& name : BusyControls(s))
      // "Добавить" follows whether the list has rows, which the operation may change; the
      // hidden "Записать все" is never seen.
      if (name != "sbAddRecord" && name != "sbWriteAll") state[name] = main.control(name).enabled;
  }
  return state;
}

}  // namespace

Reference RunCell(const Row& row, const Cell& cell, const Reference* reference) {
  static int cellNumber = 0;
  const fs::path dir = ScratchDir(row.name, ++cellNumber);
  Reference out;
  {
    Window w(dir);
    WriteFile(w.path("sms_archive.txt"), "");
    for (const auto& [name, bytes] : row.files) WriteFile(w.path(name), bytes);

    // The state the operation needs, from a healthy handset.
    {
      sim::SimOptions healthy;
      healthy.model = row.model;
      sim::PhoneSim before(healthy);
      before.start();
      SavePortSettings({before.slavePath(), 115200, kMatrixTimeOut}, w.path("portcfg.ini"));
      w.main.FormCreate();
      if (row.prepare) row.prepare(w);
      EXPECT_TRUE(w.ui.errors.empty()) << "preparing: " << Describe(w.ui);
    }
    w.ui.boxes.clear();
    w.ui.errors.clear();
    w.ui.cursor.clear();
    w.ui.shown.clear();
    w.controlsEnabled.clear();

    sim::PhoneSim phone(Faulted(row, cell));
    phone.start();
    const std::string device = phone.slavePath();
    SavePortSettings({device, 115200, kMatrixTimeOut}, w.path("portcfg.ini"));
    w.main.app.LoadPortSettings();  // the operations that do not reload use these

    const std::string settingsBefore = ReadFile(w.path("portcfg.ini"));
    std::map<std::string, std::string> filesBefore;
    filesBefore["sms_archive.txt"] = ReadFile(w.path("sms_archive.txt"));
    for (const auto& [name, bytes] : row.files) filesBefore[name] = ReadFile(w.path(name));
    const auto controlsBefore = BusyStateControls(w.main);
    const int descriptorsBefore = OpenDescriptors(device);

    // On the port objects' clock: under test time a silent handset's wait counts in full.
    const std::uint32_t t0 = DefaultPortClock().now();
    try {
      row.act(w);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "an exception escaped the window: " << e.what();
    } catch (...) {
      ADD_FAILURE() << "an exception escaped the window";
    }
    out.elapsedMs = TickDiff(t0, DefaultPortClock().now());
    out.transcript = phone.transcript();
    out.exchanges = phone.exchanges();

    // What the user was told.
    const bool goesAsHealthy = cell.fault == Fault::Healthy || cell.fault == Fault::Split ||
                               cell.fault == Fault::Unsolicited || cell.fault == Fault::NeedsMode2;
    if (!goesAsHealthy || cell.fault == Fault::Unsolicited) {
      EXPECT_GT(phone.faultsStruck(), 0) << "the fault never struck";
    }
    CheckMessages(ExpectFor(row, cell), w.ui, row.successTexts);
    if (goesAsHealthy) {
      Run run{w, phone};
      if (row.healthy) row.healthy(run);
      if (reference != nullptr && cell.fault == Fault::NeedsMode2) {
        const auto unswitched = WithoutSwitches(out.transcript);
        EXPECT_TRUE(unswitched.has_value()) << "switches do not pair up";
        if (unswitched) {
          EXPECT_EQ(*unswitched, reference->transcript) << "the switch changed the commands";
          EXPECT_EQ(*unswitched != out.transcript,
                    std::any_of(reference->transcript.begin(), reference->transcript.end(),
                                [](const std::string& c) { return NeedsMode2(AtCommandName(c)); }))
              << "a switch exactly where Motorola book commands go";
        }
      } else if (reference != nullptr) {
        EXPECT_EQ(out.transcript, reference->transcript) << cell.name() << " changed the commands";
      }
    }

    // Within the time-outs in play.
    if (reference != nullptr) {
      const int reply = row.longOperation ? kMatrixTimeOut : kDefaultReplyTimeout;
      const bool waits = cell.fault == Fault::SilentFromStart || cell.fault == Fault::SilentAfter ||
                         cell.fault == Fault::GarbageAfter;
      // The other cells cost what the healthy run did, plus the waits their fault allows;
      // split replies pause up to a millisecond after each piece of one to three bytes.
      const double pieces =
          cell.fault == Fault::Split ? 2.5 * static_cast<double>(phone.bytesSent()) : 0.0;
      const double bound = reference->elapsedMs * 2 + pieces + (waits ? row.waits * reply : 0) + 1000;
      EXPECT_LT(out.elapsedMs, bound) << "took too long";
    }

    // The window is idle again.
    if (!w.controlsEnabled.empty()) {
      EXPECT_TRUE(w.controlsEnabled.back()) << "left busy";
    }
    if (!w.ui.cursor.empty()) {
      EXPECT_FALSE(w.ui.cursor.back()) << "hourglass left on";
    }
    EXPECT_EQ(BusyStateControls(w.main), controlsBefore) << "controls not enabled again";

    // The port is free: nothing of this process holds the device but the handset's own
    // end, and a new port object opens it.
    EXPECT_LE(OpenDescriptors(device), descriptorsBefore) << "the port object was not freed";
    if (cell.fault != Fault::HangupAfter) {
      TBlockSerial again;
      again.OpenPort(device);
      EXPECT_EQ(again.LastError(), 0) << "the port is still held: " << again.LastErrorText();
    }

    // No file damaged: each keeps its earlier content or holds the complete new one.
    EXPECT_EQ(ReadFile(w.path("portcfg.ini")), settingsBefore);
    for (const auto& [name, before] : filesBefore) {
      const std::string now = ReadFile(w.path(name));
      out.files[name] = now;
      if (reference == nullptr) continue;
      const std::string& complete = reference->files.at(name);
      if (goesAsHealthy) {
        EXPECT_EQ(now, complete) << name;
      } else if (name == "sms_archive.txt" && cell.fault == Fault::ErrorOn) {
        // A refused reading leaves that message out; what is appended is whole records.
        EXPECT_TRUE(WholeRecordsAppended(before, now)) << name << " damaged:\n" << now;
      } else {
        EXPECT_TRUE(now == before || now == complete) << name << " damaged:\n" << now;
      }
    }
    if (row.after) {
      Run run{w, phone};
      row.after(run);
    }

    // Nothing of the failure lingers: once the handset is well again, the same operation
    // goes through. The files may change now, so this comes last.
    const bool linkFault = cell.fault == Fault::SilentFromStart ||
                           cell.fault == Fault::SilentAfter || cell.fault == Fault::HangupAfter ||
                           cell.fault == Fault::GarbageAfter;
    if (reference != nullptr && linkFault && row.followUp) {
      sim::SimOptions well;
      well.model = row.model;
      sim::PhoneSim recovered(well);
      recovered.start();
      SavePortSettings({recovered.slavePath(), 115200, kMatrixTimeOut}, w.path("portcfg.ini"));
      w.main.app.LoadPortSettings();
      w.ui.boxes.clear();
      w.ui.errors.clear();
      SCOPED_TRACE("the same operation again on a handset that is well");
      // What the operation needs may have gone with the failure (a re-read cut short takes
      // the selection with it), so it is set up again first.
      if (row.prepare) row.prepare(w);
      w.ui.boxes.clear();
      row.act(w);
      CheckMessages(Expect::Of(Expect::Healthy), w.ui, row.successTexts);
      EXPECT_GT(recovered.exchanges(), 0);
    }
  }
  fs::remove_all(dir);
  return out;
}

// ---- The table.

namespace {

struct Tallies {
  std::mutex mu;
  std::vector<std::string> rows;
  std::map<std::string, std::map<std::string, std::pair<int, int>>> cells;
};

Tallies& TheTallies() {
  static Tallies t;
  return t;
}

const char* const kColumns[] = {"healthy", "silent", "hang-up",     "garbage",
                                "ERROR",   "split",  "unsolicited", "AT+MODE=2"};

}  // namespace

namespace {

class FailureCounter : public ::testing::EmptyTestEventListener {
 public:
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (result.failed()) ++count;
  }
  int count = 0;
};

}  // namespace

int FailureCount() {
  static FailureCounter* counter = [] {
    auto* c = new FailureCounter;
    ::testing::UnitTest::GetInstance()->listeners().Append(c);
    return c;
  }();
  return counter->count;
}

void Tally(const std::string& row, const Cell& cell, bool passed) {
  Tallies& t = TheTallies();
  std::lock_guard lock(t.mu);
  if (std::find(t.rows.begin(), t.rows.end(), row) == t.rows.end()) t.rows.push_back(row);
  auto& [ok, all] = t.cells[row][cell.column()];
  ok += passed ? 1 : 0;
  ++all;
}

void PrintTable(std::ostream& out) {
  Tallies& t = TheTallies();
  std::lock_guard lock(t.mu);
  if (t.rows.empty()) return;
  std::size_t width = 9;
  for (const std::string& r : t.rows) width = std::max(width, r.size());
  const auto columnWidth = [](const char* c) {
    return static_cast<int>(std::max<std::size_t>(7, std::char_traits<char>::length(c)));
  };
  out << "\nFault matrix (cells passed/total)\n" << std::left << std::setw(static_cast<int>(width))
      << "operation";
  for (const char* c : kColumns) out << " | " << std::setw(columnWidth(c)) << c;
  out << " | total\n";
  int okAll = 0, allAll = 0;
  for (const std::string& r : t.rows) {
    out << std::setw(static_cast<int>(width)) << r;
    int ok = 0, all = 0;
    for (const char* c : kColumns) {
      const auto it = t.cells[r].find(c);
      std::string cell = "-";
      if (it != t.cells[r].end()) {
        cell = std::to_string(it->second.first) + "/" + std::to_string(it->second.second);
        ok += it->second.first;
        all += it->second.second;
      }
      out << " | " << std::setw(columnWidth(c)) << cell;
    }
    out << " | " << ok << "/" << all << "\n";
    okAll += ok;
    allAll += all;
  }
  out << "cells passed: " << okAll << "/" << allAll << "\n";
}

}  // namespace quorvex::reliability
