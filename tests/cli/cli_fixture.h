// What the quorvex-cli tests share: the real program run as a child process in a scratch
// working directory named after the running test, its standard output and error caught in
// files there, and a simulated handset hosted by the test with portcfg.ini pointing at it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

extern char** environ;

namespace quorvex::clitest {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out, err;
  long millis = 0;  // from the spawn to the child's end
};

// A transcript that goes on with more commands.
inline std::vector<std::string> Concat(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// What the child's environment is: this process's own, or nothing but LC_ALL=C (a fixed
// numeric locale, so a printed share has a known decimal separator).
enum class ChildEnv { Inherit, CLocale };

// Runs quorvex-cli with `args` in `dir`, standard input from /dev/null, standard output and
// error into dir/stdout and dir/stderr. A child killed by a signal gives 128 + the signal.
inline Result RunCli(const fs::path& dir, std::vector<std::string> args, ChildEnv env) {
  args.insert(args.begin(), QUORVEX_CLI_PATH);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string lcAll = "LC_ALL=C";
  char* cLocale[] = {lcAll.data(), nullptr};
  char** envp = env == ChildEnv::CLocale ? cLocale : environ;
  const std::string out = (dir / "stdout").string(), err = (dir / "stderr").string();
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addchdir_np(&fa, dir.c_str());
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Result r;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp), 0);
  posix_spawn_file_actions_destroy(&fa);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.millis = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count());
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = Slurp(out);
  r.err = Slurp(err);
  return r;
}

// A test's scratch directory (MakeScratchDir with `prefix`) and, once hosted, its simulated
// handset.
class CliFixture : public ::testing::Test {
 protected:
  explicit CliFixture(std::string prefix, ChildEnv env = ChildEnv::Inherit)
      : prefix_(std::move(prefix)), env_(env) {}

  void SetUp() override { freshDir(); }
  void TearDown() override {
    phone_.reset();
    fs::remove_all(dir_);
  }

  // Empties the scratch directory, creating it where it is not there yet.
  void freshDir() { dir_ = ::quorvex::testing::MakeScratchDir(prefix_); }

  void writeSettings(const std::string& port, int baud = 115200, int timeout = 3000) const {
    SavePortSettings({port, baud, timeout}, (dir_ / "portcfg.ini").string());
  }

  // Starts the simulated handset with `o` and points portcfg.ini at it. With a `state` the
  // handset keeps it in handset.txt of the scratch directory; without, it starts from its own.
  sim::PhoneSim& hostPhone(sim::SimOptions o, const sim::HandsetState* state, int timeout) {
    if (state) {
      o.stateFile = (dir_ / "handset.txt").string();
      sim::SaveStateFile(o.stateFile, *state);
    }
    phone_ = std::make_unique<sim::PhoneSim>(o);
    phone_->start();
    writeSettings(phone_->slavePath(), 115200, timeout);
    return *phone_;
  }

  // After this a run first empties the handset's transcript, which then shows that run alone.
  void clearTranscriptOnRun() { clearOnRun_ = true; }

  Result run(std::vector<std::string> args) const {
    if (clearOnRun_ && phone_) phone_->clearTranscript();
    return RunCli(dir_, std::move(args), env_);
  }

  // The phone book write and erase commands in the handset's transcript.
  std::vector<std::string> phoneBookWrites() const {
    std::vector<std::string> w;
    for (const std::string& c : phone_->transcript())
      if (c.rfind("AT+MPBW=", 0) == 0) w.push_back(c);
    return w;
  }

  // A file of the scratch directory (an absolute path is taken as it is).
  std::string slurp(const fs::path& name) const { return Slurp(dir_ / name); }
  void write(const fs::path& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }

  fs::path dir_;
  std::unique_ptr<sim::PhoneSim> phone_;

 private:
  std::string prefix_;
  ChildEnv env_;
  bool clearOnRun_ = false;
};

}  // namespace quorvex::clitest
