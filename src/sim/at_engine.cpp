#include "sim/at_engine.h"

#include <ctime>
#include <map>
#include <optional>

#include "serial/unsolicited.h"
#include "sim/sms_pdu.h"

namespace quorvex::sim {

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kPrompt = "\r\n> ";

constexpr int kCmeNotAllowed = 3;
constexpr int kCmeInvalidIndex = 21;
constexpr int kCmsNotAllowed = 302;
constexpr int kCmsInvalidIndex = 321;
constexpr int kCmsMemoryFull = 322;

constexpr int kNumberLength = 40;
constexpr int kNameLength = 24;
constexpr int kGroupNameLength = 16;
constexpr int kTitleLength = 64;

std::string Line(std::string_view s) {
  std::string out = "\r\n";
  out += s;
  out += "\r\n";
  return out;
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Upper(c);
  return out;
}

std::string Quote(std::string_view s) {
  std::string out = "\"";
  out += s;
  out += '"';
  return out;
}

std::string S(std::int64_t v) {
  return std::to_string(v);
}

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

// A peer must not share the client's parsing, so the handset keeps its own copies of these.
std::size_t FindOutsideQuotes(std::string_view s, char what) {
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') quoted = !quoted;
    if (s[i] == what && !quoted) return i;
  }
  return std::string_view::npos;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

bool Digits(std::string_view s, std::size_t at, std::size_t count, int& value) {
  if (at + count > s.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

// "HH:MM" and "MM-DD-YYYY" of the date book. shapeOnly: digits in place, any values (the
// alarm of an event without alarm is "00:00" on "00-00-2000").
bool ValidTime(std::string_view s, bool shapeOnly) {
  int h = 0, m = 0;
  if (s.size() != 5 || s[2] != ':' || !Digits(s, 0, 2, h) || !Digits(s, 3, 2, m)) return false;
  return shapeOnly || (h < 24 && m < 60);
}

bool ValidDate(std::string_view s, bool shapeOnly) {
  int mo = 0, d = 0, y = 0;
  if (s.size() != 10 || s[2] != '-' || s[5] != '-' || !Digits(s, 0, 2, mo) || !Digits(s, 3, 2, d) ||
      !Digits(s, 6, 4, y)) {
    return false;
  }
  if (shapeOnly) return true;
  return y >= 1900 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo);
}

std::optional<int> ToInt(std::string_view s, int lo, int hi) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  std::size_t i = 0;
  const bool negative = s[0] == '-';
  if (negative) i = 1;
  if (i == s.size()) return std::nullopt;
  int v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    v = v * 10 + (s[i] - '0');
  }
  if (negative) v = -v;
  if (v < lo || v > hi) return std::nullopt;
  return v;
}

std::string DefaultRevision(std::string_view model) {
  return "R" + std::string(model) + "_G_0A.11.2FR";
}

std::optional<MessageStatus> StatusFromName(std::string_view s) {
  const std::string u = Upper(s);
  if (u == "REC UNREAD") return MessageStatus::RecUnread;
  if (u == "REC READ") return MessageStatus::RecRead;
  if (u == "STO UNSENT") return MessageStatus::StoUnsent;
  if (u == "STO SENT") return MessageStatus::StoSent;
  return std::nullopt;
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

// ---------------------------------------------------------------------------------------
// Identity, status and settings

AtEngine::Result AtEngine::cgmi(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  return {true, Line("+CGMI: " + Quote(state_.manufacturer))};
}

AtEngine::Result AtEngine::cgmm(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  std::string line = "+CGMM: ";
  for (const std::string& band : BandsOf(model_)) line += Quote(band) + ",";
  line += Quote("MODEL=" + model_);
  return {true, Line(line)};
}

AtEngine::Result AtEngine::cgmr(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  return {true, Line("+CGMR: " +
                     Quote(state_.revision.empty() ? DefaultRevision(model_) : state_.revision))};
}

AtEngine::Result AtEngine::cgsn(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  return {true, Line("+CGSN: IMEI" + state_.imei)};
}

AtEngine::Result AtEngine::cimi(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  return {true, Line((habits.bareImsi ? "" : "+CIMI: ") + state_.imsi)};
}

AtEngine::Result AtEngine::cnum(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  if (state_.ownNumber.empty()) return {};
  const int type = state_.ownNumber[0] == '+' ? 145 : 129;
  return {true, Line("+CNUM: \"\"," + Quote(state_.ownNumber) + "," + S(type))};
}

AtEngine::Result AtEngine::cbc(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {true, Line("+CBC: (0-3),(0-100)")};
  if (form != Form::Exec) return {false};
  return {true, Line("+CBC: " + S(state_.batteryStatus) + "," + S(state_.batteryLevel))};
}

AtEngine::Result AtEngine::csq(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {true, Line("+CSQ: (0-31,99),(0-7,99)")};
  if (form != Form::Exec) return {false};
  return {true, Line("+CSQ: " + S(state_.rssi) + "," + S(state_.ber))};
}

AtEngine::Result AtEngine::cclk(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form == Form::Read) return {true, Line("+CCLK: " + Quote(clockText()))};
  if (form != Form::Set || args.size() != 1 || !args[0].quoted) return {false};
  // "yy/MM/dd,hh:mm:ss", optionally followed by the zone in quarter hours ("+12").
  const std::string& v = args[0].value;
  int yy = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, zone = 0;
  if (v.size() != 17 && v.size() != 20) return {false};
  if (!Digits(v, 0, 2, yy) || v[2] != '/' || !Digits(v, 3, 2, mo) || v[5] != '/' ||
      !Digits(v, 6, 2, d) || v[8] != ',' || !Digits(v, 9, 2, h) || v[11] != ':' ||
      !Digits(v, 12, 2, mi) || v[14] != ':' || !Digits(v, 15, 2, sec)) {
    return {false};
  }
  if (v.size() == 20 && ((v[17] != '+' && v[17] != '-') || !Digits(v, 18, 2, zone) || zone > 48)) {
    return {false};
  }
  const int year = 2000 + yy;
  if (mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(year, mo) || h > 23 || mi > 59 || sec > 59) {
    return {false};
  }
  const std::int64_t shown = DaysFromCivil(year, mo, d) * 86400 + h * 3600 + mi * 60 + sec;
  state_.clockOffset = shown - clock_();
  changed_ = true;
  return {};
}

