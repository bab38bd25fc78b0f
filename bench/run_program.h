// Another program run as a child: found on PATH, given its own environment, its standard
// output caught in a file, and killed when it overruns its time. Used by the peer tool's
// benchmark and its test.
#pragma once

#include <string>
#include <vector>

namespace quorvex::bench {

// The full path of `program` in a directory of PATH where it may be run; "" where none.
std::string FindOnPath(const std::string& program);

struct ProgramRun {
  int spawnError = 0;  // posix_spawn's error: nonzero when the program never ran
  int status = -1;     // the exit status, or 128 + the signal that ended it
  bool timedOut = false;
  std::string out;  // all it wrote to its standard output
};

// Runs `argv` (argv[0] a path) with nothing but `env` as its environment, standard input
// from /dev/null, standard output into `outFile` (read back whole afterwards), standard
// error dropped. After `seconds` it is killed, so a hung child cannot hang the caller.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                      const std::string& outFile, int seconds);

}  // namespace quorvex::bench
