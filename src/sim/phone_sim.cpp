#include "sim/phone_sim.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>

#include "serial/unsolicited.h"
#include "sim/at_engine.h"
#include "sim/at_framer.h"
#include "sim/replay.h"

namespace quorvex::sim {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How long a write may wait for the client to take bytes before the rest of a reply is
// dropped, as bytes sent down a line that nobody reads are lost.
constexpr int kStallMs = 2000;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("simulated handset: " + what + ": " + std::strerror(errno));
}

HandsetState InitialState(const SimOptions& o) {
  return o.demoData ? DemoState() : EmptyState();
}

}  // namespace

struct PhoneSim::Impl {
  explicit Impl(SimOptions o)
      : opt(std::move(o)),
        engine(opt.model, InitialState(opt), opt.echo),
        rng(opt.seed),
        codeRng(opt.seed ^ 0x5EEDu) {
    engine.habits = {.longEntryLines = opt.longEntryLines,
                     .bareImsi = opt.bareImsi,
                     .quotedTitles = opt.quotedTitles,
                     .fullYearStamps = opt.fullYearStamps,
                     .needsMode2 = opt.needsMode2};
  }

  SimOptions opt;
  mutable std::mutex engineMu;
  AtEngine engine;
  bool stateLoaded = false;
  std::unique_ptr<Replay> replay;  // guarded by engineMu
  bool replayEcho = true;

  int master = -1, slave = -1, wakeRead = -1, wakeWrite = -1;
  std::string slaveName;
  std::thread thread;
  std::atomic<bool> stopping{false};

  mutable std::mutex logMu;
  std::vector<std::string> transcript;
  std::atomic<int> exchanges{0};
  std::atomic<int> struck{0};
  std::atomic<std::int64_t> bytesIn{0}, bytesOut{0};

  AtFramer framer;
  std::mt19937 rng;
  std::mt19937 codeRng;   // its own, so codes do not change the noise or the pieces
  std::string textSoFar;  // the parts of a message text before its last CR
  SteadyClock::time_point lineFree{};
  SteadyClock::time_point burstStart{};
  std::int64_t burstBytes = 0;

  void start();
  void stop();
  void serve();
  bool handle(const FramerEvent& ev);
  bool logEvent(const FramerEvent& ev, std::string& wholeText);
  EngineReply answer(const FramerEvent& ev, const std::string& wholeText);
  EngineReply replayAnswer(const FramerEvent& ev, const std::string& wholeText, bool refused);
  EngineReply engineAnswer(const FramerEvent& ev, bool refused);
  void hangUp(const EngineReply& reply);
  EngineReply replayed(const std::string& command, std::string echo);
  bool writeOut(std::string_view data);
  bool writeRaw(const char* data, std::size_t size);
  bool sleepUntil(SteadyClock::time_point deadline);
  std::string garbage();
  void addUnsolicited(const FramerEvent& ev, EngineReply& reply, std::string& lead);
  void record(std::string line);
  void saveLocked();
  void closeAll();
};

void PhoneSim::Impl::start() {
  if (thread.joinable()) return;
  if (!stateLoaded && !opt.stateFile.empty()) {
    std::lock_guard lock(engineMu);
    HandsetState loaded;
    if (LoadStateFile(opt.stateFile, loaded)) {
      engine.setState(std::move(loaded));
    } else {
      SaveStateFile(opt.stateFile, engine.state());
    }
    stateLoaded = true;
  }
  if (!replay && !opt.replayFile.empty()) {
    std::lock_guard lock(engineMu);
    replay = std::make_unique<Replay>(LoadTranscript(opt.replayFile));
    replayEcho = opt.echo;
  }
  try {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) Fail("posix_openpt");
    if (::grantpt(master) != 0) Fail("grantpt");
    if (::unlockpt(master) != 0) Fail("unlockpt");
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0) Fail("ptsname_r");
    slaveName = name;
    // Holding the slave open keeps the master quiet (no EIO or POLLHUP) while no client
    // has the port open, and lets the raw settings stay in place between clients.
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) Fail("open " + slaveName);
    termios tio{};
    if (::tcgetattr(slave, &tio) != 0) Fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave, TCSANOW, &tio) != 0) Fail("tcsetattr");
    const int flags = ::fcntl(master, F_GETFL);
    if (flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) Fail("fcntl");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) Fail("pipe2");
    wakeRead = pipeFds[0];
    wakeWrite = pipeFds[1];
  } catch (...) {
    closeAll();
    throw;
  }
  stopping = false;
  framer = AtFramer{};
  textSoFar.clear();
  try {
    thread = std::thread([this] { serve(); });
  } catch (...) {
    closeAll();
    throw;
  }
}