AtEngine::Result AtEngine::cscs(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) {
    return {true, Line("+CSCS: (\"8859-1\",\"ASCII\",\"GSM\",\"IRA\",\"UCS2\")")};
  }
  if (form == Form::Read) return {true, Line("+CSCS: " + Quote(CharsetName(charset_)))};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<Charset> charset = CharsetFromName(args[0].value);
  if (!charset) return {false};
  charset_ = *charset;
  return {};
}

// A setting of one small number: the test form lists its values, the read form tells it.
AtEngine::Result AtEngine::numberSetting(Form form, const std::vector<Arg>& args,
                                         std::string_view name, std::string_view values, int most,
                                         int& setting) {
  if (form == Form::Test) return {true, Line(std::string(name) + ": " + std::string(values))};
  if (form == Form::Read) return {true, Line(std::string(name) + ": " + S(setting))};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> v = ToInt(args[0].value, 0, most);
  if (!v) return {false};
  setting = *v;
  return {};
}

AtEngine::Result AtEngine::cmee(Form form, const std::vector<Arg>& args) {
  return numberSetting(form, args, "+CMEE", "(0-2)", 2, cmee_);
}

// Only full function and the radio switched off; the simulated radio works either way.
AtEngine::Result AtEngine::cfun(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CFUN: (0,1),(0)")};
  if (form == Form::Read) return {true, Line("+CFUN: " + S(cfun_))};
  if (form != Form::Set || args.empty() || args.size() > 2) return {false};
  const std::optional<int> v = ToInt(args[0].value, 0, 1);
  if (!v || (args.size() == 2 && !ToInt(args[1].value, 0, 0))) return {false};
  cfun_ = *v;
  return {};
}

AtEngine::Result AtEngine::csdh(Form form, const std::vector<Arg>& args) {
  return numberSetting(form, args, "+CSDH", "(0,1)", 1, csdh_);
}

AtEngine::Result AtEngine::ckpd(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CKPD: (0123456789*#<>^VSE),(0-255),(0-255)")};
  if (form != Form::Set || args.empty() || args.size() > 3 || !args[0].quoted ||
      args[0].value.empty()) {
    return {false};
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (!ToInt(args[i].value, 0, 255)) return {false};
  }
  return {};
}

AtEngine::Result AtEngine::cmod(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CMOD: (0)")};
  if (form == Form::Read) return {true, Line("+CMOD: 0")};
  // Single mode only; an empty value sets the default, which is that mode.
  if (form != Form::Set || args.size() != 1) return {false};
  if (!args[0].value.empty() && !ToInt(args[0].value, 0, 0)) return {false};
  return {};
}

AtEngine::Result AtEngine::cbst(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CBST: (0-7,65,66,68,70,71),(0),(0-1)")};
  if (form == Form::Read) {
    return {true, Line("+CBST: " + S(bearer_[0]) + "," + S(bearer_[1]) + "," + S(bearer_[2]))};
  }
  if (form != Form::Set || args.empty() || args.size() > 3) return {false};
  const std::optional<int> speed = ToInt(args[0].value, 0, 71);
  if (!speed || (*speed > 7 && *speed != 65 && *speed != 66 && *speed != 68 && *speed != 70 &&
                 *speed != 71)) {
    return {false};
  }
  int values[3] = {*speed, 0, 1};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::optional<int> v = ToInt(args[i].value, 0, i == 1 ? 0 : 1);
    if (!v) return {false};
    values[i] = *v;
  }
  for (int i = 0; i < 3; ++i) bearer_[i] = values[i];
  return {};
}

