// The handset's AT command interpreter: handset state in, reply bytes out, no I/O.
//
// Framing, as the handset sends it: with echo on, the command line as received and a lone
// CR; then every answer line as CR LF, line, CR LF; then CR LF, OK or ERROR, CR LF. A
// store or send command answers CR LF "> " and takes a message text next (textEnd).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/handset_state.h"
#include "sim/handset_text.h"
#include "sim/models.h"

namespace quorvex::sim {

struct EngineReply {
  std::string echo;    // what the handset echoes of the received line (empty with echo off)
  std::string answer;  // answer lines and the final result, or the text prompt
  bool final = true;   // false: the answer is a prompt, the exchange goes on with a text
};

class AtEngine {
 public:
  // The host's local wall-clock time in seconds since 1970, read as if it were UTC.
  using Clock = std::function<std::int64_t()>;
  static std::int64_t HostLocalClock();

  AtEngine(std::string model, HandsetState state, bool echo = true, Clock clock = {});

  EngineReply command(std::string_view line);
  // A CR inside a message text, and the end of the text (Ctrl-Z, or ESC when cancelled).
  EngineReply textBreak(std::string_view part);
  EngineReply textEnd(std::string_view part, bool cancelled, bool overflow = false);
  bool expectsText() const { return pending_ != PendingText::None; }

  // The reply a handset gives a line it cannot take (longer than its buffer).
  EngineReply refuse(std::string_view line) const;

  bool echo() const { return echo_; }
  const std::string& model() const { return model_; }
  Family family() const { return family_; }
  const HandsetState& state() const { return state_; }
  void setState(HandsetState state);
  // True once after every change of what the state file keeps.
  bool takeChanged();

  // The clock as the handset shows it: "yy/MM/dd,hh:mm:ss".
  std::string clockText() const;

  // Habits of real handsets that the default simulated one does not have.
  struct Habits {
    // Phone book lines of 25 fields (empty ones and quoted empty texts after the layout's
    // own) and a range reply with a long tail.
    bool longEntryLines = false;
    bool bareImsi = false;  // AT+CIMI answers the digits alone
    // The date book title in double quotes in UCS2 too, as some handsets send every text.
    bool quotedTitles = false;
    // Message time stamps as "yyyy/M/d,hh:mm:ss", without the zone.
    bool fullYearStamps = false;
    // A newer handset: the Motorola book commands answer ERROR until AT+MODE=2.
    bool needsMode2 = false;
  };
  Habits habits;

 private:
  enum class Form { Exec, Read, Test, Set };
  struct Arg {
    std::string value;
    bool quoted = false;
  };
  struct Result {
    bool ok = true;
    std::string body;
    bool prompt = false;  // the command now takes a message text
    // A refusal's code under AT+CMEE=1/2: 0 for the command's usual one, kSyntax for a
    // line the handset cannot parse, which stays a bare ERROR.
    int error = 0;
    Result() = default;
    Result(bool ok_, std::string body_ = {}, bool prompt_ = false)
        : ok(ok_), body(std::move(body_)), prompt(prompt_) {}
    static Result Refused(int code) {
      Result r(false);
      r.error = code;
      return r;
    }
  };
  static constexpr int kSyntax = -1;
  enum class Book { ME, SM, MT, AD };
  enum class Mem { IM, OM, DM, MT };
  enum class PendingText { None, Store, Send };

  using Handler = Result (AtEngine::*)(Form, const std::vector<Arg>&);

  std::string run(std::string_view line, bool& prompt);
  std::string refusal(std::string_view command, int code) const;
  Result extended(std::string_view command);
  bool basic(std::string_view& rest, std::string& body);
  void reset();

