#include "soak_report.h"

#include <array>
#include <cstdio>
#include <sstream>

namespace quorvex::soak {

namespace {

std::string Pad(const std::string& s, std::size_t width, bool right = false) {
  if (s.size() >= width) return s;
  const std::string fill(width - s.size(), ' ');
  return right ? fill + s : s + fill;
}

}  // namespace

std::string FormatReport(const Report& r) {
  std::ostringstream out;
  out << Pad("operation", 12);
  for (int f = 0; f < kFaults; ++f) out << Pad(FaultName(static_cast<Fault>(f)), 12, true);
  out << Pad("ms/op", 9, true) << "\n";
  std::array<int, kFaults> columnRuns{}, columnStruck{};
  std::array<double, kFaults> columnSeconds{};
  for (int o = 0; o < kOps; ++o) {
    out << Pad(OpName(static_cast<Op>(o)), 12);
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
  return out.str() + FailureList(r);
}

}  // namespace quorvex::soak
