#include "soak_loop.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>

#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "soak_state.h"

namespace quorvex::soak {

namespace {

bool HasUnread(const sim::HandsetState& st) {
  return std::any_of(st.messages.begin(), st.messages.end(), [](const auto& m) {
    return m.second.store == sim::MessageStore::Incoming &&
           m.second.status == sim::MessageStatus::RecUnread;
  });
}

}  // namespace

Soak::Soak(const Config& c)
    : config_(c),
      dir_(c.workDir),
      rng_(c.seed),
      window_(ui_, (dir_ / "portcfg.ini").string()),
      sections_(window_) {
  messages_.archivePath = (dir_ / "sms_archive.txt").string();
  window_.info.pictureDir = c.pictureDir;
  window_.help.path = (dir_ / "info.txt").string();
  sim::HandsetState first = sim::DemoState();
  sim::SaveStateFile(statePath(), first);
  startHealthy();
  window_.FormCreate();
  learned_.fill(Learned{});
}

Report Soak::run() {
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
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  report.end = Measure();
  report.handsetStarts = starts_;
  return report;
}

bool Soak::allLearned() const {
  return std::all_of(learned_.begin(), learned_.end(),
                     [](const Learned& l) { return !l.commands.empty(); });
}

void Soak::startHandset(sim::SimOptions options) {
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

// A message comes in between two operations; the oldest read one goes when the folder is
// full enough, so the handset's store stays within bounds.
void Soak::messageArrives() {
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

Op Soak::pick(bool warming) {
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

Fault Soak::pickFault() {
  if (static_cast<int>(rng_() % 100) >= config_.faultPercent) return Fault::None;
  return static_cast<Fault>(1 + rng_() % (kFaults - 1));
}

// A faulty handset fails somewhere within what a healthy run of the operation exchanged.
sim::SimOptions Soak::faultyOptions(Fault fault, const Learned& learned, std::string& refused) {
  sim::SimOptions o;
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
  return o;
}

void Soak::step(Report& report, bool counted) {
  const Op op = pick(!counted);
  const Fault fault = pickFault();
  Learned& learned = learned_[static_cast<int>(op)];
  std::string refused;
  const sim::SimOptions o = faultyOptions(fault, learned, refused);
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
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  const int struck = handset_->faultsStruck();
  after_ = Held(handset_->state());
  if (problem_.empty()) judge(op, fault, struck > 0);
  if (problem_.empty()) checkIdle();

  if (fault == Fault::None && problem_.empty()) learn(learned, exchangesBefore);
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

void Soak::learn(Learned& learned, int exchangesBefore) {
  learned.exchanges = std::max(learned.exchanges, handset_->exchanges() - exchangesBefore);
  // Only the part a refusal matches on is kept: the command's name and first argument.
  learned.commands.clear();
  learned.commands.reserve(kLearnedCommands);
  for (const std::string& line : handset_->transcript()) {
    if (line.rfind("AT", 0) != 0 || learned.commands.size() == kLearnedCommands) continue;
    learned.commands.push_back(line.substr(0, line.find_first_of(",\"")));
  }
}

void Soak::fail(Report& report, Op op, Fault fault, int number) {
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

Area AreaOf(Op op) {
  switch (op) {
    case Op::PbRead:
    case Op::PbAdd:
    case Op::PbEdit:
    case Op::PbDelete:
      return Area::PhoneBook;
    case Op::DbRead:
    case Op::DbAdd:
    case Op::DbDelete:
      return Area::DateBook;
    case Op::SmsRead:
    case Op::SmsStore:
    case Op::SmsSend:
    case Op::SmsDelete:
    case Op::SmsMark:
      return Area::Messages;
    default:
      return Area::Other;
  }
}

void Soak::markStale(Op op) {
  switch (AreaOf(op)) {
    case Area::PhoneBook:
      pbStale_ = true;
      break;
    case Area::DateBook:
      dbStale_ = true;
      break;
    case Area::Messages:
      smsStale_ = true;
      break;
    case Area::Other:
      break;
  }
}

// The same state and the same reads before both measurements, then every list emptied: what
// the run holds at the end must be what it held at the start.
void Soak::settle(const sim::HandsetState& canonical, Report& report) {
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

}  // namespace quorvex::soak
