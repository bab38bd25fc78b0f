// What the benchmarks share: a user interface with nothing behind it and a reporter that
// keeps the figures it prints. Their scratch directory is the tests' (scratch_dir.h).
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/user_interface.h"

namespace quorvex::bench {

// No box is expected: each is counted and its text kept (and, when asked, printed to
// stderr so a failed run says why); pumps and pauses cost nothing.
class QuietUi : public UserInterface {
 public:
  explicit QuietUi(bool printBoxes = false) : printBoxes_(printBoxes) {}
  MsgResult messageBox(const std::string& text, MsgKind, MsgButtons) override;
  void showStandardError(const std::string& message) override;
  std::optional<std::string> chooseOpenFile(const std::string&) override { return {}; }
  std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
    return {};
  }
  void processEvents(bool) override {}
  void pause(int) override {}
  LocalTime now() override { return {}; }
  void setBusyCursor(bool) override {}
  void openUrl(const std::string&) override {}

  int boxes = 0;
  std::string texts;

 private:
  void note(const std::string& text, const char* kind);
  bool printBoxes_;
};

// The console's report, with every run's counters kept for the summary line.
class FigureReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  std::map<std::string, std::map<std::string, double>> byBenchmark;
  std::map<std::string, double> counters;  // of all runs; where a name repeats, the last
  double realTime = 0;                     // the last run's per iteration, in its own unit
};

}  // namespace quorvex::bench
