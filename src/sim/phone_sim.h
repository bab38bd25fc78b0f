// A simulated Motorola handset on a pseudo-terminal. Tests run the real port object against
// it in-process; quorvex-phonesim runs the same class standalone.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/handset_state.h"

namespace quorvex::sim {

struct SimOptions {
  std::string model = "C350";
  bool echo = true;       // ATE1 at power-on; ATE0/ATE1 change it at run time
  int baud = 0;           // > 0: pace output at this many baud, 10 bits per byte
  int latencyMs = 0;      // delay before each reply
  // > 0: the handset's own line speed. A client whose port is set to another hears nothing
  // back: what it sends arrives as noise and is dropped.
  int lineSpeed = 0;
  int silentAfter = -1;   // >= 0: after this many answered commands, answer nothing more
  int hangupAfter = -1;   // >= 0: answer this many, then send half of the next reply and hang up
  int garbageAfter = -1;  // >= 0: after this many, answer each command with noise and no final line
  std::vector<std::string> errorOn;  // commands beginning with one of these are answered ERROR
  // A command equal to a key gets the value as its answer lines, then OK: a handset that
  // misreports (the command still acts on the handset's state as usual).
  std::map<std::string, std::string> answers;
  bool split = false;      // write every reply in small pieces with short pauses
  // Phone book lines of 25 fields and the long range reply some real handsets send.
  bool longEntryLines = false;
  bool demoData = true;    // load data/ demo handset state (compiled in) at start
  std::string stateFile;   // load from and save to this file, when not empty
  std::uint32_t seed = 1;  // for the garbage generator and the unsolicited codes
  bool bareImsi = false;   // answer AT+CIMI with the digits alone, as Motorola handsets do
  // When not empty: answer from this recorded transcript (sim/replay.h) instead of the
  // simulated handset; the fault options still apply.
  std::string replayFile;
  // Habits of real handsets: the date book title in double quotes even in UCS2, and
  // message time stamps as "yyyy/M/d,hh:mm:ss" instead of "yy/MM/dd,hh:mm:ss+zz".
  bool quotedTitles = false;
  bool fullYearStamps = false;
  // > 0: unsolicited result codes, drawn from the port object's table, at each chosen place
  // of a reply with a chance of one in this many (1: at every place). A +CMT, +CDS or +CBM
  // brings its text line. A command is never sent a code it answers itself.
  int unsolicitedOneIn = 0;
  bool unsolicitedBeforeEcho = true;    // ahead of a command's echo
  bool unsolicitedBetweenLines = true;  // between two lines of an answer
  bool unsolicitedAfterResult = true;   // right after the final OK or ERROR
  // A newer handset: the Motorola phone book, group and date book commands answer ERROR
  // until AT+MODE=2; AT+MODE=0 turns it back.
  bool needsMode2 = false;
  // Called on the serving thread with each command line as it is taken, before it is
  // answered: a test acts at an exact point of an operation (the client waits meanwhile).
  std::function<void(const std::string& command)> onCommand;
};

class PhoneSim {
 public:
  explicit PhoneSim(SimOptions options = {});
  ~PhoneSim();  // stops serving and closes the pty
  PhoneSim(const PhoneSim&) = delete;
  PhoneSim& operator=(const PhoneSim&) = delete;

  // Opens the pty and starts serving on a background thread. Throws std::runtime_error.
  void start();
  void stop();

  // The slave path (/dev/pts/N) a port object opens.
  std::string slavePath() const;

  // Every command line received so far, in order, without its CR (the store command's
  // text part is its own entry, without the Ctrl-Z). Thread-safe.
  std::vector<std::string> transcript() const;
  void clearTranscript();

  // Number of commands answered so far.
  int exchanges() const;
  // Number of commands a fault option answered otherwise than the handset would have
  // (left silent, answered with noise, refused, cut off by the hang-up, with unsolicited
  // codes in it).
  int faultsStruck() const;

  // Bytes that crossed the line so far: taken from the client, and written to it.
  std::int64_t bytesReceived() const;
  std::int64_t bytesSent() const;

  // With a replayed transcript: the commands that were not the next recorded one, and the
  // recorded exchanges not played yet. Thread-safe.
  std::vector<std::string> replayMismatches() const;
  int replayLeft() const;

  // A copy of the handset's state as it stands now. Thread-safe.
  HandsetState state() const;

  // Whether the handset waits for a command with nothing on the line either way: it has
  // taken every byte sent to it, written all it will write, and the client has read that.
  // Until the client sends more, nothing comes; a handset that stopped serving (hung up)
  // sends nothing again. Thread-safe.
  bool idle() const;
  // Whether a simulated handset runs in this process and every one that does is idle: a
  // port object waiting on one of them then waits for what cannot come.
  static bool EveryHandsetIdle();

 private:
  struct Impl;
  void enlist(bool live);
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvex::sim
