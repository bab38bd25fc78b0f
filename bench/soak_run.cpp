#include "soak_run.h"

#include <dirent.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>

#include "app/datebook_binding.h"
#include "app/main_window.h"
#include "app/phonebook_binding.h"
#include "app/sms_binding.h"
#include "codec/cp1251.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "core/user_interface.h"
#include "datebook/date_book_section.h"
#include "messages/sms_section.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex::soak {

namespace {

constexpr const char* kOpNames[kOps] = {"pb read",   "pb add",   "pb edit",    "pb delete",
                                        "db read",   "db add",   "db delete",  "sms read",
                                        "sms store", "sms send", "sms delete", "sms mark",
                                        "info",      "battery",  "terminal",   "clock"};
constexpr const char* kFaultNames[kFaults] = {"none",   "split",   "silent",
                                              "hangup", "garbage", "errorOn"};

// The handset model of the whole run: a grouped family, so that every column of the phone
// book and its caller groups take part.
constexpr const char* kModel = "C350";

// Bounds the random run keeps the handset within, so that it neither fills nor empties.
constexpr std::size_t kMinEntries = 4, kMaxEntries = 40;
constexpr std::size_t kMinEvents = 2, kMaxEvents = 30;
constexpr std::size_t kMaxMessages = 40;
// Commands of an operation kept for the refusals: a date book read sends about a hundred.
constexpr std::size_t kLearnedCommands = 128;

// ---- The user: answers every question with yes, works the dialogs from a script, and keeps
// every box and error the operation showed.

struct Shown {
  std::string text;
  MsgKind kind;
};

class SoakUi : public UserInterface {
 public:
  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override {
    boxes.push_back({text, kind});
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgResult::Yes
                                                                              : MsgResult::Ok;
  }
  void showStandardError(const std::string& message) override { errors.push_back(message); }
  std::optional<std::string> chooseOpenFile(const std::string&) override { return {}; }
  std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
    return {};
  }
  void processEvents(bool) override {}
  void pause(int) override {}
  LocalTime now() override {
    const time_t t = ::time(nullptr) + clockShift;
    tm local{};
    ::localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
  }
  void setBusyCursor(bool busy) override { cursorBusy = busy; }
  void openUrl(const std::string&) override {}
  void showModal(ModalDialog& dialog) override {
    ++modals;
    if (script) script(dialog);
  }

  void forget() {
    boxes.clear();
    errors.clear();
    modals = 0;
    script = nullptr;
  }
  void shrink() {
    boxes.shrink_to_fit();
    errors.shrink_to_fit();
  }

  std::vector<Shown> boxes;
  std::vector<std::string> errors;
  int modals = 0;
  bool cursorBusy = false;
  long clockShift = 0;  // seconds the user's clock is ahead of the machine's
  std::function<void(ModalDialog&)> script;
};

// ---- What the handset holds, in the terms the lists show.

using Book = std::map<std::string, std::pair<std::string, std::string>>;    // index: name, number
using Diary = std::map<std::string, std::string>;                           // index: title
using Folder = std::map<std::string, std::pair<std::string, std::string>>;  // index: number, text

Book BookOf(const sim::HandsetState& st) {
  Book b;
  for (const auto& [i, e] : st.entries) b[std::to_string(i)] = {e.name, e.number};
  return b;
}

Book BookOf(const ListModel& list) {
  Book b;
  for (const ListRow& r : list.rows) b[r.caption] = {list.cellText(r, 1), list.cellText(r, 2)};
  return b;
}

Diary DiaryOf(const sim::HandsetState& st) {
  Diary d;
  for (const auto& [i, e] : st.events) d[std::to_string(i)] = e.title;
  return d;
}

Diary DiaryOf(const ListModel& list) {
  Diary d;
  for (const ListRow& r : list.rows) d[r.caption] = list.cellText(r, 1);
  return d;
}

bool InFolder(const sim::Message& m, int folder) {
  switch (folder) {
    case sms::kIncoming:
      return m.store == sim::MessageStore::Incoming;
    case sms::kUnsent:
      return m.store == sim::MessageStore::Outgoing && m.status == sim::MessageStatus::StoUnsent;
    case sms::kSent:
      return m.store == sim::MessageStore::Outgoing && m.status == sim::MessageStatus::StoSent;
    case sms::kDrafts:
      return m.store == sim::MessageStore::Drafts;
    default:
      return false;
  }
}

Folder FolderOf(const sim::HandsetState& st, int folder) {
  Folder f;
  for (const auto& [i, m] : st.messages)
    if (InFolder(m, folder)) f[std::to_string(i)] = {m.number, m.text};
  return f;
}

Folder FolderOf(const ListModel& list) {
  Folder f;
  for (const ListRow& r : list.rows) f[r.caption] = {list.cellText(r, 1), list.cellText(r, 6)};
  return f;
}

template <typename Map>
std::string Keys(const Map& m) {
  std::string out;
  for (const auto& [k, v] : m) out += (out.empty() ? "" : ",") + k;
  return "{" + out + "}";
}

// The SIM keeps a number and a name; the handset reports the rest of a SIM entry itself. A
// state file may say more, so only what the SIM holds is compared.
sim::HandsetState Held(sim::HandsetState st) {
  for (auto& [i, e] : st.entries) {
    if (i <= st.phoneSize) continue;
    sim::PhoneEntry kept;
    kept.number = e.number;
    kept.format = e.format;
    kept.name = e.name;
    e = kept;
  }
  return st;
}

