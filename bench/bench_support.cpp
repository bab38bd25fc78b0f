#include "bench_support.h"

#include <cstdio>

namespace quorvex::bench {

void QuietUi::note(const std::string& text, const char* kind) {
  if (printBoxes_) std::fprintf(stderr, "%s%s\n", kind, text.c_str());
  ++boxes;
  texts += text;
}

MsgResult QuietUi::messageBox(const std::string& text, MsgKind, MsgButtons) {
  note(text, "box: ");
  return MsgResult::Ok;
}

void QuietUi::showStandardError(const std::string& message) {
  note(message, "");
}

void FigureReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const auto& run : runs) {
    for (const auto& [name, counter] : run.counters) {
      byBenchmark[run.benchmark_name()][name] = counter.value;
      counters[name] = counter.value;
    }
    realTime = run.GetAdjustedRealTime();
  }
  ConsoleReporter::ReportRuns(runs);
}

}  // namespace quorvex::bench