AtEngine::Result AtEngine::mode(Form form, const std::vector<Arg>& args) {
  // Only the AT command mode is simulated; the data and binary modes are refused. A handset
  // that needs it also takes mode 2, the one its Motorola book commands work in.
  if (form == Form::Test) return {true, Line(habits.needsMode2 ? "+MODE: (0,2)" : "+MODE: (0)")};
  if (form == Form::Read) return {true, Line("+MODE: " + S(mode_))};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> mode = ToInt(args[0].value, 0, habits.needsMode2 ? 2 : 0);
  if (!mode || *mode == 1) return {false};
  mode_ = *mode;
  return {};
}

// PDU mode lists and reads messages; storing and sending take text mode.
AtEngine::Result AtEngine::cmgf(Form form, const std::vector<Arg>& args) {
  return numberSetting(form, args, "+CMGF", "(0,1)", 1, cmgf_);
}

AtEngine::Result AtEngine::csca(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form == Form::Read) {
    const int type = !state_.serviceCentre.empty() && state_.serviceCentre[0] == '+' ? 145 : 129;
    return {true, Line("+CSCA: " + Quote(state_.serviceCentre) + "," + S(type))};
  }
  if (form != Form::Set || args.empty() || args.size() > 2 || !args[0].quoted ||
      args[0].value.size() > kNumberLength) {
    return {false};
  }
  if (args.size() == 2 && !ToInt(args[1].value, 0, 255)) return {false};
  state_.serviceCentre = args[0].value;
  changed_ = true;
  return {};
}

// ---------------------------------------------------------------------------------------
// Phone book

void AtEngine::bookRange(Book book, int& first, int& last) const {
  switch (book) {
    case Book::ME:
      first = 1;
      last = state_.phoneSize;
      return;
    case Book::SM:
      first = state_.simFirst();
      last = state_.simLast();
      return;
    case Book::MT:
    case Book::AD:
      break;
  }
  first = 1;
  last = state_.simLast();
}

int AtEngine::usedIn(Book book) const {
  int first = 0, last = 0;
  bookRange(book, first, last);
  int used = 0;
  for (const auto& [index, entry] : state_.entries) {
    if (index >= first && index <= last) ++used;
  }
  return used;
}

std::string AtEngine::entryName(const PhoneEntry& e) const {
  return charset_ == Charset::Ucs2 && !e.nameUcs2.empty() ? e.nameUcs2 : quotedText(e.name);
}

std::string AtEngine::entryLine(int index, const PhoneEntry& stored) const {
  PhoneEntry e = stored;
  if (onSim(index)) {
    // The SIM keeps a number and a name; the rest is what the handset reports for it.
    e = PhoneEntry{};
    e.number = stored.number;
    e.format = stored.format;
    e.name = stored.name;
    e.nameUcs2 = stored.nameUcs2;
    e.type = SimNumberType(family_);
  }
  const std::string name = entryName(e);
  std::string line = "+MPBR: " + S(index) + "," + Quote(e.number) + "," + S(e.format) + "," + name +
                     "," + S(e.type) + "," + S(e.attr6) + "," + S(e.alert) + "," + S(e.attr8) +
                     "," + S(e.attr9);
  if (family_ == Family::Grouped || family_ == Family::GroupedText || habits.longEntryLines) {
    line += "," + S(e.category) + "," + S(e.icon) + "," + S(e.attr12) + "," + S(e.attr13);
  }
  if (family_ == Family::GroupedText || habits.longEntryLines) {
    line += "," + quotedText(e.iconText) + "," + S(e.tail1) + "," + S(e.tail2);
  }
  // Sixteen fields so far; the long form ends in seven empty fields and two empty texts.
  if (habits.longEntryLines) line += ",,,,,,,,\"\",\"\"";
  return line;
}

AtEngine::Result AtEngine::cpbs(Form form, const std::vector<Arg>& args) {
  static const char* const kNames[] = {"ME", "SM", "MT", "AD"};
  if (form == Form::Test) return {true, Line("+CPBS: (\"AD\",\"ME\",\"MT\",\"SM\")")};
  if (form == Form::Read) {
    int first = 0, last = 0;
    bookRange(book_, first, last);
    return {true, Line("+CPBS: " + Quote(kNames[static_cast<int>(book_)]) + "," + S(usedIn(book_)) +
                       "," + S(last - first + 1))};
  }
  if (form != Form::Set || args.size() != 1) return {false};
  const std::string name = Upper(args[0].value);
  for (int i = 0; i < 4; ++i) {
    if (name == kNames[i]) {
      book_ = static_cast<Book>(i);
      return {};
    }
  }
  return {false};
}

