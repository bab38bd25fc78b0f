#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "sim/phone_sim_impl.h"

namespace quorvex::sim {

namespace {

// Whether bytes wait to be read on this end of the pty. Unlike FIONREAD, poll first moves
// what is still on its way from the other end into the queue, so bytes just written count.
bool Unread(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
}

// The live handsets of this process, for EveryHandsetIdle.
std::mutex runningMu;
std::vector<const PhoneSim*> running;

}  // namespace

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
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
    // The next piece waits until the client has read this one, or a millisecond, so that
    // the pieces reach it in reads of their own.
    if (opt.split && pos < data.size() && !awaitTaken(1)) return false;
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

// Writes half the reply and closes the line.
void PhoneSim::Impl::hangUp(const EngineReply& reply) {
  const std::string all = reply.echo + reply.answer;
  writeOut(std::string_view(all).substr(0, all.size() / 2));
  // A hang-up discards what the client has not read yet, so let it take the half first.
  if (all.size() >= 2) awaitTaken(kStallMs);
  // Closing the master is the hang-up the client sees; the handset is gone after it.
  CloseFd(master);
  CloseFd(slave);
}

bool PhoneSim::Impl::awaitTaken(int ms) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(ms);
  while (Unread(slave) && SteadyClock::now() < deadline) {
    if (!sleepUntil(std::min(deadline, SteadyClock::now() + std::chrono::microseconds(20))))
      return false;
  }
  return true;
}

void PhoneSim::Impl::setServing(bool waitingForInput, bool stopped) {
  std::lock_guard lock(idleMu);
  waiting = waitingForInput;
  done = done || stopped;
}

bool PhoneSim::Impl::idle() const {
  std::lock_guard lock(idleMu);
  return done || (waiting && !Unread(master) && !Unread(slave));
}

bool PhoneSim::idle() const {
  return impl_->idle();
}

void PhoneSim::enlist(bool live) {
  std::lock_guard lock(runningMu);
  std::erase(running, this);
  if (live) running.push_back(this);
}

bool PhoneSim::EveryHandsetIdle() {
  std::lock_guard lock(runningMu);
  return !running.empty() &&
         std::all_of(running.begin(), running.end(), [](const PhoneSim* p) { return p->idle(); });
}

}  // namespace quorvex::sim