int OpenDescriptors() {
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int n = 0;
  while (const dirent* e = ::readdir(dir))
    if (e->d_name[0] != '.') ++n;
  ::closedir(dir);
  return n - 1;  // the directory's own descriptor
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// ---- The run.

class Soak {
 public:
  explicit Soak(const Config& c)
      : config_(c),
        dir_(c.workDir),
        rng_(c.seed),
        window_(ui_, (dir_ / "portcfg.ini").string()),
        phoneBook_(window_),
        dateBookBinding_(window_),
        smsBinding_(window_) {
    BindDateBook(window_, dateBookBinding_);
    messages_.archivePath = (dir_ / "sms_archive.txt").string();
    window_.info.pictureDir = c.pictureDir;
    window_.help.path = (dir_ / "info.txt").string();
    sim::HandsetState first = sim::DemoState();
    sim::SaveStateFile(statePath(), first);
    startHealthy();
    window_.FormCreate();
    learned_.fill(Learned{});
  }

  ~Soak() { handset_.reset(); }

  Report run() {
    Report report;
    const auto warming = std::chrono::steady_clock::now();
    // The warm-up also goes on until every operation went through once on a healthy handset,
    // so that what an operation builds on its first use (the record dialog's index list, a
    // folder's rows) is there at both measurements.
    for (; report.warmupOperations < config_.warmup ||
           (!allLearned() && report.warmupOperations < 20 * config_.warmup);
         ++report.warmupOperations)
      step(report, false);
    report.warmupSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - warming).count();
    const sim::HandsetState canonical = handset_->state();
    settle(canonical, report);
    report.start = Measure();
    const auto began = std::chrono::steady_clock::now();
    for (int i = 0; i < config_.operations; ++i) {
      if (i == config_.operations / 2) {
        settle(canonical, report);
        report.middle = Measure();
      }
      step(report, true);
    }
    settle(canonical, report);
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    report.end = Measure();
    report.handsetStarts = starts_;
    return report;
  }

 private:
  struct Learned {
    int exchanges = 0;                  // the most a healthy run of the operation answered
    std::vector<std::string> commands;  // what its last healthy run sent
  };

  bool allLearned() const {
    return std::all_of(learned_.begin(), learned_.end(),
                       [](const Learned& l) { return !l.commands.empty(); });
  }

  // ---- The handset.

  std::string statePath() const { return (dir_ / "handset.txt").string(); }

  void startHandset(sim::SimOptions options) {
    handset_.reset();  // saves its state for the next one
    options.model = kModel;
    options.demoData = false;
    options.stateFile = statePath();
    options.seed = static_cast<std::uint32_t>(rng_());
    handset_ = std::make_unique<sim::PhoneSim>(options);
    handset_->start();
    ++starts_;
    SavePortSettings({handset_->slavePath(), 115200, config_.timeoutMs},
                     (dir_ / "portcfg.ini").string());
    window_.app.LoadPortSettings();
  }
  void startHealthy() { startHandset({}); }

  static bool HasUnread(const sim::HandsetState& st) {
    return std::any_of(st.messages.begin(), st.messages.end(), [](const auto& m) {
      return m.second.store == sim::MessageStore::Incoming &&
             m.second.status == sim::MessageStatus::RecUnread;
    });
  }

  // A message comes in between two operations; the oldest read one goes when the folder is
  // full enough, so the handset's store stays within bounds.
  void messageArrives() {
    handset_.reset();
    sim::HandsetState st;
    sim::LoadStateFile(statePath(), st);
    int incoming = 0;
    for (const auto& [i, m] : st.messages) incoming += m.store == sim::MessageStore::Incoming;
    if (incoming >= 8) {
      for (auto it = st.messages.begin(); it != st.messages.end(); ++it) {
        if (it->second.store == sim::MessageStore::Incoming) {
          st.messages.erase(it);
          break;
        }
      }
    }
    int index = 1;
    while (st.messages.count(index) == 1) ++index;
    sim::Message m;
    m.store = sim::MessageStore::Incoming;
    m.status = sim::MessageStatus::RecUnread;
    m.number = "+7926" + std::to_string(3000000 + ++serial_);
    m.timestamp = "26/12/08,10:00:00+12";
    m.text = "Incoming " + std::to_string(serial_);
    st.messages[index] = m;
    sim::SaveStateFile(statePath(), st);
    startHealthy();
    smsStale_ = true;
  }

  // ---- Picking.

  Op pick(bool warming) {
    Op op = static_cast<Op>(rng_() % kOps);
    if (warming && !allLearned() && rng_() % 2 == 0) {
      std::vector<Op> missing;
      for (int o = 0; o < kOps; ++o)
        if (learned_[static_cast<std::size_t>(o)].commands.empty())
          missing.push_back(static_cast<Op>(o));
      op = missing[rng_() % missing.size()];
    }
    const sim::HandsetState st = handset_->state();
    // Keep the handset's stores within bounds.
    if (op == Op::PbAdd && st.entries.size() >= kMaxEntries) op = Op::PbDelete;
    if (op == Op::PbDelete && st.entries.size() <= kMinEntries) op = Op::PbAdd;
    if (op == Op::DbAdd && st.events.size() >= kMaxEvents) op = Op::DbDelete;
    if (op == Op::DbDelete && st.events.size() <= kMinEvents) op = Op::DbAdd;
    if ((op == Op::SmsStore || op == Op::SmsSend) && st.messages.size() >= kMaxMessages)
      op = Op::SmsDelete;
    // Only an unread message can be marked, and only a message that arrives is unread.
    if (op == Op::SmsMark && !HasUnread(st)) messageArrives();
    // An operation on a list's rows needs the list as the handset holds it; after a fault (or
    // before the first read) the user reads first.
    const bool pbNeedsRows = op == Op::PbAdd || op == Op::PbEdit || op == Op::PbDelete;
    if (pbNeedsRows && (pbStale_ || window_.ListView1.rows.empty())) op = Op::PbRead;
    if (op == Op::DbDelete && (dbStale_ || window_.lvEvent.rows.empty())) op = Op::DbRead;
    if (op == Op::DbAdd && dbStale_) op = Op::DbRead;
    if (op == Op::SmsDelete || op == Op::SmsMark) {
      const bool incoming = op == Op::SmsMark;
      if (smsStale_ || window_.lvSMS.rows.empty() || (smsFolder_ == sms::kIncoming) != incoming) {
        nextFolder_ = incoming ? sms::kIncoming : (rng_() % 2 ? sms::kUnsent : sms::kSent);
        op = Op::SmsRead;
      }
    }
    return op;
  }

  Fault pickFault() {
    if (static_cast<int>(rng_() % 100) >= config_.faultPercent) return Fault::None;
    return static_cast<Fault>(1 + rng_() % (kFaults - 1));
  }

  // ---- One operation.

  void step(Report& report, bool counted) {
    const Op op = pick(!counted);
    const Fault fault = pickFault();
    Learned& learned = learned_[static_cast<int>(op)];
    sim::SimOptions o;
    std::string refused;
    switch (fault) {
      case Fault::None:
        break;
      case Fault::Split:
        o.split = true;
        break;
      case Fault::Silent:
        o.silentAfter = static_cast<int>(rng_() % std::max(1, learned.exchanges));
        break;
      case Fault::Hangup:
        o.hangupAfter = static_cast<int>(rng_() % std::max(1, learned.exchanges));
        break;
      case Fault::Garbage:
        o.garbageAfter = static_cast<int>(rng_() % std::max(1, learned.exchanges));
        break;
      case Fault::ErrorOn:
        if (!learned.commands.empty()) {
          // "AT+MPBW=12" refuses the write of entry 12 and nothing else.
          refused = learned.commands[rng_() % learned.commands.size()];
        } else {
          refused = "AT+CSCS";
        }
        o.errorOn = {refused};
        break;
    }
    if (fault != Fault::None) {
      startHandset(o);
    }
    handset_->clearTranscript();
    const int exchangesBefore = handset_->exchanges();
    before_ = Held(handset_->state());
    ui_.forget();
    problem_.clear();
    refused_ = refused;

    const auto t0 = std::chrono::steady_clock::now();
    try {
      perform(op);
    } catch (const std::exception& e) {
      // Every handler runs under the window's own error handling: nothing may reach here.
      problem_ = std::string("escaped the window: ") + e.what();
    }
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    const int struck = handset_->faultsStruck();
    after_ = Held(handset_->state());
    if (problem_.empty()) judge(op, fault, struck > 0);
    if (problem_.empty()) checkIdle();

    if (fault == Fault::None && problem_.empty()) {
      learned.exchanges = std::max(learned.exchanges, handset_->exchanges() - exchangesBefore);
      // Only the part a refusal matches on is kept: the command's name and first argument.
      learned.commands.clear();
      learned.commands.reserve(kLearnedCommands);
      for (const std::string& line : handset_->transcript()) {
        if (line.rfind("AT", 0) != 0 || learned.commands.size() == kLearnedCommands) continue;
        learned.commands.push_back(line.substr(0, line.find_first_of(",\"")));
      }
    }
    if (counted) {
      Cell& cell = report.cells[static_cast<int>(op)][static_cast<int>(fault)];
      ++cell.runs;
      if (struck > 0) ++cell.struck;
      cell.seconds += took;
      ++report.operations;
    }
    if (!problem_.empty()) fail(report, op, fault, counted ? report.operations : -1);
    handset_->clearTranscript();
    if (fault != Fault::None) {
      // The faulty handset kept its state in the file; a healthy one goes on from there. The
      // lists of the section may now show what the handset no longer holds.
      startHealthy();
      if (struck > 0) markStale(op);
    }
  }

  void fail(Report& report, Op op, Fault fault, int number) {
    ++report.failed;
    if (static_cast<int>(report.failures.size()) >= config_.keepFailures) return;
    std::string what = (number < 0 ? std::string("warm-up") : "#" + std::to_string(number)) + " " +
                       OpName(op) + " / " + FaultName(fault) + ": " + problem_;
    for (const Shown& b : ui_.boxes) what += " [box " + b.text + "]";
    for (const std::string& e : ui_.errors) what += " [error " + e + "]";
    // The last commands the handset took, for the diagnosis.
    const std::vector<std::string> sent = handset_->transcript();
    for (std::size_t i = sent.size() > 6 ? sent.size() - 6 : 0; i < sent.size(); ++i)
      what += " <" + sent[i] + ">";
    report.failures.push_back(std::move(what));
  }

  void markStale(Op op) {
    switch (op) {
      case Op::PbRead:
      case Op::PbAdd:
      case Op::PbEdit:
      case Op::PbDelete:
        pbStale_ = true;
        break;
      case Op::DbRead:
      case Op::DbAdd:
      case Op::DbDelete:
        dbStale_ = true;
        break;
      case Op::SmsRead:
      case Op::SmsStore:
      case Op::SmsSend:
      case Op::SmsDelete:
      case Op::SmsMark:
        smsStale_ = true;
        break;
      default:
        break;
    }
  }

  void expect(bool ok, const std::string& what) {
    if (!ok && problem_.empty()) problem_ = what;
  }

  // ---- The operations, as the user does them.

  void selectRow(ListModel& list, int row) { list.selectOnly(row); }

  std::string uniqueText(const char* stem) { return std::string(stem) + std::to_string(++serial_); }

  void perform(Op op) {
    target_.clear();
    switch (op) {
      case Op::PbRead:
        window_.click("sbPhoneBook");
        if (rng_() % 2)
          window_.click("sbReadAll");
        else
          window_.FormKeyDown(Key::F5, {});
        break;
      case Op::PbAdd: {
        window_.click("sbPhoneBook");
        name_ = Ru("Абонент ") + std::to_string(++serial_);
        number_ = "+7916" + std::to_string(1000000 + serial_);
        ui_.script = [this](ModalDialog& m) {
          auto* d = dynamic_cast<phonebook::TfrmAddRecord*>(&m);
          if (d == nullptr) return;
          target_ = d->cbRecordNum.text;
          d->typePhoneNumber(number_);
          d->typeAbonentName(name_);
          d->SpeedButton1Click(ui_);
          if (!d->closed()) {
            dialogRefused_ = true;
            d->SpeedButton2Click();
          }
        };
        window_.click("sbAddRecord");
        break;
      }
      case Op::PbEdit: {
        window_.click("sbPhoneBook");
        const int row = static_cast<int>(rng_() % window_.ListView1.rows.size());
        selectRow(window_.ListView1, row);
        target_ = window_.ListView1.rows[static_cast<std::size_t>(row)].caption;
        name_ = uniqueText("Soak ");
        ui_.script = [this](ModalDialog& m) {
          auto* d = dynamic_cast<phonebook::TfrmAddRecord*>(&m);
          if (d == nullptr) return;
          d->edtAbonentName.text = name_;
          // An entry outside every caller group shows an empty group box, and the dialog wants
          // every box filled: the user picks the first group.
          if (d->cbGroup.text.empty()) d->cbGroup.select(0);
          d->SpeedButton1Click(ui_);
          if (!d->closed()) {
            dialogRefused_ = true;
            d->SpeedButton2Click();
          }
        };
        window_.fire("ListView1DblClick");
        break;
      }
      case Op::PbDelete: {
        window_.click("sbPhoneBook");
        const int row = static_cast<int>(rng_() % window_.ListView1.rows.size());
        selectRow(window_.ListView1, row);
        target_ = window_.ListView1.rows[static_cast<std::size_t>(row)].caption;
        // The user opens the popup over the selection; the key and the item then act alike.
        window_.popup("PopupMenu1");
        if (rng_() % 2)
          window_.FormKeyDown(Key::Delete, {});
        else
          window_.clickMenu("pmDelete");
        break;
      }
      case Op::DbRead:
        // Showing the section reads the date book; a shown section reads on its button.
        if (window_.section() != Section::DateBook || rng_() % 2)
          window_.click("sbDateBook");
        else
          window_.click("sbReadAllEvents");
        break;
      case Op::DbAdd:
        title_ = uniqueText(rng_() % 2 ? "Meeting " : "\xC2\xF1\xF2\xF0\xE5\xF7\xE0 ");
        ui_.script = [this](ModalDialog& m) {
          auto* d = dynamic_cast<datebook::TfrmAddEvent*>(&m);
          if (d == nullptr) return;
          target_ = std::to_string(d->EventIndex);
          d->edtEventTitle = title_;
          if (!d->SpeedButton1Click(ui_)) {
            dialogRefused_ = true;
            d->SpeedButton2Click();
          }
        };
        window_.click("sbAddEvent");
        break;
      case Op::DbDelete: {
        const int row = static_cast<int>(rng_() % window_.lvEvent.rows.size());
        selectRow(window_.lvEvent, row);
        target_ = window_.lvEvent.rows[static_cast<std::size_t>(row)].caption;
        window_.click("sbDeleteEvent");
        break;
      }
      case Op::SmsRead: {
        window_.click("sbSMS");
        int folder = nextFolder_;
        nextFolder_ = -1;
        if (folder < 0) folder = 1 + static_cast<int>(rng_() % 4);
        smsFolder_ = folder;
        window_.tvSMSSelected = folder;
        window_.fire("tvSMSClick");
        break;
      }
      case Op::SmsStore:
      case Op::SmsSend: {
        window_.click("sbSMS");
        number_ = "+7903" + std::to_string(2000000 + ++serial_);
        text_ = "Soak message " + std::to_string(serial_) + " at the handset";
        action_ = op == Op::SmsStore ? 0 : 1 + static_cast<int>(rng_() % 2);
        ui_.script = [this](ModalDialog& m) {
          auto* d = dynamic_cast<SaveSmsModal*>(&m);
          if (d == nullptr) return;
          d->form().cbAbonentsText = number_;
          d->form().SetMemoText(text_);
          d->form().RadioGroup.itemIndex = action_;
          if (!d->ok(ui_)) {
            dialogRefused_ = true;
            d->cancel();
          }
        };
        window_.click("sbSMSNew");
        break;
      }
      case Op::SmsDelete: {
        const int row = static_cast<int>(rng_() % window_.lvSMS.rows.size());
        selectRow(window_.lvSMS, row);
        target_ = window_.lvSMS.rows[static_cast<std::size_t>(row)].caption;
        window_.click("sbDeleteSMS");
        break;
      }
      case Op::SmsMark: {
        // Mostly an unread message, now and then one read already (its item is disabled).
        std::vector<int> unread;
        for (std::size_t r = 0; r < window_.lvSMS.rows.size(); ++r) {
          const auto m = before_.messages.find(std::stoi(window_.lvSMS.rows[r].caption));
          if (m != before_.messages.end() && m->second.status == sim::MessageStatus::RecUnread)
            unread.push_back(static_cast<int>(r));
        }
        const int row = !unread.empty() && rng_() % 4 != 0
                            ? unread[rng_() % unread.size()]
                            : static_cast<int>(rng_() % window_.lvSMS.rows.size());
        selectRow(window_.lvSMS, row);
        target_ = window_.lvSMS.rows[static_cast<std::size_t>(row)].caption;
        window_.popup("pmSMS");
        window_.clickMenu("pmMarkasRead");
        break;
      }
      case Op::Info:
        window_.click("sbPhoneInfo");
        break;
      case Op::Battery:
        if (window_.section() == Section::PhoneInfo && rng_() % 2)
          window_.FormKeyDown(Key::F5, {});
        else
          window_.click("SpeedButton1");
        break;
      case Op::Terminal:
        window_.click("sbTerminal");
        window_.terminal.cbCommandChange("AT+CGSN");
        logBefore_ = window_.terminal.mmTerminal;
        window_.click("btnSendCommand");
        break;
      case Op::Clock:
        ui_.clockShift = static_cast<long>(rng_() % (48 * 3600)) - 24 * 3600;
        window_.click("SpeedButton11");
        break;
    }
  }

  // ---- What the operation must have left.

  bool failureShown() const {
    if (!ui_.errors.empty()) return true;
    return std::any_of(ui_.boxes.begin(), ui_.boxes.end(), [](const Shown& b) {
      return b.kind == MsgKind::Error || b.kind == MsgKind::Warning;
    });
  }
  bool successShown() const {
    return std::any_of(ui_.boxes.begin(), ui_.boxes.end(), [](const Shown& b) {
      return b.kind == MsgKind::Information || b.kind == MsgKind::Message;
    });
  }

  void judge(Op op, Fault fault, bool struck) {
    const bool asHealthy = fault == Fault::None || fault == Fault::Split || !struck;
    expect(!dialogRefused_, "the dialog refused the soak's input");
    dialogRefused_ = false;
    if (asHealthy) {
      expect(ui_.errors.empty(), "an error on a healthy handset");
      judgeSuccess(op);
      return;
    }
    if (fault != Fault::ErrorOn) {
      expect(failureShown(), "the failure reached the user in no message");
      expect(!successShown(), "a failure told as success");
    }
    judgeConfined(op);
  }

  void judgeSuccess(Op op) {
    const auto noBoxes = [this] { expect(ui_.boxes.empty(), "a message box on success"); };
    switch (op) {
      case Op::PbRead:
        noBoxes();
        expect(after_ == before_, "a read changed the handset");
        expect(BookOf(window_.ListView1) == BookOf(after_),
               "the list " + Keys(BookOf(window_.ListView1)) + " is not the handset's " +
                   Keys(BookOf(after_)));
        pbStale_ = false;
        break;
      case Op::PbAdd: {
        noBoxes();
        expect(!target_.empty(), "the record dialog was not shown");
        sim::HandsetState want = before_;
        if (!target_.empty()) {
          const int idx = std::stoi(target_);
          expect(before_.entries.count(idx) == 0, "the dialog offered a taken index " + target_);
          expect(after_.entries.count(idx) == 1, "no entry at " + target_);
          if (after_.entries.count(idx) == 1) {
            const sim::PhoneEntry& e = after_.entries.at(idx);
            expect(e.name == name_ && e.number == number_, "the entry at " + target_ + " differs");
            want.entries[idx] = e;
          }
        }
        expect(after_ == want, "the add changed more than its entry");
        expect(BookOf(window_.ListView1) == BookOf(after_), "the list is not the handset's");
        break;
      }
      case Op::PbEdit: {
        noBoxes();
        const int idx = std::stoi(target_);
        sim::HandsetState want = before_;
        want.entries[idx].name = name_;
        expect(after_.entries.count(idx) == 1 && after_.entries.at(idx).name == name_,
               "the entry at " + target_ + " was not renamed");
        expect(after_.entries.count(idx) == 1 &&
                   after_.entries.at(idx).number == want.entries.at(idx).number,
               "the edit changed the number at " + target_);
        // The name is the user's change, and the group for an entry outside every group (the
        // dialog wants one picked); everything else the entry keeps.
        // The SIM keeps a number and a name only.
        if (before_.entries.at(idx).category == 0 && idx <= before_.phoneSize)
          want.entries[idx].category = 1;
        expect(after_ == want, "the edit changed more than the name");
        expect(BookOf(window_.ListView1) == BookOf(after_), "the list is not the handset's");
        break;
      }
      case Op::PbDelete: {
        noBoxes();
        sim::HandsetState want = before_;
        want.entries.erase(std::stoi(target_));
        expect(after_ == want, "the delete of " + target_ + " left another state");
        expect(BookOf(window_.ListView1) == BookOf(after_), "the list is not the handset's");
        break;
      }
      case Op::DbRead:
        noBoxes();
        expect(after_ == before_, "a read changed the handset");
        expect(DiaryOf(window_.lvEvent) == DiaryOf(after_),
               "the list " + Keys(DiaryOf(window_.lvEvent)) + " is not the handset's " +
                   Keys(DiaryOf(after_)));
        dbStale_ = false;
        break;
      case Op::DbAdd: {
        noBoxes();
        expect(!target_.empty(), "the event dialog was not shown");
        sim::HandsetState want = before_;
        if (!target_.empty()) {
          const int idx = std::stoi(target_);
          expect(before_.events.count(idx) == 0, "the dialog chose a taken index " + target_);
          expect(after_.events.count(idx) == 1 && after_.events.at(idx).title == title_,
                 "no event " + title_ + " at " + target_);
          if (after_.events.count(idx) == 1) want.events[idx] = after_.events.at(idx);
        }
        expect(after_ == want, "the add changed more than its event");
        expect(DiaryOf(window_.lvEvent) == DiaryOf(after_), "the list is not the handset's");
        break;
      }
      case Op::DbDelete: {
        noBoxes();
        sim::HandsetState want = before_;
        want.events.erase(std::stoi(target_));
        expect(after_ == want, "the delete of " + target_ + " left another state");
        expect(DiaryOf(window_.lvEvent) == DiaryOf(after_), "the list is not the handset's");
        break;
      }
      case Op::SmsRead: {
        noBoxes();
        sim::HandsetState want = before_;
        // Reading the incoming folder is reading the messages: the handset marks them read.
        if (smsFolder_ == sms::kIncoming)
          for (auto& [i, m] : want.messages) {
            const auto now = after_.messages.find(i);
            if (m.store == sim::MessageStore::Incoming && now != after_.messages.end())
              m.status = now->second.status;
          }
        expect(after_ == want, "a read changed the handset");
        const Folder shown = FolderOf(window_.lvSMS), held = FolderOf(after_, smsFolder_);
        expect(shown == held, "the list " + Keys(shown) + " of folder " +
                                  std::to_string(smsFolder_) + " is not the handset's " +
                                  Keys(held));
        smsStale_ = false;
        break;
      }
      case Op::SmsStore:
      case Op::SmsSend: {
        expect(ui_.boxes.size() == 1 && ui_.boxes[0].kind == MsgKind::Information,
               "not one information box");
        std::vector<int> added;
        for (const auto& [i, m] : after_.messages)
          if (before_.messages.count(i) == 0) added.push_back(i);
        sim::HandsetState want = before_;
        want.nextReference = after_.nextReference;
        if (action_ == 2) {
          expect(added.empty(), "a message sent and deleted stayed");
        } else if (added.size() != 1) {
          expect(false, "not one new message");
        } else {
          const sim::Message& m = after_.messages.at(added[0]);
          expect(m.number == number_ && m.text == text_, "the new message differs");
          expect(m.store == sim::MessageStore::Outgoing &&
                     m.status == (action_ == 0 ? sim::MessageStatus::StoUnsent
                                               : sim::MessageStatus::StoSent),
                 "the new message is in the wrong folder");
          want.messages[added[0]] = m;
        }
        expect(after_ == want, "the message changed more than itself");
        // The folder shown no longer tells the handset's.
        smsStale_ = true;
        break;
      }
      case Op::SmsDelete: {
        noBoxes();
        sim::HandsetState want = before_;
        want.messages.erase(std::stoi(target_));
        expect(after_ == want, "the delete of " + target_ + " left another state");
        expect(FolderOf(window_.lvSMS) == FolderOf(after_, smsFolder_),
               "the list is not the handset's");
        break;
      }
      case Op::SmsMark: {
        noBoxes();
        const int idx = std::stoi(target_);
        const bool unread = before_.messages.count(idx) == 1 &&
                            before_.messages.at(idx).status == sim::MessageStatus::RecUnread;
        const std::vector<std::string> sent = handset_->transcript();
        if (unread) {
          expect(std::find(sent.begin(), sent.end(), "AT+MMAR=" + target_) != sent.end(),
                 "no AT+MMAR for the unread message " + target_);
        } else {
          expect(sent.empty(), "a command for a message read already");
        }
        sim::HandsetState want = before_;
        want.messages[idx].status = sim::MessageStatus::RecRead;
        expect(after_ == want, "the mark of " + target_ + " left another state");
        break;
      }
      case Op::Info:
        noBoxes();
        expect(window_.info.edtIMEI == after_.imei, "IMEI " + window_.info.edtIMEI);
        expect(window_.info.edtIMSI == after_.imsi, "IMSI " + window_.info.edtIMSI);
        expect(window_.info.edtModel == std::string("Motorola ") + kModel,
               "model " + window_.info.edtModel);
        checkGauges();
        break;
      case Op::Battery:
        noBoxes();
        checkGauges();
        break;
      case Op::Terminal: {
        noBoxes();
        const std::string& log = window_.terminal.mmTerminal;
        expect(log.size() > logBefore_.size() && log.compare(0, logBefore_.size(), logBefore_) == 0,
               "the log did not grow by the reply");
        expect(log.find(after_.imei, logBefore_.size()) != std::string::npos,
               "the reply holds no IMEI");
        // The user clears the log now and then, as it would otherwise grow for the whole run.
        if (rng_() % 4 == 0) window_.click("sbClear");
        break;
      }
      case Op::Clock: {
        expect(ui_.boxes.size() == 1 && ui_.boxes[0].kind == MsgKind::Message,
               "no box telling the clock was set");
        const long off = static_cast<long>(after_.clockOffset);
        expect(std::labs(off - ui_.clockShift) <= 3, "the handset's clock is " +
                                                         std::to_string(off) + " s off, not " +
                                                         std::to_string(ui_.clockShift));
        break;
      }
    }
  }

  void checkGauges() {
    expect(window_.info.ggStatusCharge.Position == after_.batteryLevel, "battery gauge");
    expect(window_.info.ggStatusSignal.Position == 2 * after_.rssi - 113, "signal gauge");
  }

  // A failed operation may have done its own change, or part of it, and nothing else.
  void judgeConfined(Op op) {
    sim::HandsetState was = before_, is = after_;
    const auto forget = [](auto& map, const std::string& key) {
      if (!key.empty()) map.erase(std::stoi(key));
    };
    // The date book's and the messages' writes do not look at the reply to the character set
    // command, so a handset that refused it takes the text's UCS2 digits as the text.
    const bool charsetRefused = refused_.rfind("AT+CSCS", 0) == 0;
    const auto sameText = [&](const std::string& got, const std::string& want) {
      return got == want || (charsetRefused && got == TextToUcs2Hex(want));
    };
    switch (op) {
      case Op::PbAdd:
        if (!target_.empty() && is.entries.count(std::stoi(target_)) == 1)
          expect(is.entries.at(std::stoi(target_)).name == name_, "a wrong entry was written");
        forget(is.entries, target_);
        break;
      case Op::PbEdit:
        if (is.entries.count(std::stoi(target_)) == 1 &&
            was.entries.count(std::stoi(target_)) == 1) {
          const std::string& n = is.entries.at(std::stoi(target_)).name;
          expect(n == name_ || n == was.entries.at(std::stoi(target_)).name,
                 "the entry got a name nobody gave it");
        }
        forget(was.entries, target_);
        forget(is.entries, target_);
        break;
      case Op::PbDelete:
        forget(was.entries, target_);
        forget(is.entries, target_);
        break;
      case Op::DbAdd:
        if (!target_.empty() && is.events.count(std::stoi(target_)) == 1)
          expect(sameText(is.events.at(std::stoi(target_)).title, title_),
                 "a wrong event was written");
        forget(is.events, target_);
        break;
      case Op::DbDelete:
        forget(was.events, target_);
        forget(is.events, target_);
        break;
      case Op::SmsRead:
        for (auto& [i, m] : was.messages) {
          const auto now = is.messages.find(i);
          if (m.store == sim::MessageStore::Incoming && now != is.messages.end())
            m.status = now->second.status;
        }
        break;
      case Op::SmsStore:
      case Op::SmsSend:
        for (auto it = is.messages.begin(); it != is.messages.end();) {
          if (was.messages.count(it->first) == 0) {
            expect(it->second.number == number_ && sameText(it->second.text, text_),
                   "a wrong message was stored");
            it = is.messages.erase(it);
          } else {
            ++it;
          }
        }
        is.nextReference = was.nextReference;
        break;
      case Op::SmsDelete:
        forget(was.messages, target_);
        forget(is.messages, target_);
        break;
      case Op::SmsMark:
        if (is.messages.count(std::stoi(target_)) == 1 &&
            was.messages.count(std::stoi(target_)) == 1)
          is.messages[std::stoi(target_)].status = was.messages[std::stoi(target_)].status;
        break;
      case Op::Clock:
        is.clockOffset = was.clockOffset;
        break;
      default:
        break;
    }
    expect(is == was, "the failed operation changed what it had no business with");
  }

  void checkIdle() {
    for (Section s : {Section::Terminal, Section::PhoneInfo, Section::PhoneBook, Section::DateBook,
                      Section::SMS})
      expect(window_.control(SectionButton(s)).enabled,
             std::string("left busy: ") + SectionButton(s) + " disabled");
    // "Добавить" stays disabled while the phone book list is empty, busy or not, and the
    // hidden "Записать все" is never enabled.
    for (const std::string& name : BusyControls(window_.section()))
      if (name != "sbAddRecord" && window_.control(name).visible)
        expect(window_.control(name).enabled, "left busy: " + name + " disabled");
    expect(!ui_.cursorBusy, "left busy: the hourglass stays");
  }

  // The same state and the same reads before both measurements, then every list emptied: what
  // the run holds at the end must be what it held at the start.
  void settle(const sim::HandsetState& canonical, Report& report) {
    handset_.reset();
    sim::SaveStateFile(statePath(), canonical);
    startHealthy();
    const auto read = [&](Op op, int folder) {
      nextFolder_ = folder;
      before_ = Held(handset_->state());
      ui_.forget();
      problem_.clear();
      refused_.clear();
      perform(op);
      after_ = Held(handset_->state());
      judge(op, Fault::None, false);
      checkIdle();
      if (!problem_.empty()) fail(report, op, Fault::None, 0);
      handset_->clearTranscript();
    };
    read(Op::PbRead, -1);
    read(Op::DbRead, -1);
    for (int folder : {sms::kIncoming, sms::kUnsent, sms::kSent, sms::kDrafts})
      read(Op::SmsRead, folder);
    read(Op::Info, -1);
    window_.click("sbPhoneBook");
    window_.click("SpeedButton3");
    window_.click("sbSMS");
    window_.click("SpeedButton12");
    window_.click("sbTerminal");
    window_.click("sbClear");
    window_.click("SpeedButton5");
    window_.click("sbPhoneBook");
    // An emptied list keeps the room its longest contents took; that room is no leak.
    for (ListModel* list : {&window_.ListView1, &window_.lvEvent, &window_.lvSMS})
      list->rows.shrink_to_fit();
    window_.terminal.mmTerminal.shrink_to_fit();
    pbStale_ = dbStale_ = smsStale_ = true;
    ui_.forget();
    ui_.shrink();
    ui_.clockShift = 0;
    std::filesystem::remove(messages_.archivePath);
  }

  Config config_;
  std::filesystem::path dir_;
  std::mt19937 rng_;
  SoakUi ui_;
  TfrmMain window_;
  PhoneBookBinding phoneBook_;
  datebook::DateBookSection& dateBook_ = window_.dateBook;
  DateBookBinding dateBookBinding_;
  sms::SmsSection& messages_ = window_.messages;
  SmsBinding smsBinding_;
  std::unique_ptr<sim::PhoneSim> handset_;
  int starts_ = 0;
  std::array<Learned, kOps> learned_;

  // The lists may show what the handset no longer holds.
  bool pbStale_ = true, dbStale_ = true, smsStale_ = true;
  int smsFolder_ = -1;   // the folder lvSMS shows
  int nextFolder_ = -1;  // the folder the next message read takes, -1 any

  // The operation under way.
  sim::HandsetState before_, after_;
  std::string problem_;
  std::string refused_;  // the commands the faulty handset refuses
  std::string target_;   // the index the operation works on, as the list shows it
  std::string name_, number_, title_, text_, logBefore_;
  int action_ = 0;
  int serial_ = 0;
  bool dialogRefused_ = false;
};