AtEngine::Result AtEngine::cpbr(Form form, const std::vector<Arg>& args) {
  int first = 0, last = 0;
  bookRange(book_, first, last);
  if (form == Form::Test) {
    return {true, Line("+CPBR: (" + S(first) + "-" + S(last) + ")," + S(kNumberLength) + "," +
                       S(kNameLength))};
  }
  if (form != Form::Set || args.empty() || args.size() > 2) return {false};
  const std::optional<int> a = ToInt(args[0].value, first, last);
  const std::optional<int> b = args.size() == 2 ? ToInt(args[1].value, first, last) : a;
  if (!a || !b || *a > *b) return Result::Refused(kCmeInvalidIndex);
  std::string body;
  for (auto it = state_.entries.lower_bound(*a); it != state_.entries.end() && it->first <= *b;
       ++it) {
    std::string name = entryName(it->second);
    if (charset_ == Charset::Ucs2) name = Quote(name);
    body += Line("+CPBR: " + S(it->first) + "," + Quote(it->second.number) + "," +
                 S(it->second.format) + "," + name);
  }
  return {true, body};
}

AtEngine::Result AtEngine::mpbr(Form form, const std::vector<Arg>& args) {
  int first = 0, last = 0;
  bookRange(book_, first, last);
  const bool grouped = family_ == Family::Grouped || family_ == Family::GroupedText;
  if (form == Form::Test) {
    // The range without parentheses, then the number and name lengths, the highest number
    // type and the number of caller groups.
    if (habits.longEntryLines) {
      return {true, Line("+MPBR: " + S(first) + "-" + S(last) + "," + S(kNumberLength) + "," +
                         S(kNameLength) + ",14,0-1,64,(255),(0),(0-255),(0-1),(0-255),(0-1),264")};
    }
    return {true, Line("+MPBR: " + S(first) + "-" + S(last) + "," + S(kNumberLength) + "," +
                       S(kNameLength) + "," + S(grouped ? 8 : 7) + "," +
                       S(grouped ? static_cast<int>(state_.groups.size()) : 0))};
  }
  if (form != Form::Set || args.empty() || args.size() > 2) return {false};
  const std::optional<int> a = ToInt(args[0].value, first, last);
  const std::optional<int> b = args.size() == 2 ? ToInt(args[1].value, first, last) : a;
  if (!a || !b || *a > *b) return {false};
  std::string body;
  for (auto it = state_.entries.lower_bound(*a); it != state_.entries.end() && it->first <= *b;
       ++it) {
    body += Line(entryLine(it->first, it->second));
  }
  return {true, body};
}

AtEngine::Result AtEngine::mpbw(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) {
    int first = 0, last = 0;
    bookRange(book_, first, last);
    return {true, Line("+MPBW: " + S(first) + "-" + S(last) + "," + S(kNumberLength) + "," +
                       S(kNameLength))};
  }
  if (form != Form::Set || args.empty()) return {false};
  int first = 0, last = 0;
  bookRange(book_, first, last);
  const std::optional<int> index = ToInt(args[0].value, first, last);
  if (!index || args[0].quoted) return {false};
  if (args.size() == 1) {
    if (state_.entries.erase(*index) > 0) changed_ = true;
    return {};
  }
  const int most = EntryFieldCount(family_);
  if (args.size() < 9 || static_cast<int>(args.size()) > most) return {false};
  const auto num = [&](std::size_t i, int lo, int hi, int& into) {
    if (args[i].quoted) return false;
    const std::optional<int> v = ToInt(args[i].value, lo, hi);
    if (v) into = *v;
    return v.has_value();
  };
  PhoneEntry e;
  const Arg& number = args[1];
  if (!number.quoted || number.value.empty() ||
      number.value.size() > static_cast<std::size_t>(kNumberLength)) {
    return {false};
  }
  e.number = number.value;
  if (!num(2, 0, 255, e.format)) return {false};
  if (!decodeArgText(args[3], e.name) || e.name.size() > static_cast<std::size_t>(kNameLength)) {
    return {false};
  }
  // The handset keeps every character of a name written in UCS2, also those code page 1251
  // has no place for.
  if (charset_ == Charset::Ucs2) {
    std::string hex = Upper(args[3].value);
    if (hex != EncodeUcs2Hex(e.name)) e.nameUcs2 = std::move(hex);
  }
  if (!num(4, 0, 8, e.type) || !num(5, 0, 1, e.attr6) || !num(6, 0, 255, e.alert) ||
      !num(7, 0, 255, e.attr8) || !num(8, 0, 255, e.attr9)) {
    return {false};
  }
  const std::size_t n = args.size();
  if (n > 9 && !num(9, 0, static_cast<int>(state_.groups.size()), e.category)) return {false};
  if (n > 10) {
    if (!num(10, 0, 255, e.icon) || (e.icon > 14 && e.icon != 255)) return {false};
  }
  if (n > 11 && !num(11, 0, 255, e.attr12)) return {false};
  if (n > 12 && !num(12, 0, 255, e.attr13)) return {false};
  // The icon text is written as typed, in no character set's encoding; reads send it in the
  // current one.
  if (n > 13) e.iconText = args[13].value;
  if (n > 14 && !num(14, 0, 255, e.tail1)) return {false};
  if (n > 15 && !num(15, 0, 255, e.tail2)) return {false};
  if (onSim(*index)) {
    PhoneEntry sim;
    sim.number = e.number;
    sim.format = e.format;
    sim.name = e.name;
    sim.nameUcs2 = e.nameUcs2;
    e = sim;
  }
  state_.entries[*index] = e;
  changed_ = true;
  return {};
}

