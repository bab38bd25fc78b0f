// The soak: operations in random order, with random faults, against the simulated handset;
// prints the operations by fault, the failures, and the process's open descriptors and
// memory before and after.
//
//   soak_bench [OPERATIONS [SEED [FAULT-PERCENT]]]     defaults 10000, 1, 5
//
// Exits 1 when an operation gave another result than expected, a descriptor stayed open or
// the heap in use grew by more than kHeapSlack.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "soak_report.h"

namespace {

constexpr long long kHeapSlack = 64 * 1024;

int Arg(int argc, char** argv, int i, int fallback) {
  if (argc <= i) return fallback;
  char* end = nullptr;
  const long v = std::strtol(argv[i], &end, 10);
  if (end == argv[i] || *end != '\0' || v < 0) {
    std::fprintf(stderr, "soak_bench: '%s' is no count\n", argv[i]);
    std::exit(2);
  }
  return static_cast<int>(v);
}

}  // namespace

int main(int argc, char** argv) {
  quorvex::soak::Config config;
  config.operations = Arg(argc, argv, 1, 10000);
  config.seed = static_cast<std::uint32_t>(Arg(argc, argv, 2, 1));
  config.faultPercent = Arg(argc, argv, 3, config.faultPercent);
#ifdef QUORVEX_DATA_DIR
  config.pictureDir = QUORVEX_DATA_DIR;
#endif
  std::printf("soak: %d operations, seed %u, %d%% against a faulty handset\n", config.operations,
              config.seed, config.faultPercent);
  const quorvex::soak::Report r = quorvex::soak::Run(config);
  std::fputs(quorvex::soak::FormatReport(r).c_str(), stdout);
  const long long grown =
      static_cast<long long>(r.end.heapBytes) - static_cast<long long>(r.start.heapBytes);
  const bool ok = r.failed == 0 && r.end.fds == r.start.fds && grown <= kHeapSlack;
  std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
  return ok ? 0 : 1;
}
