#include "sim/phone_sim.h"

#include "serial/unsolicited.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace quorvex::sim {
namespace {

using Clock = std::chrono::steady_clock;

int OpenFdCount() {
  int n = 0;
  DIR* d = opendir("/proc/self/fd");
  while (readdir(d) != nullptr) ++n;
  closedir(d);
  return n;
}

double MsSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// The port side of the pty, with raw descriptors and bounded waits. Given the handset, a wait
// ends as soon as the handset is idle, as nothing can come then.
class Client {
 public:
  explicit Client(const std::string& path, const PhoneSim* handset = nullptr)
      : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)), handset_(handset) {
    EXPECT_GE(fd_, 0) << path;
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
    tcflush(fd_, TCIOFLUSH);  // as the port object does when it opens
  }
  ~Client() {
    if (fd_ >= 0) close(fd_);
  }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  void send(std::string_view bytes) {
    ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Collects bytes until they end with one of `ends` (none: until the time is up) or the
  // line hangs up. Reads are counted, and the arrival of the first and last byte noted.
  std::string read(std::vector<std::string_view> ends, int timeoutMs) {
    std::string got;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
      if (left <= 0) break;
      pollfd pfd{fd_, POLLIN, 0};
      if (poll(&pfd, 1, handset_ != nullptr ? std::min(left, 2) : left) <= 0) {
        if (handset_ != nullptr && handset_->idle()) break;
        continue;
      }
      char buffer[4096];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) {
        if (n < 0 && errno == EAGAIN) continue;
        hungUp = true;
        break;
      }
      if (got.empty()) firstByte = Clock::now();
      lastByte = Clock::now();
      ++reads;
      got.append(buffer, static_cast<std::size_t>(n));
      bool done = false;
      for (const std::string_view end : ends) {
        done |=
            got.size() >= end.size() && got.compare(got.size() - end.size(), end.size(), end) == 0;
      }
      if (done) break;
    }
    return got;
  }

  std::string exchange(std::string_view command, int timeoutMs = 2000) {
    send(command);
    return read({"\r\nOK\r\n", "\r\nERROR\r\n"}, timeoutMs);
  }

  bool hungUp = false;
  int reads = 0;
  Clock::time_point firstByte, lastByte;

 private:
  int fd_;
  const PhoneSim* handset_;
};

SimOptions Quiet() {
  SimOptions o;
  o.demoData = true;
  return o;
}

// Starts the handset and opens its port side.
Client Connect(PhoneSim& sim) {
  sim.start();
  return Client(sim.slavePath(), &sim);
}

// What a handset started with `o` under `seed` sends back to `command` sent `times` times,
// each reply read for `ms`; with `greet`, after "AT" has had its plain OK.
std::string SeededReplies(SimOptions o, std::uint32_t seed, bool greet, std::string_view command,
                          int times, int ms) {
  o.seed = seed;
  PhoneSim sim(o);
  Client c = Connect(sim);
  if (greet) {
    EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
  }
  std::string all;
  for (int i = 0; i < times; ++i) {
    c.send(command);
    all += c.read({}, ms);
  }
  return all;
}

TEST(PhoneSim, AnswersOverThePtyAndKeepsATranscript) {
  PhoneSim sim(Quiet());
  Client c = Connect(sim);
  EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
  c.send("ATE0\r\nAT\r");
  EXPECT_EQ(c.read({"OK\r\n\r\nOK\r\n"}, 2000), "ATE0\r\r\nOK\r\n\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+CBC\r"), "\r\n+CBC: 0,80\r\n\r\nOK\r\n");
  EXPECT_EQ(sim.transcript(), (std::vector<std::string>{"AT", "ATE0", "AT", "AT+CBC"}));
  EXPECT_EQ(sim.exchanges(), 4);
  sim.clearTranscript();
  EXPECT_TRUE(sim.transcript().empty());
}

