// The soak: a seeded random run of the window's operations against the simulated handset,
// with a fault injected now and then, each result checked against the handset's state, and
// the process's open descriptors and memory taken before and after. The bench program runs
// it long and prints its report; the reliability test runs it short. Both call Run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvex::soak {

enum class Op {
  PbRead,
  PbAdd,
  PbEdit,
  PbDelete,
  DbRead,
  DbAdd,
  DbDelete,
  SmsRead,
  SmsStore,
  SmsSend,
  SmsDelete,
  SmsMark,
  Info,
  Battery,
  Terminal,
  Clock,
};
inline constexpr int kOps = 16;

enum class Fault { None, Split, Silent, Hangup, Garbage, ErrorOn };
inline constexpr int kFaults = 6;

const char* OpName(Op op);
const char* FaultName(Fault fault);

// What the process holds: open descriptors (/proc/self/fd), resident set (VmRSS) and the
// heap in use (mallinfo2's uordblks).
struct Resources {
  int fds = 0;
  long rssKb = 0;
  std::size_t heapBytes = 0;
};
Resources Measure();

struct Config {
  int operations = 10000;
  std::uint32_t seed = 1;
  // Operations run before the starting figures are taken, so that what is built once per run
  // (lists grown to their size, the allocator's pools) is in place at both measurements.
  int warmup = 200;
  // Share of the operations that run against a faulty handset, in percent.
  int faultPercent = 5;
  // The reply time-out of portcfg.ini; the short operations keep the port's own 1000 ms.
  int timeoutMs = 200;
  // A scratch directory of its own (portcfg.ini, the handset's state, the message archive);
  // made when missing and removed at the end.
  std::string workDir;
  // Where the handset pictures are; empty: none are shown.
  std::string pictureDir;
  // Failures past this many are counted but not described.
  int keepFailures = 40;
};

struct Cell {
  int runs = 0;
  int struck = 0;  // runs in which the fault changed at least one answer
  double seconds = 0;
};

struct Report {
  std::array<std::array<Cell, kFaults>, kOps> cells{};
  int operations = 0;     // every operation run after the warm-up
  int failed = 0;         // operations whose result was not the expected one
  int handsetStarts = 0;  // simulated handsets started, warm-up included
  int warmupOperations = 0;
  double warmupSeconds = 0;
  std::vector<std::string> failures;
  // Taken after the warm-up, half-way and at the end, each time with the same handset state and
  // the lists emptied. The second half no longer pays for what an operation builds on its
  // first use with a rare fault, so its growth is the sharper figure.
  Resources start, middle, end;
  double seconds = 0;  // the measured part
};

// Runs the warm-up and then config.operations operations. Throws std::runtime_error only when
// the run cannot be set up (no pty, no scratch directory).
Report Run(const Config& config);

// The failures kept, one "FAILED ..." line each, in UTF-8 for a terminal.
std::string FailureList(const Report& report);

}  // namespace quorvex::soak