AtEngine::Result AtEngine::mpgr(Form form, const std::vector<Arg>& args) {
  if (family_ != Family::Grouped && family_ != Family::GroupedText) return {false};
  const int count = static_cast<int>(state_.groups.size());
  if (form == Form::Test) {
    return {true, Line("+MPGR: (1-" + S(count) + ")," + S(kGroupNameLength))};
  }
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> n = ToInt(args[0].value, 1, count);
  if (!n) return {false};
  const CallerGroup& group = state_.groups[*n - 1];
  // A slot without a group answers OK alone.
  if (group.name.empty()) return {};
  return {true, Line("+MPGR: " + S(*n) + "," + quotedText(group.name) + "," + S(group.alert))};
}

AtEngine::Result AtEngine::mpgw(Form form, const std::vector<Arg>& args) {
  if (family_ != Family::Grouped && family_ != Family::GroupedText) return {false};
  const int count = static_cast<int>(state_.groups.size());
  if (form == Form::Test) {
    return {true, Line("+MPGW: (1-" + S(count) + ")," + S(kGroupNameLength))};
  }
  if (form != Form::Set || args.empty() || args.size() > 3) return {false};
  const std::optional<int> n = ToInt(args[0].value, 1, count);
  if (!n) return {false};
  CallerGroup group;
  if (args.size() > 1) {
    if (!decodeArgText(args[1], group.name) ||
        group.name.size() > static_cast<std::size_t>(kGroupNameLength)) {
      return {false};
    }
  }
  if (args.size() > 2) {
    const std::optional<int> alert = ToInt(args[2].value, 0, 255);
    if (!alert) return {false};
    group.alert = *alert;
  }
  state_.groups[*n - 1] = group;
  changed_ = true;
  return {};
}

// ---------------------------------------------------------------------------------------
// Date book

AtEngine::Result AtEngine::mdbl(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+MDBL: (0-1)")};
  if (form == Form::Read) return {true, Line("+MDBL: " + S(dateBookLocked_ ? 1 : 0))};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> v = ToInt(args[0].value, 0, 1);
  if (!v) return {false};
  dateBookLocked_ = *v == 1;
  return {};
}

AtEngine::Result AtEngine::mdbr(Form form, const std::vector<Arg>& args) {
  // The date book answers only while it is locked for this link.
  if (!dateBookLocked_) return {false};
  const int highest = state_.dateBookHighest;
  if (form == Form::Test) {
    // Highest index, events stored, longest title, number of repeat kinds.
    return {true, Line("+MDBR: " + S(highest) + "," + S(static_cast<int>(state_.events.size())) +
                       "," + S(kTitleLength) + ",6")};
  }
  if (form != Form::Set || args.empty() || args.size() > 2) return {false};
  const std::optional<int> a = ToInt(args[0].value, 0, highest);
  const std::optional<int> b = args.size() == 2 ? ToInt(args[1].value, 0, highest) : a;
  if (!a || !b || *a > *b) return {false};
  std::string body;
  for (auto it = state_.events.lower_bound(*a); it != state_.events.end() && it->first <= *b;
       ++it) {
    const DateEvent& ev = it->second;
    std::string title = quotedText(ev.title);
    if (habits.quotedTitles && charset_ == Charset::Ucs2) title = Quote(title);
    body += Line("+MDBR: " + S(it->first) + "," + title + "," + ev.entryFlag + "," + ev.alarmFlag +
                 "," + Quote(ev.startTime) + "," + Quote(ev.startDate) + "," + S(ev.duration) +
                 "," + Quote(ev.alarmTime) + "," + Quote(ev.alarmDate) + "," + S(ev.repeat));
  }
  return {true, body};
}