TEST(PhoneSim, EchoOptionSetsThePowerOnEcho) {
  SimOptions o = Quiet();
  o.echo = false;
  PhoneSim sim(o);
  Client c = Connect(sim);
  EXPECT_EQ(c.exchange("AT\r"), "\r\nOK\r\n");
  EXPECT_EQ(c.exchange("ATE1\r"), "\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
}

TEST(PhoneSim, TakesAStoreCommandAndItsTextInOneWrite) {
  PhoneSim sim(Quiet());
  Client c = Connect(sim);
  EXPECT_EQ(c.exchange("AT+CSCS=UCS2\r"), "AT+CSCS=UCS2\r\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+CMGW=\"+700\"\r0041\x1a\r"),
            "AT+CMGW=\"+700\"\r\r\n> 0041\r\n+CMGW: 5\r\n\r\nOK\r\n");
  // The CR after Ctrl-Z is no command: the next exchange is clean.
  EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
  EXPECT_EQ(sim.transcript(),
            (std::vector<std::string>{"AT+CSCS=UCS2", "AT+CMGW=\"+700\"", "0041", "AT"}));
  EXPECT_EQ(sim.exchanges(), 3);
  EXPECT_EQ(sim.state().messages.at(5).text, "A");
}

TEST(PhoneSim, ServesClientsThatComeAndGo) {
  PhoneSim sim(Quiet());
  sim.start();
  for (int i = 0; i < 3; ++i) {
    Client c(sim.slavePath());
    EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n") << "client " << i;
  }
  // A client that leaves before reading its reply does not disturb the next one.
  { Client(sim.slavePath()).send("AT+CGMI\r"); }
  usleep(100'000);
  Client c(sim.slavePath());
  EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
}

TEST(PhoneSim, SilentAfterStopsAnswering) {
  SimOptions o = Quiet();
  o.silentAfter = 1;
  PhoneSim sim(o);
  Client c = Connect(sim);
  EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
  c.send("AT\r");
  EXPECT_EQ(c.read({}, 300), "");
  EXPECT_FALSE(c.hungUp);
  EXPECT_EQ(sim.transcript().size(), 2u);
  EXPECT_EQ(sim.exchanges(), 1);
}

TEST(PhoneSim, HangupAfterSendsHalfAReplyAndHangsUp) {
  SimOptions o = Quiet();
  o.hangupAfter = 1;
  PhoneSim sim(o);
  Client c = Connect(sim);
  EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
  c.send("AT+CGMI\r");
  const std::string full = "AT+CGMI\r\r\n+CGMI: \"Motorola CE, Copyright 2000\"\r\n\r\nOK\r\n";
  EXPECT_EQ(c.read({}, 2000), full.substr(0, full.size() / 2));
  EXPECT_TRUE(c.hungUp);
}

TEST(PhoneSim, GarbageAfterSendsSeededNoiseWithoutAFinalLine) {
  SimOptions o = Quiet();
  o.garbageAfter = 1;
  const auto noise = [&](std::uint32_t seed) {
    return SeededReplies(o, seed, true, "AT+CGMI\r", 1, 300);
  };
  const std::string a = noise(7);
  ASSERT_FALSE(a.empty());
  for (const char must : {'\r', '\n', '\0'}) EXPECT_NE(a.find(must), std::string::npos);
  bool high = false;
  for (const char ch : a) high |= static_cast<unsigned char>(ch) >= 0x80;
  EXPECT_TRUE(high);
  EXPECT_EQ(a.find("OK"), std::string::npos);
  EXPECT_EQ(a.find("ERROR"), std::string::npos);
  EXPECT_EQ(noise(7), a);
  EXPECT_NE(noise(8), a);
}

TEST(PhoneSim, ErrorOnRefusesTheCommandsNamedAndCountsThem) {
  SimOptions o = Quiet();
  o.errorOn = {"AT+CGMI", "AT+CPBS=MT"};
  PhoneSim sim(o);
  Client c = Connect(sim);
  EXPECT_EQ(c.exchange("AT+CGMI\r"), "AT+CGMI\r\r\nERROR\r\n");
  EXPECT_EQ(c.exchange("AT+CPBS=MT\r"), "AT+CPBS=MT\r\r\nERROR\r\n");
  EXPECT_EQ(c.exchange("AT+CPBS=ME\r"), "AT+CPBS=ME\r\r\nOK\r\n");
  EXPECT_EQ(sim.exchanges(), 3);
}

// Takes every framed code of the table out of what the handset sent, counting them.
std::string WithoutCodes(std::string bytes, int& codes) {
  codes = 0;
  for (bool found = true; found;) {
    found = false;
    for (const UnsolicitedCode& c : UnsolicitedCodes()) {
      std::string framed = "\r\n" + std::string(c.sample) + "\r\n";
      if (c.dataLine) framed += std::string(c.sampleData) + "\r\n";
      const std::size_t at = bytes.find(framed);
      if (at == std::string::npos) continue;
      bytes.erase(at, framed.size());
      ++codes;
      found = true;
    }
  }
  return bytes;
}

TEST(PhoneSim, UnsolicitedCodesGoWhereTheyAreAsked) {
  struct Case {
    bool before, between, after;
    int codes;
  };
  // Before the echo, at the one boundary between the answer line and OK, after OK.
  for (const Case& k : {Case{true, true, true, 3}, Case{true, false, false, 1},
                        Case{false, true, false, 1}, Case{false, false, true, 1}}) {
    SimOptions o = Quiet();
    o.unsolicitedOneIn = 1;
    o.unsolicitedBeforeEcho = k.before;
    o.unsolicitedBetweenLines = k.between;
    o.unsolicitedAfterResult = k.after;
    PhoneSim sim(o);
    Client c = Connect(sim);
    c.send("AT+CBC\r");
    const std::string raw = c.read({}, 300);
    int codes = 0;
    EXPECT_EQ(WithoutCodes(raw, codes), "AT+CBC\r\r\n+CBC: 0,80\r\n\r\nOK\r\n") << raw;
    EXPECT_EQ(codes, k.codes) << raw;
    if (k.before) {
      EXPECT_EQ(raw.rfind("\r\n", 0), 0u) << raw;
    }
    if (k.after) {
      EXPECT_NE(raw.substr(raw.size() - 4), "OK\r\n") << raw;
    }
    EXPECT_EQ(sim.faultsStruck(), 1);
    EXPECT_EQ(sim.transcript(), std::vector<std::string>{"AT+CBC"});
  }
}

TEST(PhoneSim, UnsolicitedCodesAreSeededAndNeverTheCommandsOwn) {
  SimOptions o = Quiet();
  o.unsolicitedOneIn = 2;
  const auto run = [&](std::uint32_t seed) {
    return SeededReplies(o, seed, false, "AT+CREG?\r", 20, 60);
  };
  const std::string a = run(3);
  EXPECT_EQ(a.find("+CREG:"), std::string::npos);
  EXPECT_NE(a.find("+CGREG:"), std::string::npos) << "some code was sent in twenty replies";
  EXPECT_EQ(run(3), a);
  EXPECT_NE(run(4), a);
}

TEST(PhoneSim, AHandsetThatNeedsMode2RefusesTheBookCommandsUntilSwitched) {
  SimOptions o = Quiet();
  o.needsMode2 = true;
  PhoneSim sim(o);
  Client c = Connect(sim);
  for (const char* command : {"AT+MPBR=?\r", "AT +MPGR=?\r", "AT+MDBR=?\r", "AT+MDBL=1\r"})
    EXPECT_EQ(c.exchange(command), std::string(command) + "\r\nERROR\r\n");
  EXPECT_EQ(c.exchange("AT+CPBS=MT\r"), "AT+CPBS=MT\r\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+MODE=?\r"), "AT+MODE=?\r\r\n+MODE: (0,2)\r\n\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+MODE=1\r"), "AT+MODE=1\r\r\nERROR\r\n");
  EXPECT_EQ(c.exchange("AT+MODE=2\r"), "AT+MODE=2\r\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+MODE?\r"), "AT+MODE?\r\r\n+MODE: 2\r\n\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+MDBL=1\r"), "AT+MDBL=1\r\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+MDBL=0\r"), "AT+MDBL=0\r\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+MODE=0\r"), "AT+MODE=0\r\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+MDBL=1\r"), "AT+MDBL=1\r\r\nERROR\r\n");
  EXPECT_EQ(c.exchange("AT+MODE=2;Z\r"), "AT+MODE=2;Z\r\r\nOK\r\n");
  EXPECT_EQ(c.exchange("AT+MPBR=?\r"), "AT+MPBR=?\r\r\nERROR\r\n") << "a reset leaves mode 2";

  // A handset of the older kind takes the book commands as they come and no mode but 0.
  PhoneSim older(Quiet());
  Client d = Connect(older);
  EXPECT_EQ(d.exchange("AT+MODE=2\r"), "AT+MODE=2\r\r\nERROR\r\n");
  EXPECT_EQ(d.exchange("AT+MDBL=1\r"), "AT+MDBL=1\r\r\nOK\r\n");
}

