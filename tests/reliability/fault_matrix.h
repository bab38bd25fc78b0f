// The fault matrix: every operation of the window that talks to the handset, run against a
// simulated handset that fails in each of the ways a real one does (silent, hung up,
// babbling, refusing a command, replying in pieces). A row describes one operation; the
// columns are generic and come from the row's healthy run.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/section_bindings.h"
#include "app/sms_binding.h"
#include "datebook/date_book_section.h"
#include "main_window_fixture.h"
#include "messages/sms_section.h"
#include "sim/phone_sim.h"

namespace quorvex::reliability {

using quorvex::testing::Box;
using quorvex::testing::RecordingUi;

// The reply time-out in portcfg.ini while the matrix runs; the operations that keep the
// port's default wait 1000 ms regardless.
inline constexpr int kMatrixTimeOut = 150;
inline constexpr int kDefaultReplyTimeout = 1000;

// The window's user: answers questions, picks files, works the dialogs it is shown.
class MatrixUi : public RecordingUi {
 public:
  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override;
  std::optional<std::string> chooseOpenFile(const std::string&) override { return openFile; }
  std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
    return saveFile;
  }

  // "Продолжить запись?" after a time-out is answered No, so a silent handset ends the load;
  // every other question is answered Yes.
  std::optional<std::string> openFile, saveFile;
};

// The main window with the three section bindings, in a scratch directory of its own.
struct Window {
  explicit Window(const std::filesystem::path& dir);
  std::string path(const std::string& name) const { return (dir / name).string(); }

  std::filesystem::path dir;
  MatrixUi ui;
  TfrmMain main;
  SectionBindings sections{main};
  PhoneBookBinding* phoneBook = sections.phoneBook.get();
  sms::SmsSection& messages = main.messages;
  datebook::DateBookSection& dateBook = main.dateBook;
  // Every busy-state change a section asked for, in order (false: busy, true: idle).
  std::vector<bool> controlsEnabled;
  // A number a row's preparation notes for its healthy check (rows before the operation).
  int mark = 0;
};

// Unsolicited: codes at every place a handset sends them. NeedsMode2: a newer handset that
// takes the Motorola book commands only after AT+MODE=2. Both must go as the healthy run.
enum class Fault {
  Healthy,
  SilentFromStart,
  SilentAfter,
  HangupAfter,
  GarbageAfter,
  ErrorOn,
  Split,
  Unsolicited,
  NeedsMode2
};

struct Cell {
  Fault fault = Fault::Healthy;
  int k = 0;            // exchanges answered before the fault strikes
  std::string command;  // ErrorOn: the command refused (its first text in the healthy run)
  std::string key;      // ErrorOn: the command without its arguments
  std::string name() const;
  // The column of the printed table.
  std::string column() const;
};

// What a cell must end with.
struct Expect {
  enum Kind {
    Healthy,          // the row's healthy check, no failure shown
    StandardError,    // exactly one standard error box (text given, or any) and nothing else
    ErrorBox,         // exactly this one failure box and nothing else
    Quiet,            // no failure and no success shown
    OneFailure,       // exactly one failure shown (any way, any text), no success
    AtMostOneFailure  // no more than one failure shown; never a failure and a success
  } kind = AtMostOneFailure;
  std::string text;  // empty: any text
  MsgKind box = MsgKind::Error;

  static Expect Of(Kind kind) { return {kind, {}, MsgKind::Error}; }
  static Expect Std(std::string text = {}) { return {StandardError, std::move(text), MsgKind::Error}; }
  static Expect Err(std::string text, MsgKind kind = MsgKind::Error) {
    return {ErrorBox, std::move(text), kind};
  }
};

struct Run {
  Window& w;
  sim::PhoneSim& phone;
};

struct Row {
  std::string name;
  std::string model = "C350";
  // Whether the operation takes the reply time-out from the settings (the long ones).
  bool longOperation = true;
  // How many reply time-outs a silent or babbling handset may cost the operation (the
  // clean-up that unlocks the date book waits for its own answer).
  int waits = 1;
  // Files of the scratch directory the operation may write or must leave alone, with the
  // content they have before the operation.
  std::map<std::string, std::string> files;
  // On a healthy handset, before the faulty one is connected.
  std::function<void(Window&)> prepare;
  std::function<void(Window&)> act;
  std::function<void(Run&)> healthy;
  // A link failure (silent, babbling handset) and a hang-up.
  Expect link = Expect::Std(TimeoutText());
  Expect hangup = Expect::Std();
  // A refused command, by the command without its arguments; others get errorDefault.
  std::map<std::string, Expect> onError;
  Expect errorDefault = Expect::Of(Expect::AtMostOneFailure);
  // Checked after every cell, whatever its fault.
  std::function<void(Run&)> after;
  // After a link failure the operation is prepared and run again on a handset that is
  // well, and must succeed.
  bool followUp = true;
  // Plain message boxes that tell of success (information boxes always do).
  std::vector<std::string> successTexts;

  static std::string TimeoutText();
};

// What the healthy run of a row left, for the cells that follow it.
struct Reference {
  std::vector<std::string> transcript;
  int exchanges = 0;
  double elapsedMs = 0;
  std::map<std::string, std::string> files;  // every file of the row after the operation
};

// Runs one cell of a row. The reference is null for the healthy run, which returns the
// reference for the rest.
Reference RunCell(const Row& row, const Cell& cell, const Reference* reference);

// The cells of a row from its healthy run: silent from the start, silent/hang-up/garbage
// after 1 and after half of the exchanges, ERROR to each command, split replies, unsolicited
// codes, a handset that needs AT+MODE=2. Without QUORVEX_FULL_MATRIX=1 in the environment the
// faults after k strike after half only, a silence part-way is left to the babble that ends
// in the same wait, and only a row that sends Motorola book commands meets the AT+MODE=2
// handset.
std::vector<Cell> CellsFor(const Reference& reference);
bool FullMatrix();

// The command without its numeric arguments: up to and including "=" ("=?" stays whole,
// and so does a command whose argument is a word, such as "AT+CPBS=MT").
std::string CommandKey(const std::string& command);

// The commands of a run on a handset that needs AT+MODE=2 with the switches taken out: each
// AT+MODE=2 with the command repeated after it, each AT+MODE=0. Null when the switches do not
// pair up (a switch back without a switch, a second switch, one left open) or a repeat is
// not the refused command.
std::optional<std::vector<std::string>> WithoutSwitches(const std::vector<std::string>& sent);

// Failures reported so far in this program.
int FailureCount();

// Tallies of passed cells, printed as a table when the program ends.
void Tally(const std::string& row, const Cell& cell, bool passed);
void PrintTable(std::ostream& out);

}  // namespace quorvex::reliability
