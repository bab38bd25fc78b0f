// A peer tool against the simulated handset: Debian's gammu run as a child process on the
// handset's pty, reading its identity, both phone books and every message. Skipped where
// gammu is not installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "run_program.h"
#include "scratch_dir.h"
#include "sim/phone_sim.h"

namespace quorvex::sim {
namespace {

namespace fs = std::filesystem;

class PeerTool : public ::testing::Test {
 protected:
  void SetUp() override {
    gammu_ = bench::FindOnPath("gammu");
    if (gammu_.empty()) GTEST_SKIP() << "gammu is not installed: the peer tool test is skipped";
    dir_ = testing::MakeScratchDir("qv-peer");
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  // gammu on a handset of its own, with a UTF-8 locale and its output caught in a file;
  // killed after a minute. gammu paces its first commands by 400 ms each, so the runs go
  // side by side rather than one after the other.
  std::future<bench::ProgramRun> gammu(std::vector<std::string> args, const PhoneSim& phone) {
    const fs::path run = dir_ / std::to_string(runs_++);
    fs::create_directory(run);
    std::ofstream(run / "gammurc")
        << "[gammu]\ndevice = " << phone.slavePath() << "\nconnection = at115200\n";
    args.insert(args.begin(), {gammu_, "-c", (run / "gammurc").string()});
    return std::async(std::launch::async, [args, run] {
      return bench::RunProgram(args, {"LC_ALL=C.UTF-8", "HOME=" + run.string()},
                               (run / "stdout").string(), 60);
    });
  }

  std::string gammu_;
  fs::path dir_;
  int runs_ = 0;
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
  SimOptions o;
  o.bareImsi = true;
  std::vector<std::unique_ptr<PhoneSim>> phones;
  std::vector<std::future<bench::ProgramRun>> runs;
  for (const auto& c : cases) {
    phones.push_back(std::make_unique<PhoneSim>(o));
    phones.back()->start();
    runs.push_back(gammu(c.args, *phones.back()));
  }
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    const bench::ProgramRun r = runs[i].get();
    EXPECT_EQ(r.spawnError, 0);
    EXPECT_EQ(r.status, 0) << c.args[0] << "\n" << r.out;
    EXPECT_EQ(Count(r.out, c.counted), c.count) << c.args[0] << "\n" << r.out;
    for (const std::string& block : c.blocks) {
      EXPECT_NE(r.out.find(block), std::string::npos) << c.args[0] << ": " << block << "\n"
                                                      << r.out;
    }
  }
  // Listing every message is reading it, on this handset as on a real one.
  for (const auto& [index, m] : phones.back()->state().messages) {
    EXPECT_NE(m.status, MessageStatus::RecUnread) << index;
  }
}

}  // namespace
}  // namespace quorvex::sim