AtEngine::Result AtEngine::mdbw(Form form, const std::vector<Arg>& args) {
  if (!dateBookLocked_) return {false};
  if (form == Form::Test) {
    return {true, Line("+MDBW: (0-" + S(state_.dateBookHighest) + ")," + S(kTitleLength))};
  }
  if (form != Form::Set || args.size() != 10) return {false};
  const std::optional<int> index = ToInt(args[0].value, 0, state_.dateBookHighest);
  if (!index) return {false};
  DateEvent ev;
  if (!decodeArgText(args[1], ev.title) ||
      ev.title.size() > static_cast<std::size_t>(kTitleLength)) {
    return {false};
  }
  const auto flag = [](const Arg& a, char& into) {
    if (a.quoted || (a.value != "0" && a.value != "1")) return false;
    into = a.value[0];
    return true;
  };
  if (!flag(args[2], ev.entryFlag) || !flag(args[3], ev.alarmFlag)) return {false};
  const bool alarm = ev.alarmFlag == '1';
  if (!args[4].quoted || !ValidTime(args[4].value, false) || !args[5].quoted ||
      !ValidDate(args[5].value, false) || !args[7].quoted || !ValidTime(args[7].value, !alarm) ||
      !args[8].quoted || !ValidDate(args[8].value, !alarm)) {
    return {false};
  }
  ev.startTime = args[4].value;
  ev.startDate = args[5].value;
  ev.alarmTime = args[7].value;
  ev.alarmDate = args[8].value;
  const std::optional<int> duration = ToInt(args[6].value, 0, 65535);
  const std::optional<int> repeat = ToInt(args[9].value, 0, 5);
  if (!duration || !repeat) return {false};
  ev.duration = *duration;
  ev.repeat = *repeat;
  state_.events[*index] = ev;
  changed_ = true;
  return {};
}

AtEngine::Result AtEngine::mdbwe(Form form, const std::vector<Arg>& args) {
  if (!dateBookLocked_) return {false};
  if (form == Form::Test) return {true, Line("+MDBWE: (0-" + S(state_.dateBookHighest) + ")")};
  if (form != Form::Set || args.empty() || args.size() > 3) return {false};
  const std::optional<int> index = ToInt(args[0].value, 0, state_.dateBookHighest);
  if (!index) return {false};
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (!ToInt(args[i].value, 0, 255)) return {false};
  }
  if (state_.events.erase(*index) > 0) changed_ = true;
  return {};
}

AtEngine::Result AtEngine::mdbad(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+MDBAD: (0,1,2,4,8)")};
  if (form == Form::Read) return {true, Line("+MDBAD: " + S(state_.autoDeleteWeeks))};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> weeks = ToInt(args[0].value, 0, 8);
  if (!weeks || *weeks == 3 || (*weeks > 4 && *weeks < 8)) return {false};
  if (state_.autoDeleteWeeks != *weeks) {
    state_.autoDeleteWeeks = *weeks;
    changed_ = true;
  }
  return {};
}

// ---------------------------------------------------------------------------------------
// Messages. Indices are unique over all stores: listings and counts take the selected
// store, while a command given an index finds the message wherever it is.

bool AtEngine::inMem(const Message& m, Mem mem) const {
  switch (mem) {
    case Mem::IM:
      return m.store == MessageStore::Incoming;
    case Mem::OM:
      return m.store == MessageStore::Outgoing;
    case Mem::DM:
      return m.store == MessageStore::Drafts;
    case Mem::MT:
      break;
  }
  return true;
}

int AtEngine::countIn(Mem mem) const {
  int n = 0;
  for (const auto& [index, m] : state_.messages) {
    if (inMem(m, mem)) ++n;
  }
  return n;
}

std::string AtEngine::cpmsCounts() const {
  const std::string slots = S(state_.messageSlots);
  return S(countIn(mem1_)) + "," + slots + "," + S(countIn(mem2_)) + "," + slots + "," +
         S(countIn(mem3_)) + "," + slots;
}

AtEngine::Result AtEngine::cpms(Form form, const std::vector<Arg>& args) {
  static const char* const kNames[] = {"IM", "OM", "DM", "MT"};
  if (form == Form::Test) {
    const std::string all = "(\"IM\",\"OM\",\"DM\",\"MT\")";
    return {true, Line("+CPMS: " + all + "," + all + "," + all)};
  }
  const std::string slots = S(state_.messageSlots);
  if (form == Form::Read) {
    std::string line = "+CPMS: ";
    const Mem mems[] = {mem1_, mem2_, mem3_};
    for (int i = 0; i < 3; ++i) {
      if (i > 0) line += ",";
      line += Quote(kNames[static_cast<int>(mems[i])]) + "," + S(countIn(mems[i])) + "," + slots;
    }
    return {true, Line(line)};
  }
  if (form != Form::Set || args.empty() || args.size() > 3) return {false};
  Mem chosen[3] = {mem1_, mem2_, mem3_};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string name = Upper(args[i].value);
    bool found = false;
    for (int k = 0; k < 4; ++k) {
      if (name == kNames[k]) {
        chosen[i] = static_cast<Mem>(k);
        found = true;
      }
    }
    if (!found) return {false};
  }
  mem1_ = chosen[0];
  mem2_ = chosen[1];
  mem3_ = chosen[2];
  return {true, Line("+CPMS: " + cpmsCounts())};
}

