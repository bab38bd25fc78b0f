#include "sim/at_engine.h"

#include <ctime>
#include <map>
#include <optional>

#include "serial/unsolicited.h"
#include "sim/at_engine_helpers.h"

namespace quorvex::sim {

using namespace engine;

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kPrompt = "\r\n> ";

// The handset ignores blanks between the parts of a command ("AT +CPBS=ME"), but not
// inside a quoted text ("HEADER ONLY").
std::string StripBlanks(std::string_view line) {
  std::string out;
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ' ' && !quoted) continue;
    out += c;
  }
  return out;
}

std::size_t FindOutsideQuotes(std::string_view s, char what) {
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') quoted = !quoted;
    if (s[i] == what && !quoted) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::int64_t AtEngine::HostLocalClock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * 86400 +
         local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

AtEngine::AtEngine(std::string model, HandsetState state, bool echo, Clock clock)
    : model_(std::move(model)),
      family_(FamilyOf(model_)),
      state_(std::move(state)),
      defaultEcho_(echo),
      clock_(clock ? std::move(clock) : Clock(&AtEngine::HostLocalClock)),
      echo_(echo) {}

void AtEngine::setState(HandsetState state) {
  state_ = std::move(state);
  changed_ = false;
}

bool AtEngine::takeChanged() {
  const bool was = changed_;
  changed_ = false;
  return was;
}

void AtEngine::reset() {
  echo_ = defaultEcho_;
  charset_ = Charset::Ira;
  book_ = Book::ME;
  mem1_ = Mem::IM;
  mem2_ = Mem::OM;
  mem3_ = Mem::IM;
  dateBookLocked_ = false;
  mode_ = 0;
  bearer_[0] = 7;
  bearer_[1] = 0;
  bearer_[2] = 1;
  cmee_ = 0;
  cmgf_ = 1;
  csdh_ = 0;
}

std::string AtEngine::clockText() const {
  const std::int64_t t = clock_() + state_.clockOffset;
  std::int64_t days = t / 86400;
  std::int64_t secs = t % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  std::int64_t y = 0;
  int m = 0, d = 0;
  CivilFromDays(days, y, m, d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%02d,%02d:%02d:%02d", static_cast<int>(y % 100), m, d,
                static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                static_cast<int>(secs % 60));
  return buf;
}

// ---------------------------------------------------------------------------------------
// Lines and framing

EngineReply AtEngine::command(std::string_view line) {
  EngineReply reply;
  if (echo_) {
    reply.echo = std::string(line) + "\r";
  }
  bool prompt = false;
  reply.answer = run(line, prompt);
  reply.final = !prompt;
  return reply;
}

EngineReply AtEngine::refuse(std::string_view line) const {
  EngineReply reply;
  if (echo_) reply.echo = std::string(line) + "\r";
  reply.answer = kError;
  return reply;
}

EngineReply AtEngine::textBreak(std::string_view part) {
  EngineReply reply;
  if (echo_) reply.echo = std::string(part);
  pendingText_ += part;
  // Hex text may be wrapped over several lines; in an 8-bit set the CR is a line break.
  if (charset_ != Charset::Ucs2) pendingText_ += '\n';
  reply.answer = kPrompt;
  reply.final = false;
  return reply;
}

EngineReply AtEngine::textEnd(std::string_view part, bool cancelled, bool overflow) {
  EngineReply reply;
  if (echo_) reply.echo = std::string(part);
  const PendingText what = pending_;
  pending_ = PendingText::None;
  pendingText_ += part;
  const std::string wire = std::move(pendingText_);
  pendingText_.clear();
  if (what == PendingText::None) {
    reply.answer = kError;
    return reply;
  }
  if (cancelled) {
    reply.answer = kOk;
    return reply;
  }
  const std::optional<std::string> text = DecodeText(charset_, wire);
  if (overflow || !text) {
    reply.answer = kError;
    return reply;
  }
  if (what == PendingText::Send) {
    const int reference = state_.nextReference;
    state_.nextReference = state_.nextReference % 255 + 1;
    changed_ = true;
    reply.answer = Line("+CMGS: " + S(reference)) + kOk;
    return reply;
  }
  int index = 0;
  for (int i = 1; i <= state_.messageSlots; ++i) {
    if (!state_.messages.count(i)) {
      index = i;
      break;
    }
  }
  if (index == 0) {
    reply.answer = kError;
    return reply;
  }
  Message m;
  m.store = mem2_ == Mem::DM ? MessageStore::Drafts : MessageStore::Outgoing;
  m.status = pendingStatus_;
  m.number = pendingNumber_;
  m.text = *text;
  state_.messages[index] = m;
  changed_ = true;
  reply.answer = Line("+CMGW: " + S(index)) + kOk;
  return reply;
}

std::string AtEngine::run(std::string_view rawLine, bool& prompt) {
  const std::string s = StripBlanks(rawLine);
  if (s.size() < 2 || Upper(s[0]) != 'A' || Upper(s[1]) != 'T') return kError;
  std::string_view rest(s);
  rest.remove_prefix(2);
  std::string body;
  while (!rest.empty()) {
    if (rest[0] == '+') {
      const std::size_t end = FindOutsideQuotes(rest, ';');
      const std::string_view command = rest.substr(0, end);
      Result r = extended(command);
      if (!r.ok) return body + refusal(command, r.error);
      body += r.body;
      if (r.prompt) {
        prompt = true;
        return body + kPrompt;
      }
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    } else if (!basic(rest, body)) {
      return body + kError;
    }
  }
  return body + kOk;
}

// Under AT+CMEE=1 or 2 a command the handset understood but could not carry out names its
// reason, in the message service's codes for the message commands; a line it could not
// parse stays a bare ERROR.
std::string AtEngine::refusal(std::string_view command, int code) const {
  if (cmee_ == 0 || code == kSyntax) return kError;
  static const std::string_view kMessageCommands[] = {"+CMG",  "+CMS", "+CPMS", "+CSCA",
                                                      "+CSDH", "+MMG", "+MMAR"};
  bool message = false;
  for (const std::string_view prefix : kMessageCommands) {
    if (Upper(command.substr(0, prefix.size())) == prefix) message = true;
  }
  if (code == 0) code = message ? kCmsNotAllowed : kCmeNotAllowed;
  static const std::map<int, std::string_view> kTexts = {
      {kCmeNotAllowed, "operation not allowed"}, {kCmeInvalidIndex, "invalid index"},
      {kCmsNotAllowed, "operation not allowed"}, {kCmsInvalidIndex, "invalid memory index"},
      {kCmsMemoryFull, "memory full"},
  };
  const auto text = kTexts.find(code);
  const std::string what = cmee_ == 2 && text != kTexts.end() ? std::string(text->second) : S(code);
  return Line((message ? "+CMS ERROR: " : "+CME ERROR: ") + what);
}

bool AtEngine::basic(std::string_view& rest, std::string& body) {
  const char c = Upper(rest[0]);
  if (c == ';') {
    rest.remove_prefix(1);
    return true;
  }
  const bool ampersand = c == '&';
  if (ampersand && rest.size() < 2) return false;
  const char name = ampersand ? Upper(rest[1]) : c;
  rest.remove_prefix(ampersand ? 2 : 1);
  int n = 0;
  std::size_t digits = 0;
  while (digits < rest.size() && digits < 3 && rest[digits] >= '0' && rest[digits] <= '9') {
    n = n * 10 + (rest[digits] - '0');
    ++digits;
  }
  rest.remove_prefix(digits);
  if (ampersand) {
    if (name != 'F' || n != 0) return false;
    reset();
    return true;
  }
  switch (name) {
    case 'E':
      if (n > 1) return false;
      echo_ = n == 1;
      return true;
    case 'Q':
      return n == 0;
    case 'V':
      // Numeric result codes are not offered.
      return n == 1;
    case 'Z':
      if (n != 0) return false;
      reset();
      return true;
    case 'I':
      switch (n) {
        case 0:
          body += Line(model_);
          return true;
        case 1:
          body += Line(state_.revision.empty() ? DefaultRevision(model_) : state_.revision);
          return true;
        case 2:
          return true;
        case 3:
          body += Line(state_.manufacturer);
          return true;
        case 4:
          body += Line("Motorola " + model_);
          return true;
        default:
          return false;
      }
    default:
      return false;
  }
}

AtEngine::Result AtEngine::extended(std::string_view command) {
  static const std::map<std::string, Handler> kHandlers = {
      {"CGMI", &AtEngine::cgmi},   {"CGMM", &AtEngine::cgmm}, {"CGMR", &AtEngine::cgmr},
      {"CGSN", &AtEngine::cgsn},   {"CIMI", &AtEngine::cimi}, {"CNUM", &AtEngine::cnum},
      {"CBC", &AtEngine::cbc},     {"CSQ", &AtEngine::csq},   {"CCLK", &AtEngine::cclk},
      {"CSCS", &AtEngine::cscs},   {"CMEE", &AtEngine::cmee}, {"CKPD", &AtEngine::ckpd},
      {"CMOD", &AtEngine::cmod},   {"CBST", &AtEngine::cbst}, {"MODE", &AtEngine::mode},
      {"CMGF", &AtEngine::cmgf},   {"CSCA", &AtEngine::csca}, {"CPBS", &AtEngine::cpbs},
      {"CPBR", &AtEngine::cpbr},   {"MPBR", &AtEngine::mpbr}, {"MPBW", &AtEngine::mpbw},
      {"MPGR", &AtEngine::mpgr},   {"MPGW", &AtEngine::mpgw}, {"MDBL", &AtEngine::mdbl},
      {"MDBR", &AtEngine::mdbr},   {"MDBW", &AtEngine::mdbw}, {"MDBWE", &AtEngine::mdbwe},
      {"MDBAD", &AtEngine::mdbad}, {"CPMS", &AtEngine::cpms}, {"MMGL", &AtEngine::mmgl},
      {"MMGR", &AtEngine::mmgr},   {"MMAR", &AtEngine::mmar}, {"CMGL", &AtEngine::cmgl},
      {"CMGR", &AtEngine::cmgr},   {"CMGW", &AtEngine::cmgw}, {"CMGS", &AtEngine::cmgs},
      {"CMSS", &AtEngine::cmss},   {"CMGD", &AtEngine::cmgd}, {"CFUN", &AtEngine::cfun},
      {"CSDH", &AtEngine::csdh},
  };
  std::size_t i = 1;
  while (i < command.size() && command[i] != '=' && command[i] != '?') ++i;
  const std::string name = Upper(command.substr(1, i - 1));
  const auto handler = kHandlers.find(name);
  if (handler == kHandlers.end()) return Result::Refused(kSyntax);
  if (habits.needsMode2 && mode_ != 2 && NeedsMode2("+" + name))
    return Result::Refused(kCmeNotAllowed);
  Form form = Form::Exec;
  std::vector<Arg> args;
  if (i < command.size() && command[i] == '?') {
    if (i + 1 != command.size()) return Result::Refused(kSyntax);
    form = Form::Read;
  } else if (i < command.size()) {
    const std::string_view text = command.substr(i + 1);
    if (text == "?") {
      form = Form::Test;
    } else {
      form = Form::Set;
      std::size_t start = 0;
      for (;;) {
        const std::size_t comma = FindOutsideQuotes(text.substr(start), ',');
        std::string_view piece = text.substr(start, comma);
        Arg arg;
        if (!piece.empty() && piece.front() == '"') {
          if (piece.size() < 2 || piece.back() != '"') return Result::Refused(kSyntax);
          piece = piece.substr(1, piece.size() - 2);
          if (piece.find('"') != std::string_view::npos) return Result::Refused(kSyntax);
          arg.quoted = true;
        } else if (piece.find('"') != std::string_view::npos) {
          return Result::Refused(kSyntax);
        }
        arg.value = std::string(piece);
        args.push_back(std::move(arg));
        if (comma == std::string_view::npos) break;
        start += comma + 1;
      }
    }
  }
  return (this->*(handler->second))(form, args);
}

// ---------------------------------------------------------------------------------------
// Text in the current character set

std::string AtEngine::wireText(std::string_view text) const {
  return EncodeText(charset_, text);
}

// Names and titles travel as bare hex in UCS2 and quoted in the 8-bit sets.
std::string AtEngine::quotedText(std::string_view text) const {
  if (charset_ == Charset::Ucs2) return EncodeUcs2Hex(text);
  std::string out = EncodeText(charset_, text);
  for (char& c : out) {
    if (c == '"') c = '?';
  }
  return Quote(out);
}

std::string AtEngine::stampText(const Message& m) const {
  const std::string& t = m.timestamp;
  int y = 0, mo = 0, d = 0;
  if (!habits.fullYearStamps || t.size() < 17 || t[2] != '/' || t[5] != '/' || t[8] != ',' ||
      !Digits(t, 0, 2, y) || !Digits(t, 3, 2, mo) || !Digits(t, 6, 2, d)) {
    return t;
  }
  return S(2000 + y) + "/" + S(mo) + "/" + S(d) + t.substr(8, 9);
}

bool AtEngine::decodeArgText(const Arg& arg, std::string& out) const {
  const std::optional<std::string> text = DecodeText(charset_, arg.value);
  if (!text) return false;
  out = *text;
  return true;
}

}  // namespace quorvex::sim