  Result cgmi(Form, const std::vector<Arg>&);
  Result cgmm(Form, const std::vector<Arg>&);
  Result cgmr(Form, const std::vector<Arg>&);
  Result cgsn(Form, const std::vector<Arg>&);
  Result cimi(Form, const std::vector<Arg>&);
  Result cnum(Form, const std::vector<Arg>&);
  Result cbc(Form, const std::vector<Arg>&);
  Result csq(Form, const std::vector<Arg>&);
  Result cclk(Form, const std::vector<Arg>&);
  Result cscs(Form, const std::vector<Arg>&);
  Result numberSetting(Form form, const std::vector<Arg>& args, std::string_view name,
                       std::string_view values, int most, int& setting);
  Result cmee(Form, const std::vector<Arg>&);
  Result cfun(Form, const std::vector<Arg>&);
  Result csdh(Form, const std::vector<Arg>&);
  Result ckpd(Form, const std::vector<Arg>&);
  Result cmod(Form, const std::vector<Arg>&);
  Result cbst(Form, const std::vector<Arg>&);
  Result mode(Form, const std::vector<Arg>&);
  Result cmgf(Form, const std::vector<Arg>&);
  Result csca(Form, const std::vector<Arg>&);
  Result cpbs(Form, const std::vector<Arg>&);
  Result cpbr(Form, const std::vector<Arg>&);
  Result mpbr(Form, const std::vector<Arg>&);
  Result mpbw(Form, const std::vector<Arg>&);
  Result mpgr(Form, const std::vector<Arg>&);
  Result mpgw(Form, const std::vector<Arg>&);
  Result mdbl(Form, const std::vector<Arg>&);
  Result mdbr(Form, const std::vector<Arg>&);
  Result mdbw(Form, const std::vector<Arg>&);
  Result mdbwe(Form, const std::vector<Arg>&);
  Result mdbad(Form, const std::vector<Arg>&);
  Result cpms(Form, const std::vector<Arg>&);
  Result mmgl(Form, const std::vector<Arg>&);
  Result mmgr(Form, const std::vector<Arg>&);
  Result mmar(Form, const std::vector<Arg>&);
  Result cmgl(Form, const std::vector<Arg>&);
  Result cmgr(Form, const std::vector<Arg>&);
  Result cmgw(Form, const std::vector<Arg>&);
  Result cmgs(Form, const std::vector<Arg>&);
  Result cmss(Form, const std::vector<Arg>&);
  Result cmgd(Form, const std::vector<Arg>&);

  // Phone book helpers.
  void bookRange(Book book, int& first, int& last) const;
  int usedIn(Book book) const;
  bool onSim(int index) const { return index >= state_.simFirst(); }
  std::string entryLine(int index, const PhoneEntry& e) const;
  // The name as the current character set sends it (UCS2: every character it was written with).
  std::string entryName(const PhoneEntry& e) const;
  // Message helpers.
  bool inMem(const Message& m, Mem mem) const;
  int countIn(Mem mem) const;
  std::string cpmsCounts() const;
  std::string standardMessage(int index, const Message& m) const;
  std::string listMessages(Mem mem, const std::string& filter, bool motorola, bool headersOnly);
  std::string wireText(std::string_view text) const;  // text in the current character set
  std::string quotedText(std::string_view text) const;
  bool decodeArgText(const Arg& arg, std::string& out) const;
  std::string stampText(const Message& m) const;  // the time stamp as this handset writes it

  std::string model_;
  Family family_;
  HandsetState state_;
  bool defaultEcho_;
  Clock clock_;
  bool changed_ = false;

  bool echo_ = true;
  Charset charset_ = Charset::Ira;
  Book book_ = Book::ME;
  Mem mem1_ = Mem::IM, mem2_ = Mem::OM, mem3_ = Mem::IM;
  bool dateBookLocked_ = false;
  int bearer_[3] = {7, 0, 1};
  int cmee_ = 0;  // 0: a refusal is ERROR; 1: +CME/+CMS ERROR with a code; 2: with a text
  int cfun_ = 1;
  int cmgf_ = 1;  // 0: PDU mode, 1: text mode
  int csdh_ = 0;  // 1: text mode listings carry every header field
  bool pduMode() const { return cmgf_ == 0; }
  int mode_ = 0;

  PendingText pending_ = PendingText::None;
  std::string pendingNumber_;
  MessageStatus pendingStatus_ = MessageStatus::StoUnsent;
  std::string pendingText_;
};

}  // namespace quorvex::sim