// A message of the standard listing (index > 0) or read (index 0): in text mode the header
// (with AT+CSDH=1 also the address types, coding and length) and the text; in PDU mode the
// status, the length and the PDU.
std::string AtEngine::standardMessage(int index, const Message& m) const {
  const std::string prefix = index > 0 ? "+CMGL: " + S(index) + "," : "+CMGR: ";
  if (pduMode()) {
    const MessagePdu pdu = EncodeMessagePdu(m, state_.serviceCentre);
    return Line(prefix + S(PduStatus(m.status)) + ",," + S(pdu.tpduLength)) + pdu.hex + "\r\n";
  }
  const bool incoming = m.store == MessageStore::Incoming;
  std::string header = prefix + Quote(StatusName(m.status)) + "," + Quote(m.number);
  if (incoming) header += ",," + Quote(stampText(m));
  if (csdh_ == 1) {
    const auto type = [](const std::string& number) {
      return S(!number.empty() && number[0] == '+' ? 145 : 129);
    };
    if (!incoming) header += index > 0 ? ",," : ",";
    header += "," + type(m.number);
    if (index == 0) {
      header += "," + S(incoming ? 4 : 1) + ",0," + S(PduCoding(m.text)) + ",";
      if (!incoming) header += ",";
      header += Quote(state_.serviceCentre) + "," + type(state_.serviceCentre);
    }
    header += "," + S(static_cast<std::int64_t>(m.text.size()));
  }
  return "\r\n" + header + "\r\n" + wireText(m.text) + "\r\n";
}

std::string AtEngine::listMessages(Mem mem, const std::string& filter, bool motorola,
                                   bool headersOnly) {
  std::optional<MessageStatus> only;
  if (filter != "ALL" && filter != "HEADER ONLY") only = StatusFromName(filter);
  std::string body;
  for (auto& [index, m] : state_.messages) {
    if (!inMem(m, mem) || (only && m.status != *only)) continue;
    if (!motorola) {
      body += standardMessage(index, m);
      // Only the standard listing counts as reading; Motorola's leaves the status alone.
      if (m.status == MessageStatus::RecUnread) {
        m.status = MessageStatus::RecRead;
        changed_ = true;
      }
      continue;
    }
    std::string header =
        "+MMGL: " + S(index) + ", " + Quote(StatusName(m.status)) + ", " + Quote(m.number);
    if (m.store == MessageStore::Incoming) header += ", " + Quote(stampText(m));
    body += headersOnly ? Line(header) : "\r\n" + header + "\r\n" + wireText(m.text) + "\r\n";
  }
  return body;
}

AtEngine::Result AtEngine::mmgl(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) {
    return {true, Line("+MMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO SENT\",\"ALL\","
                       "\"HEADER ONLY\")")};
  }
  std::string filter = "REC UNREAD";
  if (form == Form::Set) {
    if (args.size() != 1) return {false};
    filter = Upper(args[0].value);
  } else if (form != Form::Exec) {
    return {false};
  }
  if (filter != "ALL" && filter != "HEADER ONLY" && !StatusFromName(filter)) return {false};
  return {true, listMessages(mem1_, filter, true, filter == "HEADER ONLY")};
}

AtEngine::Result AtEngine::cmgl(Form form, const std::vector<Arg>& args) {
  static const char* const kFilters[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "ALL"};
  if (form == Form::Test) {
    if (pduMode()) return {true, Line("+CMGL: (0-4)")};
    return {true, Line("+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\",\"STO SENT\",\"ALL\")")};
  }
  std::string filter = "REC UNREAD";
  if (form == Form::Set) {
    if (args.size() != 1) return {false};
    filter = Upper(args[0].value);
    // PDU mode names the statuses by number.
    if (pduMode()) {
      const std::optional<int> n = ToInt(args[0].value, 0, 4);
      if (!n || args[0].quoted) return {false};
      filter = kFilters[*n];
    }
  } else if (form != Form::Exec) {
    return {false};
  }
  if (filter != "ALL" && !StatusFromName(filter)) return {false};
  return {true, listMessages(mem1_, filter, false, false)};
}

AtEngine::Result AtEngine::mmgr(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  if (!index) return {false};
  const auto it = state_.messages.find(*index);
  if (it == state_.messages.end()) return {false};
  const Message& m = it->second;
  std::string header = "+MMGR: " + Quote(StatusName(m.status)) + ", " + Quote(m.number);
  if (m.store == MessageStore::Incoming) header += ", " + Quote(stampText(m));
  return {true, "\r\n" + header + "\r\n" + wireText(m.text) + "\r\n"};
}

