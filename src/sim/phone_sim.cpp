#include "sim/phone_sim.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "serial/unsolicited.h"
#include "sim/phone_sim_impl.h"

namespace quorvex::sim {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("simulated handset: " + what + ": " + std::strerror(errno));
}

// Whether the client's side of the pty is set to the speed, as the line discipline keeps it.
bool ClientAtSpeed(int slave, int speed) {
  termios tio{};
  if (::tcgetattr(slave, &tio) != 0) return false;
  switch (::cfgetospeed(&tio)) {
    case B9600:
      return speed == 9600;
    case B19200:
      return speed == 19200;
    case B38400:
      return speed == 38400;
    case B57600:
      return speed == 57600;
    case B115200:
      return speed == 115200;
    case B230400:
      return speed == 230400;
    default:
      return false;
  }
}

}  // namespace

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
  done = false;
  framer = AtFramer{};
  textSoFar.clear();
  try {
    thread = std::thread([this] {
      serve();
      setServing(false, true);
    });
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
  if (opt.onCommand) opt.onCommand(line);
  std::lock_guard lock(logMu);
  transcript.push_back(std::move(line));
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

void PhoneSim::Impl::serve() {
  // A paced reply wakes at each byte deadline; the default 50 us timer slack would add up to
  // a visible share of a short exchange.
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
  char buffer[4096];
  while (!stopping) {
    pollfd fds[2] = {{master, POLLIN, 0}, {wakeRead, POLLIN, 0}};
    setServing(true);
    const int r = ::poll(fds, 2, 1000);
    setServing(false);
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
        if (opt.lineSpeed > 0 && !ClientAtSpeed(slave, opt.lineSpeed)) continue;
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
  stop();
}

void PhoneSim::start() {
  impl_->start();
  enlist(true);
}

void PhoneSim::stop() {
  enlist(false);
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