void PhoneSim::Impl::stop() {
  const bool wasRunning = thread.joinable();
  if (wasRunning) {
    stopping = true;
    const char wake = 1;
    while (::write(wakeWrite, &wake, 1) < 0 && errno == EINTR) {
    }
    thread.join();
  }
  closeAll();
  // Only a stop that ended a run saves: a second stop has nothing new to keep.
  if (wasRunning && !opt.stateFile.empty() && stateLoaded) {
    std::lock_guard lock(engineMu);
    saveLocked();
  }
}

void PhoneSim::Impl::closeAll() {
  CloseFd(master);
  CloseFd(slave);
  CloseFd(wakeRead);
  CloseFd(wakeWrite);
}

void PhoneSim::Impl::saveLocked() {
  try {
    SaveStateFile(opt.stateFile, engine.state());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
}

void PhoneSim::Impl::record(std::string line) {
  std::lock_guard lock(logMu);
  transcript.push_back(std::move(line));
}

bool PhoneSim::Impl::sleepUntil(SteadyClock::time_point deadline) {
  for (;;) {
    if (stopping) return false;
    const auto now = SteadyClock::now();
    if (now >= deadline) return true;
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now);
    timespec ts{static_cast<time_t>(left.count() / 1'000'000'000),
                static_cast<long>(left.count() % 1'000'000'000)};
    pollfd pfd{wakeRead, POLLIN, 0};
    const int r = ::ppoll(&pfd, 1, &ts, nullptr);
    if (r > 0) return false;
  }
}

bool PhoneSim::Impl::writeRaw(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(master, data, size);
    if (n > 0) {
      bytesOut += n;
      data += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd fds[2] = {{master, POLLOUT, 0}, {wakeRead, POLLIN, 0}};
      const int r = ::poll(fds, 2, kStallMs);
      if (r < 0 && errno == EINTR) continue;
      if (fds[1].revents != 0) return false;
      if (r == 0) return true;  // nobody drains the line: the rest is lost
      continue;
    }
    return true;
  }
  return true;
}

// Paced output holds every piece until the line would have carried its last byte, with
// deadlines counted from the start of the burst, so sleeping late never lowers the rate.
bool PhoneSim::Impl::writeOut(std::string_view data) {
  if (data.empty()) return true;
  const bool paced = opt.baud > 0;
  const std::size_t paceChunk =
      paced ? std::max<std::size_t>(1, static_cast<std::size_t>(opt.baud) / 10 / 1000) : 0;
  const auto startBurstIfIdle = [&] {
    const auto now = SteadyClock::now();
    if (now >= lineFree) {
      burstStart = now;
      burstBytes = 0;
    }
  };
  if (paced) startBurstIfIdle();
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::size_t left = data.size() - pos;
    std::size_t piece = left;
    if (opt.split) {
      piece = std::min<std::size_t>(left, 1 + rng() % 3);
    } else if (paced) {
      piece = std::min(left, paceChunk);
    }
    if (paced) {
      if (opt.split) startBurstIfIdle();
      burstBytes += static_cast<std::int64_t>(piece);
      const auto deadline =
          burstStart + std::chrono::nanoseconds(burstBytes * 10'000'000'000LL / opt.baud);
      if (!sleepUntil(deadline)) return false;
      lineFree = deadline;
    }
    if (!writeRaw(data.data() + pos, piece)) return false;
    pos += piece;
    if (opt.split && pos < data.size() &&
        !sleepUntil(SteadyClock::now() + std::chrono::milliseconds(1))) {
      return false;
    }
  }
  return true;
}

std::string PhoneSim::Impl::garbage() {
  // Seeded noise with line ends, NUL and high bytes in it, but never an "O", so no line
  // of it can read OK or ERROR.
  std::string out(24 + rng() % 41, '\0');
  for (char& c : out) {
    c = static_cast<char>(rng() % 256);
    if (c == 'O') c = 'o';
  }
  const char musts[] = {'\r', '\n', '\0', static_cast<char>(0xE9)};
  for (const char m : musts) out[rng() % out.size()] = m;
  return out;
}

EngineReply PhoneSim::Impl::replayed(const std::string& command, std::string echo) {
  const Replay::Answer a = replay->answer(command);
  EngineReply r;
  if (replayEcho) r.echo = std::move(echo);
  r.answer = a.reply;
  r.final = !a.prompt;
  // The echo setting changes after the command that changes it was echoed.
  if (a.matched && (command == "ATE0" || command == "ATE1")) replayEcho = command == "ATE1";
  return r;
}

// Codes at the places the options choose, each framed as the handset frames an answer line.
// Between lines means between two framed lines ("\r\n\r\n"), never inside one, so a
// message header keeps its text line.
void PhoneSim::Impl::addUnsolicited(const FramerEvent& ev, EngineReply& reply, std::string& lead) {
  const std::string name = ev.kind == FramerEvent::Kind::Line ? AtCommandName(ev.text) : "";
  std::vector<const UnsolicitedCode*> codes;
  for (const UnsolicitedCode& c : UnsolicitedCodes())
    if (c.name != name) codes.push_back(&c);
  bool sent = false;
  const auto chance = [&] {
    return codeRng() % static_cast<std::uint32_t>(opt.unsolicitedOneIn) == 0;
  };
  const auto code = [&] {
    sent = true;
    const UnsolicitedCode& c = *codes[codeRng() % codes.size()];
    std::string framed = "\r\n" + std::string(c.sample) + "\r\n";
    if (c.dataLine) framed += std::string(c.sampleData) + "\r\n";
    return framed;
  };
  if (opt.unsolicitedBeforeEcho && ev.kind == FramerEvent::Kind::Line && chance()) lead = code();
  if (reply.final && opt.unsolicitedBetweenLines) {
    std::string answer;
    std::size_t from = 0;
    for (std::size_t at = reply.answer.find("\r\n\r\n"); at != std::string::npos;
         at = reply.answer.find("\r\n\r\n", at + 2)) {
      if (!chance()) continue;
      answer.append(reply.answer, from, at + 2 - from);
      answer += code();
      from = at + 2;
    }
    answer.append(reply.answer, from);
    reply.answer = std::move(answer);
  }
  if (reply.final && opt.unsolicitedAfterResult && chance()) reply.answer += code();
  if (sent) ++struck;
}

bool PhoneSim::Impl::handle(const FramerEvent& ev) {
  std::string wholeText;
  if (!logEvent(ev, wholeText)) return true;
  const int done = exchanges.load();
  if (opt.silentAfter >= 0 && done >= opt.silentAfter) {
    ++struck;
    return true;
  }
  if (opt.garbageAfter >= 0 && done >= opt.garbageAfter) {
    ++struck;
    if (ev.kind == FramerEvent::Kind::TextBreak) return true;
    return writeOut(garbage());
  }
  EngineReply reply = answer(ev, wholeText);
  if (opt.hangupAfter >= 0 && done >= opt.hangupAfter) {
    ++struck;
    hangUp(reply);
    return false;
  }
  std::string lead;
  if (opt.unsolicitedOneIn > 0) addUnsolicited(ev, reply, lead);
  if (!writeOut(lead + reply.echo)) return false;
  if (opt.latencyMs > 0 &&
      !sleepUntil(SteadyClock::now() + std::chrono::milliseconds(opt.latencyMs))) {
    return false;
  }
  if (reply.final) ++exchanges;
  return writeOut(reply.answer);
}

// Logs what the handset received; false when the event takes no answer.
bool PhoneSim::Impl::logEvent(const FramerEvent& ev, std::string& wholeText) {
  using Kind = FramerEvent::Kind;
  switch (ev.kind) {
    case Kind::Discarded:
      if (!ev.text.empty()) record(ev.text);
      return false;
    case Kind::Line:
      if (ev.text.empty()) return false;  // a bare CR, as after a message text
      record(ev.text);
      break;
    case Kind::TextBreak:
      break;
    case Kind::TextEnd:
    case Kind::TextCancel:
      wholeText = textSoFar + ev.text;
      record(wholeText);
      textSoFar.clear();
      break;
  }
  return true;
}

EngineReply PhoneSim::Impl::answer(const FramerEvent& ev, const std::string& wholeText) {
  std::lock_guard lock(engineMu);
  bool refused = false;
  if (ev.kind == FramerEvent::Kind::Line) {
    for (const std::string& prefix : opt.errorOn) {
      if (!prefix.empty() && ev.text.compare(0, prefix.size(), prefix) == 0) refused = true;
    }
    if (refused) ++struck;
  }
  EngineReply reply = replay ? replayAnswer(ev, wholeText, refused) : engineAnswer(ev, refused);
  if (engine.takeChanged() && !opt.stateFile.empty()) saveLocked();
  return reply;
}

EngineReply PhoneSim::Impl::replayAnswer(const FramerEvent& ev, const std::string& wholeText,
                                         bool refused) {
  using Kind = FramerEvent::Kind;
  EngineReply reply;
  bool textMode = false;
  if (ev.kind == Kind::TextBreak) {
    // A text is compared whole, at its end; each line of it gets the prompt.
    textSoFar += ev.text + "\r";
    if (replayEcho) reply.echo = ev.text;
    reply.answer = "\r\n> ";
    reply.final = false;
    textMode = true;
  } else if (ev.kind == Kind::Line && (refused || ev.overflow)) {
    if (replayEcho) reply.echo = ev.text + "\r";
    reply.answer = "\r\nERROR\r\n";
  } else if (ev.kind != Kind::Discarded) {
    const bool line = ev.kind == Kind::Line;
    reply = replayed(line ? ev.text : wholeText, line ? ev.text + "\r" : ev.text);
    textMode = !reply.final;
  }
  framer.setTextMode(textMode);
  return reply;
}

EngineReply PhoneSim::Impl::engineAnswer(const FramerEvent& ev, bool refused) {
  using Kind = FramerEvent::Kind;
  EngineReply reply;
  switch (ev.kind) {
    case Kind::Line:
      reply = refused || ev.overflow ? engine.refuse(ev.text) : engine.command(ev.text);
      if (const auto it = opt.answers.find(ev.text); !refused && it != opt.answers.end()) {
        ++struck;
        reply.answer = "\r\n" + it->second + "\r\n\r\nOK\r\n";
      }
      break;
    case Kind::TextBreak:
      textSoFar += ev.text + "\r";
      reply = engine.textBreak(ev.text);
      break;
    case Kind::TextEnd:
    case Kind::TextCancel:
      reply = engine.textEnd(ev.text, ev.kind == Kind::TextCancel, ev.overflow);
      break;
    case Kind::Discarded:
      break;
  }
  framer.setTextMode(engine.expectsText());
  return reply;
}

// Writes half the reply and closes the line.
void PhoneSim::Impl::hangUp(const EngineReply& reply) {
  const std::string all = reply.echo + reply.answer;
  writeOut(std::string_view(all).substr(0, all.size() / 2));
  // A hang-up discards what the client has not read yet, so let it take the half first:
  // wait for the bytes to reach the slave's queue, then for the queue to empty.
  const auto waitQueue = [&](bool untilEmpty, int ms) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(ms);
    int waiting = 0;
    while (::ioctl(slave, FIONREAD, &waiting) == 0 && (waiting > 0) == untilEmpty &&
           SteadyClock::now() < deadline &&
           sleepUntil(SteadyClock::now() + std::chrono::milliseconds(1))) {
    }
  };
  if (all.size() >= 2) {
    waitQueue(false, 200);
    waitQueue(true, kStallMs);
  }
  // Closing the master is the hang-up the client sees; the handset is gone after it.
  CloseFd(master);
  CloseFd(slave);
}

void PhoneSim::Impl::serve() {
  // A paced reply wakes at each byte deadline; the default 50 us timer slack would add up to
  // a visible share of a short exchange.
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
  char buffer[4096];
  while (!stopping) {
    pollfd fds[2] = {{master, POLLIN, 0}, {wakeRead, POLLIN, 0}};
    const int r = ::poll(fds, 2, 1000);
    if (r < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (r == 0) continue;
    if ((fds[0].revents & POLLIN) != 0) {
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) {
        bytesIn += n;
        framer.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
        while (auto ev = framer.next()) {
          if (!handle(*ev)) return;
        }
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    }
    // A hang-up or error on the master (not expected while the slave is held open): back
    // off instead of spinning on it.
    if (!sleepUntil(SteadyClock::now() + std::chrono::milliseconds(50))) return;
  }
}

PhoneSim::PhoneSim(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

PhoneSim::~PhoneSim() {
  impl_->stop();
}

void PhoneSim::start() {
  impl_->start();
}

void PhoneSim::stop() {
  impl_->stop();
}

std::string PhoneSim::slavePath() const {
  return impl_->slaveName;
}

std::vector<std::string> PhoneSim::transcript() const {
  std::lock_guard lock(impl_->logMu);
  return impl_->transcript;
}

void PhoneSim::clearTranscript() {
  std::lock_guard lock(impl_->logMu);
  impl_->transcript.clear();
}

int PhoneSim::exchanges() const {
  return impl_->exchanges.load();
}

int PhoneSim::faultsStruck() const {
  return impl_->struck.load();
}

std::int64_t PhoneSim::bytesReceived() const {
  return impl_->bytesIn.load();
}

std::int64_t PhoneSim::bytesSent() const {
  return impl_->bytesOut.load();
}

std::vector<std::string> PhoneSim::replayMismatches() const {
  std::lock_guard lock(impl_->engineMu);
  return impl_->replay ? impl_->replay->mismatches() : std::vector<std::string>{};
}

int PhoneSim::replayLeft() const {
  std::lock_guard lock(impl_->engineMu);
  return impl_->replay ? impl_->replay->left() : 0;
}

HandsetState PhoneSim::state() const {
  std::lock_guard lock(impl_->engineMu);
  return impl_->engine.state();
}

}  // namespace quorvex::sim