AtEngine::Result AtEngine::cmgr(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  if (!index) return {false};
  const auto it = state_.messages.find(*index);
  if (it == state_.messages.end()) return Result::Refused(kCmsInvalidIndex);
  Message& m = it->second;
  const std::string body = standardMessage(0, m);
  if (m.status == MessageStatus::RecUnread) {
    m.status = MessageStatus::RecRead;
    changed_ = true;
  }
  return {true, body};
}

AtEngine::Result AtEngine::mmar(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  if (!index) return {false};
  const auto it = state_.messages.find(*index);
  if (it == state_.messages.end() || it->second.store != MessageStore::Incoming) {
    return {false};
  }
  if (it->second.status == MessageStatus::RecUnread) {
    it->second.status = MessageStatus::RecRead;
    changed_ = true;
  }
  return {};
}

AtEngine::Result AtEngine::cmgw(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Exec && form != Form::Set) return {false};
  std::string number;
  MessageStatus status = MessageStatus::StoUnsent;
  if (form == Form::Set) {
    if (args.size() > 3 || !args[0].quoted || args[0].value.size() > kNumberLength) return {false};
    number = args[0].value;
    if (args.size() > 1 && !ToInt(args[1].value, 0, 255)) return {false};
    if (args.size() > 2) {
      const std::optional<MessageStatus> s = StatusFromName(args[2].value);
      if (!args[2].quoted || !s || (*s != MessageStatus::StoUnsent && *s != MessageStatus::StoSent))
        return {false};
      status = *s;
    }
  }
  if (mem2_ == Mem::DM) status = MessageStatus::StoUnsent;
  // A full store refuses before it takes a text.
  if (static_cast<int>(state_.messages.size()) >= state_.messageSlots) {
    return Result::Refused(kCmsMemoryFull);
  }
  pending_ = PendingText::Store;
  pendingNumber_ = number;
  pendingStatus_ = status;
  pendingText_.clear();
  return {true, "", true};
}

AtEngine::Result AtEngine::cmgs(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() > 2 || !args[0].quoted || args[0].value.empty() ||
      args[0].value.size() > kNumberLength) {
    return {false};
  }
  if (args.size() > 1 && !ToInt(args[1].value, 0, 255)) return {false};
  pending_ = PendingText::Send;
  pendingNumber_ = args[0].value;
  pendingText_.clear();
  return {true, "", true};
}

AtEngine::Result AtEngine::cmss(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form != Form::Set || args.size() > 3) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  if (!index) return {false};
  const auto it = state_.messages.find(*index);
  if (it == state_.messages.end()) return {false};
  const bool otherNumber = args.size() > 1;
  if (otherNumber && (!args[1].quoted || args[1].value.empty())) return {false};
  if (args.size() > 2 && !ToInt(args[2].value, 0, 255)) return {false};
  Message& m = it->second;
  // A received message goes out again only to a number given here.
  if (m.store == MessageStore::Incoming && !otherNumber) return {false};
  if (!otherNumber && m.number.empty()) return {false};
  if (m.store != MessageStore::Incoming) {
    m.store = MessageStore::Outgoing;
    m.status = MessageStatus::StoSent;
  }
  const int reference = state_.nextReference;
  state_.nextReference = state_.nextReference % 255 + 1;
  changed_ = true;
  return {true, Line("+CMSS: " + S(reference))};
}

AtEngine::Result AtEngine::cmgd(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CMGD: (1-" + S(state_.messageSlots) + "),(0-4)")};
  if (form != Form::Set || args.size() > 2) return {false};
  const std::optional<int> index = ToInt(args[0].value, 1, state_.messageSlots);
  const std::optional<int> flag = args.size() == 2 ? ToInt(args[1].value, 0, 4) : 0;
  if (!index || !flag) return {false};
  if (*flag == 0) {
    const auto it = state_.messages.find(*index);
    if (it == state_.messages.end()) return Result::Refused(kCmsInvalidIndex);
    state_.messages.erase(it);
    changed_ = true;
    return {};
  }
  // 1: every read message; 2: and the sent ones; 3: and the unsent ones; 4: all.
  for (auto it = state_.messages.begin(); it != state_.messages.end();) {
    const MessageStatus s = it->second.status;
    const bool drop = inMem(it->second, mem1_) && (*flag == 4 || s == MessageStatus::RecRead ||
                                                   (*flag >= 2 && s == MessageStatus::StoSent) ||
                                                   (*flag >= 3 && s == MessageStatus::StoUnsent));
    if (drop) {
      it = state_.messages.erase(it);
      changed_ = true;
    } else {
      ++it;
    }
  }
  return {};
}

}  // namespace quorvex::sim
