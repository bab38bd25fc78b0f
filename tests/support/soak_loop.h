// The soak's loop: the window, the handset it talks to, and the scripted user who picks an
// operation, a fault, does the operation and checks what it left. Run in soak_loop.cpp drives
// it; the operations and the checks are files of their own.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/section_bindings.h"
#include "datebook/date_book_section.h"
#include "messages/sms_section.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"
#include "soak_run.h"
#include "soak_user.h"

namespace quorvex::soak {

// The handset model of the whole run: a grouped family, so that every column of the phone
// book and its caller groups take part.
constexpr const char* kModel = "C350";

// Bounds the random run keeps the handset within, so that it neither fills nor empties.
constexpr std::size_t kMinEntries = 4, kMaxEntries = 40;
constexpr std::size_t kMinEvents = 2, kMaxEvents = 30;
constexpr std::size_t kMaxMessages = 40;
// Commands of an operation kept for the refusals: a date book read sends about a hundred.
constexpr std::size_t kLearnedCommands = 128;

// The section of the window an operation works in: its list goes stale together.
enum class Area { PhoneBook, DateBook, Messages, Other };
Area AreaOf(Op op);

class Soak {
 public:
  explicit Soak(const Config& c);
  ~Soak() { handset_.reset(); }

  Report run();

 private:
  struct Learned {
    int exchanges = 0;                  // the most a healthy run of the operation answered
    std::vector<std::string> commands;  // what its last healthy run sent
  };

  bool allLearned() const;

  // The handset.
  std::string statePath() const { return (dir_ / "handset.txt").string(); }
  void startHandset(sim::SimOptions options);
  void startHealthy() { startHandset({}); }
  void messageArrives();

  // Picking.
  Op pick(bool warming);
  Fault pickFault();

  // One operation.
  void step(Report& report, bool counted);
  sim::SimOptions faultyOptions(Fault fault, const Learned& learned, std::string& refused);
  void learn(Learned& learned, int exchangesBefore);
  void fail(Report& report, Op op, Fault fault, int number);
  void markStale(Op op);
  void expect(bool ok, const std::string& what) {
    if (!ok && problem_.empty()) problem_ = what;
  }

  // The operations, as the user does them (soak_operations.cpp).
  void selectRow(ListModel& list, int row) { list.selectOnly(row); }
  std::string uniqueText(const char* stem) { return std::string(stem) + std::to_string(++serial_); }
  void perform(Op op);
  void addEntry();
  void editEntry();
  void deleteEntry();
  void deleteRow(ListModel& list, const char* button);
  void addEvent();
  void newMessage(Op op);
  void markMessage();

  // What the operation must have left (soak_checks.cpp).
  bool failureShown() const;
  bool successShown() const;
  void noBoxes() { expect(ui_.boxes.empty(), "a message box on success"); }
  void judge(Op op, Fault fault, bool struck);
  void judgeSuccess(Op op);
  void judgePhoneBook(Op op);
  void judgeDateBook(Op op);
  void judgeMessages(Op op);
  void judgeNewMessage();
  void checkGauges();
  void judgeConfined(Op op);
  void checkIdle();
  void settle(const sim::HandsetState& canonical, Report& report);

  Config config_;
  std::filesystem::path dir_;
  std::mt19937 rng_;
  SoakUi ui_;
  TfrmMain window_;
  SectionBindings sections_;
  datebook::DateBookSection& dateBook_ = window_.dateBook;
  sms::SmsSection& messages_ = window_.messages;
  std::unique_ptr<sim::PhoneSim> handset_;
  int starts_ = 0;
  std::array<Learned, kOps> learned_;

  // The lists may show what the handset no longer holds.
  bool pbStale_ = true, dbStale_ = true, smsStale_ = true;
  int smsFolder_ = -1;   // the folder lvSMS shows
  int nextFolder_ = -1;  // the folder the next message read takes, -1 any

  // The operation under way.
  sim::HandsetState before_, after_;
  std::string problem_;
  std::string refused_;  // the commands the faulty handset refuses
  std::string target_;   // the index the operation works on, as the list shows it
  std::string name_, number_, title_, text_, logBefore_;
  int action_ = 0;
  int serial_ = 0;
  bool dialogRefused_ = false;
};

}  // namespace quorvex::soak
