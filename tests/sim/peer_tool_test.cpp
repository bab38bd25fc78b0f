// A peer tool against the simulated handset: Debian's gammu run as a child process on the
// handset's pty, reading its identity, both phone books and every message. Skipped where
// gammu is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../scratch_dir.h"
#include "sim/phone_sim.h"

namespace quorvex::sim {
namespace {

namespace fs = std::filesystem;

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const fs::path candidate = fs::path(dir.empty() ? "." : dir) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

struct ToolRun {
  int status = -1;
  std::string out;
};

class PeerTool : public ::testing::Test {
 protected:
  void SetUp() override {
    gammu_ = FindOnPath("gammu");
    if (gammu_.empty()) GTEST_SKIP() << "gammu is not installed: the peer tool test is skipped";
    dir_ = testing::MakeScratchDir("qv-peer");
    SimOptions o;
    o.bareImsi = true;
    phone_ = std::make_unique<PhoneSim>(o);
    phone_->start();
    std::ofstream(dir_ / "gammurc")
        << "[gammu]\ndevice = " << phone_->slavePath() << "\nconnection = at115200\n";
  }
  void TearDown() override {
    phone_.reset();
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  // gammu with a UTF-8 locale, its output caught in a file; killed after a minute.
  ToolRun gammu(std::vector<std::string> args) const {
    args.insert(args.begin(), {"timeout", "60", gammu_, "-c", (dir_ / "gammurc").string()});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string locale = "LC_ALL=C.UTF-8", home = "HOME=" + dir_.string();
    char* envp[] = {locale.data(), home.data(), nullptr};
    const std::string out = (dir_ / "stdout").string();
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ToolRun r;
    const int spawned = posix_spawnp(&pid, "timeout", &fa, nullptr, argv.data(), envp);
    posix_spawn_file_actions_destroy(&fa);
    EXPECT_EQ(spawned, 0);
    if (spawned != 0) return r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::ifstream in(out, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    r.out = ss.str();
    return r;
  }

  std::string gammu_;
  fs::path dir_;
  std::unique_ptr<PhoneSim> phone_;
};

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(PeerTool, ReadsIdentityPhoneBooksAndMessages) {
  const struct {
    std::vector<std::string> args;
    std::string counted;
    std::size_t count;
    std::vector<std::string> blocks;
  } cases[] = {
      {{"identify"},
       "IMEI",
       1,
       {"Manufacturer         : Motorola\n", "Firmware             : \"RC350_G_0A.11.2FR\"\n",
        "IMEI                 : 350881027364519\n", "SIM IMSI             : 250019876543210\n"}},
      {{"getallmemory", "ME"},
       "Memory ME, Location ",
       10,
       {"Memory ME, Location 1\nMobile number        : \"+79161234501\"\n"
        "Name                 : \"Иван Петров\"\n",
        "Memory ME, Location 7\nEmail                : \"olga@example.ru\"\n"
        "Name                 : \"Ольга\"\n",
        "Memory ME, Location 10\nMobile number        : \"+79037778899\"\n"
        "Name                 : \"Ёжиков Пётр\"\n",
        "Memory ME, Location 15\nGeneral number       : \"5555\"\nName                 : "
        "\"Такси\"\n"}},
      // The SIM's own numbering: the handset's 501 is its first location.
      {{"getallmemory", "SM"},
       "Memory SM, Location ",
       3,
       {"Memory SM, Location 1\nGeneral number       : \"+74959876543\"\n"
        "Name                 : \"Дом\"\n",
        "Memory SM, Location 2\nGeneral number       : \"+79168900100\"\n"
        "Name                 : \"Voice mail\"\n",
        "Memory SM, Location 5\nGeneral number       : \"84951112233\"\n"
        "Name                 : \"Бабушка\"\n"}},
      {{"getallsms"},
       "SMS message\n",
       9,
       {"Location 2, folder \"\", phone memory, Inbox folder\nSMS message\n"
        "SMSC number          : \"+79168999100\"\n"
        "Sent                 : Mon Dec  7 18:02:11 2026 +0300\n"
        "Coding               : Unicode (no compression)\n"
        "Remote number        : \"+79035551212\"\nStatus               : UnRead\n\n"
        "Встреча перенесена на 19:00, не опаздывай.\n",
        "Sent                 : Tue Dec  8 01:30:05 2026 +0100\n"
        "Coding               : Default GSM alphabet (no compression)\n"
        "Remote number        : \"+4930123456\"\nStatus               : UnRead\n\n"
        "See you tomorrow at 10; bring the papers. Anna\n",
        "Location 10, folder \"\", phone memory\nSMS message\nReference number     : 0\n"
        "Coding               : Unicode (no compression)\n"
        "Remote number        : \"+79161234501\"\nStatus               : Sent\n\n"
        "Буду через 10 минут\n",
        "Status               : UnSent\n\nЧерновик: купить хлеб, молоко\n",
        "9 SMS parts in 9 SMS sequences\n"}},
  };
  for (const auto& c : cases) {
    const ToolRun r = gammu(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0] << "\n" << r.out;
    EXPECT_EQ(Count(r.out, c.counted), c.count) << c.args[0] << "\n" << r.out;
    for (const std::string& block : c.blocks) {
      EXPECT_NE(r.out.find(block), std::string::npos) << c.args[0] << ": " << block << "\n"
                                                      << r.out;
    }
  }
  // Listing every message is reading it, on this handset as on a real one.
  for (const auto& [index, m] : phone_->state().messages) {
    EXPECT_NE(m.status, MessageStatus::RecUnread) << index;
  }
}

}  // namespace
}  // namespace quorvex::sim