std::string Pad(const std::string& s, std::size_t width, bool right = false) {
  if (s.size() >= width) return s;
  const std::string fill(width - s.size(), ' ');
  return right ? fill + s : s + fill;
}

}  // namespace

const char* OpName(Op op) {
  return kOpNames[static_cast<int>(op)];
}

const char* FaultName(Fault fault) {
  return kFaultNames[static_cast<int>(fault)];
}

Resources Measure() {
  Resources r;
  r.fds = OpenDescriptors();
  r.rssKb = ResidentKb();
  r.heapBytes = ::mallinfo2().uordblks;
  return r;
}

Report Run(const Config& config) {
  Config c = config;
  const bool ownDir = !c.workDir.empty() && !std::filesystem::exists(c.workDir);
  if (c.workDir.empty()) c.workDir = testing::FreshScratchDir("qv-soak").string();
  std::filesystem::create_directories(c.workDir);
  Report report;
  {
    Soak soak(c);
    report = soak.run();
  }
  if (ownDir || config.workDir.empty()) std::filesystem::remove_all(c.workDir);
  return report;
}

std::string FormatReport(const Report& r) {
  std::ostringstream out;
  out << Pad("operation", 12);
  for (int f = 0; f < kFaults; ++f) out << Pad(kFaultNames[f], 12, true);
  out << Pad("ms/op", 9, true) << "\n";
  std::array<int, kFaults> columnRuns{}, columnStruck{};
  std::array<double, kFaults> columnSeconds{};
  for (int o = 0; o < kOps; ++o) {
    out << Pad(kOpNames[o], 12);
    int runs = 0;
    double seconds = 0;
    for (int f = 0; f < kFaults; ++f) {
      const Cell& c = r.cells[o][f];
      std::string text = std::to_string(c.runs);
      if (f != 0) text += "/" + std::to_string(c.struck);
      out << Pad(text, 12, true);
      runs += c.runs;
      seconds += c.seconds;
      columnRuns[f] += c.runs;
      columnStruck[f] += c.struck;
      columnSeconds[f] += c.seconds;
    }
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.2f", runs > 0 ? seconds * 1000 / runs : 0.0);
    out << Pad(ms, 9, true) << "\n";
  }
  out << Pad("all", 12);
  for (int f = 0; f < kFaults; ++f) {
    std::string text = std::to_string(columnRuns[f]);
    if (f != 0) text += "/" + std::to_string(columnStruck[f]);
    out << Pad(text, 12, true);
  }
  out << "\n" << Pad("ms/op", 12);
  for (int f = 0; f < kFaults; ++f) {
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.2f",
                  columnRuns[f] > 0 ? columnSeconds[f] * 1000 / columnRuns[f] : 0.0);
    out << Pad(ms, 12, true);
  }
  out << "\n(faulty columns: runs/runs in which the fault changed an answer)\n";
  char line[256];
  std::snprintf(line, sizeof line,
                "operations %d, failed %d, handsets started %d, %.1f s (%.2f ms per operation)\n",
                r.operations, r.failed, r.handsetStarts, r.seconds,
                r.operations > 0 ? r.seconds * 1000 / r.operations : 0.0);
  out << line;
  std::snprintf(line, sizeof line, "warm-up: %d operations, %.1f s\n", r.warmupOperations,
                r.warmupSeconds);
  out << line;
  std::snprintf(line, sizeof line, "open descriptors: start %d, half-way %d, end %d (%+d)\n",
                r.start.fds, r.middle.fds, r.end.fds, r.end.fds - r.start.fds);
  out << line;
  std::snprintf(line, sizeof line,
                "resident set:     start %ld KiB, half-way %ld KiB, end %ld KiB (%+ld KiB)\n",
                r.start.rssKb, r.middle.rssKb, r.end.rssKb, r.end.rssKb - r.start.rssKb);
  out << line;
  const auto grown = [](std::size_t from, std::size_t to) {
    return static_cast<long long>(to) - static_cast<long long>(from);
  };
  std::snprintf(line, sizeof line,
                "heap in use:      start %zu B, half-way %zu B, end %zu B (%+lld B; second half "
                "%+lld B)\n",
                r.start.heapBytes, r.middle.heapBytes, r.end.heapBytes,
                grown(r.start.heapBytes, r.end.heapBytes),
                grown(r.middle.heapBytes, r.end.heapBytes));
  out << line;
  for (const std::string& f : r.failures) out << "FAILED " << f << "\n";
  // The texts the operations showed are the handset's code page; the report is read on a
  // terminal.
  return Cp1251ToUtf8(out.str());
}

}  // namespace quorvex::soak