// Whether the handset becomes idle within two seconds.
bool BecomesIdle(const PhoneSim& sim) {
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (!sim.idle() && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return sim.idle();
}

// Idle means nothing can come: never while a command waits to be read, a reply to be taken
// or a latency to pass; always once the handset has hung up. Every handset of the process
// must be idle for the port objects' test time to skip a wait, and one at least must run.
TEST(PhoneSim, IdleOnlyWhenNothingCanCome) {
  EXPECT_FALSE(PhoneSim::EveryHandsetIdle()) << "no handset runs";
  SimOptions o = Quiet();
  o.latencyMs = 150;
  o.hangupAfter = 1;
  PhoneSim sim(o);
  Client c = Connect(sim);
  EXPECT_TRUE(BecomesIdle(sim));
  c.send("AT\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(sim.idle()) << "within the latency";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(sim.idle()) << "the reply is not read yet";
  PhoneSim other(Quiet());
  other.start();
  EXPECT_TRUE(BecomesIdle(other));
  EXPECT_FALSE(PhoneSim::EveryHandsetIdle()) << "one handset is not idle";
  EXPECT_EQ(c.read({"\r\nOK\r\n"}, 2000), "AT\r\r\nOK\r\n");
  EXPECT_TRUE(BecomesIdle(sim));
  EXPECT_TRUE(PhoneSim::EveryHandsetIdle());
  c.send("AT+CGMI\r");
  EXPECT_FALSE(c.read({}, 2000).empty());
  EXPECT_TRUE(c.hungUp);
  EXPECT_TRUE(BecomesIdle(sim)) << "a handset that hung up sends nothing again";
}

// Each piece of one to three bytes waits until the client has read the one before (or a
// millisecond), so a client that keeps reading gets every piece in a read of its own.
TEST(PhoneSim, SplitWritesSmallPiecesWithPauses) {
  SimOptions o = Quiet();
  o.split = true;
  PhoneSim sim(o);
  Client c = Connect(sim);
  const std::string reply = c.exchange("AT+CGMM\r");
  EXPECT_EQ(reply,
            "AT+CGMM\r\r\n+CGMM: \"GSM900\",\"GSM1800\",\"GSM1900\",\"MODEL=C350\"\r\n\r\nOK\r\n");
  EXPECT_GE(c.reads, static_cast<int>(reply.size() / 6));
}

TEST(PhoneSim, LatencyDelaysTheReplyButNotTheEcho) {
  SimOptions o = Quiet();
  o.latencyMs = 200;
  PhoneSim sim(o);
  Client c = Connect(sim);
  const auto start = Clock::now();
  EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
  const double echoMs = std::chrono::duration<double, std::milli>(c.firstByte - start).count();
  EXPECT_LT(echoMs, 150);
  EXPECT_GE(MsSince(start), 200);
}

// Paced output is never faster than the line; how close it comes to the rate is measured
// by bench/sim_pacing_bench.
TEST(PhoneSim, PacesOutputNoFasterThanTheLineRate) {
  char dir[] = "/tmp/quorvex-pace-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/state.txt";
  HandsetState st = EmptyState();
  for (int i = 1; i <= 6; ++i) {
    PhoneEntry e;
    e.number = "+7916123" + std::to_string(1000 + i);
    e.format = 145;
    e.name = "Name " + std::to_string(i);
    st.entries[i] = e;
  }
  SaveStateFile(path, st);
  SimOptions o = Quiet();
  o.baud = 19200;
  o.stateFile = path;
  o.echo = false;
  PhoneSim sim(o);
  Client c = Connect(sim);
  // From the command on: the line cannot have carried the last byte any sooner, however
  // late this side reads the first.
  const auto sent = Clock::now();
  const std::string reply = c.exchange("AT+MPBR=1,6\r");
  ASSERT_EQ(reply.substr(reply.size() - 6), "\r\nOK\r\n");
  ASSERT_GT(reply.size(), 150u);
  const double seconds = std::chrono::duration<double>(c.lastByte - sent).count();
  EXPECT_GE(seconds, static_cast<double>(reply.size()) / 1920.0) << reply.size() << " bytes";
  std::remove(path.c_str());
  rmdir(dir);
}

TEST(PhoneSim, ReplaysATranscriptEchoingAsTheHandsetWould) {
  char path[] = "/tmp/quorvex-replay-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string transcript =
      "> AT+CGMM\n< +CGMM: \"MODEL=V60\"\n< RING\n< OK\n"
      "> ATE0\n< OK\n"
      "> AT+CMGW\n= \\r\\n> \n"
      "> 0041\\r0042\n< +CMGW: 7\n< OK\n";
  ASSERT_EQ(write(fd, transcript.data(), transcript.size()),
            static_cast<ssize_t>(transcript.size()));
  close(fd);
  SimOptions o = Quiet();
  o.replayFile = path;
  o.errorOn = {"AT+CPBS"};
  PhoneSim sim(o);
  Client c = Connect(sim);
  const struct {
    std::string send, reply;
  } steps[] = {
      {"AT+CGMM\r", "AT+CGMM\r\r\n+CGMM: \"MODEL=V60\"\r\n\r\nRING\r\n\r\nOK\r\n"},
      {"AT+CGMI\r", "AT+CGMI\r\r\nERROR\r\n"},
      {"ATE0\r", "ATE0\r\r\nOK\r\n"},
      {"AT+CPBS=ME\r", "\r\nERROR\r\n"},
      {"AT+CMGW\r", "\r\n> "},
      {"0041\r", "\r\n> "},
      {"0042\x1A", "\r\n+CMGW: 7\r\n\r\nOK\r\n"},
      {"AT\r", "\r\nERROR\r\n"},
  };
  for (const auto& step : steps) {
    c.send(step.send);
    EXPECT_EQ(c.read({"\r\nOK\r\n", "\r\nERROR\r\n", "> "}, 2000), step.reply) << step.send;
  }
  EXPECT_EQ(sim.replayMismatches(), (std::vector<std::string>{"line 5: expected ATE0, got AT+CGMI",
                                                              "after the end: got AT"}));
  EXPECT_EQ(sim.replayLeft(), 0);
  EXPECT_EQ(sim.transcript(), (std::vector<std::string>{"AT+CGMM", "AT+CGMI", "ATE0", "AT+CPBS=ME",
                                                        "AT+CMGW", "0041\r0042", "AT"}));
  sim.stop();

  // A transcript that cannot be read stops the start, naming the file and the line.
  const std::string broken = "> AT\n< OK\nOK\n";
  std::FILE* f = std::fopen(path, "w");
  ASSERT_NE(f, nullptr);
  std::fputs(broken.c_str(), f);
  std::fclose(f);
  PhoneSim bad(o);
  try {
    bad.start();
    ADD_FAILURE() << "started with a broken transcript";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              std::string(path) + ": transcript line 3: not a command, reply or comment: OK");
  }
  const std::string program = std::string(QUORVEX_PHONESIM) + " --replay " + path + " 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(program.c_str())), 1);
  unlink(path);
}

TEST(PhoneSim, StopReleasesEveryDescriptor) {
  const int before = OpenFdCount();
  {
    PhoneSim sim(Quiet());
    Client c = Connect(sim);
    EXPECT_EQ(c.exchange("AT\r"), "AT\r\r\nOK\r\n");
    sim.stop();
    sim.stop();
  }
  EXPECT_EQ(OpenFdCount(), before);
  {
    PhoneSim sim(Quiet());
    sim.start();
  }
  EXPECT_EQ(OpenFdCount(), before);
  {
    SimOptions o = Quiet();
    o.hangupAfter = 0;
    PhoneSim sim(o);
    Client c = Connect(sim);
    c.send("AT\r");
    c.read({}, 1000);
  }
  EXPECT_EQ(OpenFdCount(), before);
}

TEST(PhoneSim, StateFileKeepsTheHandsetAcrossRuns) {
  char dir[] = "/tmp/quorvex-sim-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/handset.txt";
  SimOptions o = Quiet();
  o.stateFile = path;
  o.echo = false;
  {
    PhoneSim sim(o);
    sim.start();
    HandsetState saved;
    ASSERT_TRUE(LoadStateFile(path, saved));
    EXPECT_EQ(saved, DemoState());
    Client c(sim.slavePath());
    EXPECT_EQ(c.exchange("AT+CPBS=AD;+MPBW=9,\"+1\",145,\"Z\",3,0,255,0,1\r"), "\r\nOK\r\n");
    // Saved before the reply went out.
    ASSERT_TRUE(LoadStateFile(path, saved));
    EXPECT_EQ(saved.entries.at(9).name, "Z");
  }
  o.demoData = false;
  PhoneSim again(o);
  Client c = Connect(again);
  EXPECT_EQ(c.exchange("AT+CPBS=MT;+MPBR=9\r"),
            "\r\n+MPBR: 9,\"+1\",145,\"Z\",3,0,255,0,1,0,255,255,0\r\n\r\nOK\r\n");
  again.stop();
  std::remove(path.c_str());
  rmdir(dir);
}

// The standalone program: first line the device, a link to it while it runs, a clean exit.
TEST(PhoneSimProgram, ServesUntilTerminatedAndRemovesItsLink) {
  char dir[] = "/tmp/quorvex-prog-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string link = std::string(dir) + "/phone";
  ASSERT_EQ(symlink("/dev/nonexistent-pts", link.c_str()), 0);  // a stale one to replace
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    execl(QUORVEX_PHONESIM, QUORVEX_PHONESIM, "--model", "T720", "--empty", "--long-entries",
          "--link", link.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string first;
  char ch = 0;
  while (read(out[0], &ch, 1) == 1 && ch != '\n') first += ch;
  close(out[0]);
  ASSERT_EQ(first.rfind("/dev/pts/", 0), 0u) << first;
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(first, target);
  {
    Client c(link);
    EXPECT_EQ(
        c.exchange("AT+CGMM\r"),
        "AT+CGMM\r\r\n+CGMM: \"GSM900\",\"GSM1800\",\"GSM1900\",\"MODEL=T720\"\r\n\r\nOK\r\n");
    EXPECT_EQ(c.exchange("AT+CPBS=MT;+MPBR=1,30\r"), "AT+CPBS=MT;+MPBR=1,30\r\r\nOK\r\n");
    EXPECT_EQ(c.exchange("AT+MPBW=3,\"+3\",145,\"C\",3,0,255,0,1;+MPBR=3\r"),
              "AT+MPBW=3,\"+3\",145,\"C\",3,0,255,0,1;+MPBR=3\r\r\n"
              "+MPBR: "
              "3,\"+3\",145,\"C\",3,0,255,0,1,0,255,255,0,\"\",0,0,,,,,,,,\"\",\"\"\r\n\r\nOK\r\n");
    EXPECT_EQ(c.exchange("AT+MPBR=?\r"),
              "AT+MPBR=?\r\r\n+MPBR: 1-750,40,24,14,0-1,64,(255),(0),(0-255),(0-1),(0-255),(0-1),"
              "264\r\n\r\nOK\r\n");
  }
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(access(link.c_str(), F_OK), 0);
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0);
  rmdir(dir);

  for (const char* bad : {" --baud fast", " --unsolicited 0", " --unsolicited-at before,inside",
                          " --unsolicited-at"}) {
    const std::string line = std::string(QUORVEX_PHONESIM) + bad + " 2>/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(line.c_str())), 2) << bad;
  }
  const std::string help = std::string(QUORVEX_PHONESIM) + " --help | grep -q -- --long-entries";
  EXPECT_EQ(WEXITSTATUS(std::system(help.c_str())), 0);
}

}  // namespace
}  // namespace quorvex::sim
