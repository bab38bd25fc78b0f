#include "sim/handset_state.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "sim/handset_text.h"

namespace quorvex::sim {

extern const std::string_view kDemoHandsetText;  // generated from data/demo_handset.txt

namespace {

constexpr std::string_view kMagic = "quorvex-handset";
// Phone memory up to 9999 and a SIM up to 1000: room for the largest phone books.
constexpr int kMostEntries = 10999;

std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (const char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  HandsetState run() {
    HandsetState state = EmptyState();
    bool sawMagic = false;
    std::size_t pos = 0;
    while (pos <= text_.size()) {
      std::size_t end = text_.find('\n', pos);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view line = text_.substr(pos, end - pos);
      pos = end + 1;
      ++lineNo_;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.empty() || line.front() == '#') continue;
      fields_ = split(line);
      const std::string& kind = fields_[0];
      if (!sawMagic) {
        if (kind != kMagic) fail("the file does not begin with \"quorvex-handset\"");
        need(2);
        if (integer(1) != 1) fail("unsupported format version");
        sawMagic = true;
        continue;
      }
      record(kind, state);
    }
    if (!sawMagic) fail("the file is empty");
    check(state);
    return state;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error("handset state, line " + std::to_string(lineNo_) + ": " + what);
  }

  std::vector<std::string> split(std::string_view line) const {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '\t') {
        out.emplace_back();
      } else if (c == '\\') {
        if (i + 1 >= line.size()) fail("a backslash ends the line");
        const char e = line[++i];
        if (e == '\\') {
          out.back() += '\\';
        } else if (e == 't') {
          out.back() += '\t';
        } else if (e == 'n') {
          out.back() += '\n';
        } else if (e == 'r') {
          out.back() += '\r';
        } else {
          fail(std::string("unknown escape \\") + e);
        }
      } else {
        out.back() += c;
      }
    }
    return out;
  }

  void need(std::size_t count) const {
    if (fields_.size() != count) {
      fail("\"" + fields_[0] + "\" takes " + std::to_string(count - 1) + " fields, not " +
           std::to_string(fields_.size() - 1));
    }
  }

  std::int64_t integer(std::size_t i, std::int64_t lo = INT32_MIN,
                       std::int64_t hi = INT32_MAX) const {
    const std::string& s = fields_[i];
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) {
      fail("field " + std::to_string(i) + " is not a number: \"" + s + "\"");
    }
    if (v < lo || v > hi) {
      fail("field " + std::to_string(i) + " is out of range: " + s);
    }
    return v;
  }

  int small(std::size_t i, int lo, int hi) const { return static_cast<int>(integer(i, lo, hi)); }

  char flag(std::size_t i) const {
    if (fields_[i].size() != 1) fail("field " + std::to_string(i) + " must be one character");
    return fields_[i][0];
  }

  void record(const std::string& kind, HandsetState& st) {
    if (identityRecord(kind, st) || sizeRecord(kind, st)) return;
    if (kind == "entry") {
      entryRecord(st);
    } else if (kind == "event") {
      eventRecord(st);
    } else if (kind == "message") {
      messageRecord(st);
    } else {
      fail("unknown record \"" + kind + "\"");
    }
  }

  // The handset's identity and status; false for a record of another kind.
  bool identityRecord(const std::string& kind, HandsetState& st) {
    const auto text = [&](std::string& into) {
      need(2);
      into = fields_[1];
    };
    if (kind == "imei") {
      text(st.imei);
    } else if (kind == "imsi") {
      text(st.imsi);
    } else if (kind == "manufacturer") {
      text(st.manufacturer);
    } else if (kind == "revision") {
      text(st.revision);
    } else if (kind == "own-number") {
      text(st.ownNumber);
    } else if (kind == "service-centre") {
      text(st.serviceCentre);
    } else if (kind == "battery") {
      need(3);
      st.batteryStatus = small(1, 0, 3);
      st.batteryLevel = small(2, 0, 100);
    } else if (kind == "signal") {
      need(3);
      st.rssi = small(1, 0, 99);
      st.ber = small(2, 0, 99);
    } else if (kind == "clock-offset") {
      need(2);
      st.clockOffset = integer(1, -4'000'000'000LL, 4'000'000'000LL);
    } else {
      return false;
    }
    return true;
  }

  // The sizes of the books and stores; false for a record of another kind.
  bool sizeRecord(const std::string& kind, HandsetState& st) {
    if (kind == "phone-book") {
      need(3);
      st.phoneSize = small(1, 0, 9999);
      st.simSize = small(2, 0, 1000);
    } else if (kind == "groups") {
      need(2);
      st.groups.resize(small(1, 0, 99));
    } else if (kind == "group") {
      need(4);
      const int n = small(1, 1, 99);
      if (static_cast<std::size_t>(n) > st.groups.size()) st.groups.resize(n);
      st.groups[n - 1] = CallerGroup{fields_[2], small(3, 0, 255)};
    } else if (kind == "date-book") {
      need(3);
      st.dateBookHighest = small(1, 0, 9999);
      st.autoDeleteWeeks = small(2, 0, 8);
    } else if (kind == "messages") {
      need(3);
      st.messageSlots = small(1, 0, 9999);
      st.nextReference = small(2, 0, 255);
    } else {
      return false;
    }
    return true;
  }

  void entryRecord(HandsetState& st) {
    if (fields_.size() != 18) need(17);
    PhoneEntry e;
    e.number = fields_[2];
    e.format = small(3, 0, 255);
    e.name = fields_[4];
    e.type = small(5, 0, 255);
    e.attr6 = small(6, 0, 255);
    e.alert = small(7, 0, 255);
    e.attr8 = small(8, 0, 255);
    e.attr9 = small(9, 0, 255);
    e.category = small(10, 0, 255);
    e.icon = small(11, 0, 255);
    e.attr12 = small(12, 0, 255);
    e.attr13 = small(13, 0, 255);
    e.iconText = fields_[14];
    e.tail1 = small(15, 0, 255);
    e.tail2 = small(16, 0, 255);
    if (fields_.size() == 18) {
      if (!DecodeUcs2Hex(fields_[17])) fail("field 17 is no UCS2 hex");
      e.nameUcs2 = fields_[17];
    }
    st.entries[small(1, 1, kMostEntries)] = e;
    entryLines_[small(1, 1, kMostEntries)] = lineNo_;
  }

  void eventRecord(HandsetState& st) {
    need(11);
    DateEvent ev;
    ev.title = fields_[2];
    ev.entryFlag = flag(3);
    ev.alarmFlag = flag(4);
    ev.startTime = fields_[5];
    ev.startDate = fields_[6];
    ev.duration = small(7, 0, 99999);
    ev.alarmTime = fields_[8];
    ev.alarmDate = fields_[9];
    ev.repeat = small(10, 0, 9);
    st.events[small(1, 0, 9999)] = ev;
    eventLines_[small(1, 0, 9999)] = lineNo_;
  }

  void messageRecord(HandsetState& st) {
    need(7);
    Message m;
    const std::string& store = fields_[2];
    if (store == "IM") {
      m.store = MessageStore::Incoming;
    } else if (store == "OM") {
      m.store = MessageStore::Outgoing;
    } else if (store == "DM") {
      m.store = MessageStore::Drafts;
    } else {
      fail("unknown message store \"" + store + "\"");
    }
    const std::string& status = fields_[3];
    if (status == "REC UNREAD") {
      m.status = MessageStatus::RecUnread;
    } else if (status == "REC READ") {
      m.status = MessageStatus::RecRead;
    } else if (status == "STO UNSENT") {
      m.status = MessageStatus::StoUnsent;
    } else if (status == "STO SENT") {
      m.status = MessageStatus::StoSent;
    } else {
      fail("unknown message status \"" + status + "\"");
    }
    if ((m.store == MessageStore::Incoming) !=
        (m.status == MessageStatus::RecRead || m.status == MessageStatus::RecUnread)) {
      fail("status \"" + status + "\" does not belong in store " + store);
    }
    m.number = fields_[4];
    m.timestamp = fields_[5];
    m.text = fields_[6];
    st.messages[small(1, 1, 9999)] = m;
    messageLines_[small(1, 1, 9999)] = lineNo_;
  }

  // Indices are checked once all sizes are known, since records may come in any order.
  void check(const HandsetState& st) {
    for (const auto& [index, line] : entryLines_) {
      if (index > st.simLast()) {
        lineNo_ = line;
        fail("entry " + std::to_string(index) + " lies beyond the phone book");
      }
    }
    for (const auto& [index, line] : eventLines_) {
      if (index > st.dateBookHighest) {
        lineNo_ = line;
        fail("event " + std::to_string(index) + " lies beyond the date book");
      }
    }
    for (const auto& [index, line] : messageLines_) {
      if (index > st.messageSlots) {
        lineNo_ = line;
        fail("message " + std::to_string(index) + " lies beyond the message slots");
      }
    }
  }

  std::string_view text_;
  int lineNo_ = 0;
  std::vector<std::string> fields_;
  std::map<int, int> entryLines_, eventLines_, messageLines_;
};

void Emit(std::ostringstream& out, const std::vector<std::string>& fields) {
  bool first = true;
  for (const std::string& f : fields) {
    if (!first) out << '\t';
    out << Escape(f);
    first = false;
  }
  out << '\n';
}

std::string S(std::int64_t v) {
  return std::to_string(v);
}

}  // namespace

std::string StoreName(MessageStore store) {
  switch (store) {
    case MessageStore::Incoming:
      return "IM";
    case MessageStore::Outgoing:
      return "OM";
    case MessageStore::Drafts:
      return "DM";
  }
  return "OM";
}

std::string StatusName(MessageStatus status) {
  switch (status) {
    case MessageStatus::RecUnread:
      return "REC UNREAD";
    case MessageStatus::RecRead:
      return "REC READ";
    case MessageStatus::StoUnsent:
      return "STO UNSENT";
    case MessageStatus::StoSent:
      return "STO SENT";
  }
  return "STO UNSENT";
}

HandsetState EmptyState() {
  return HandsetState{};
}

HandsetState DemoState() {
  return ParseState(kDemoHandsetText);
}

std::string SerializeState(const HandsetState& st) {
  std::ostringstream out;
  out << "# Simulated handset state (code page 1251, TAB-separated records)\n";
  Emit(out, {std::string(kMagic), "1"});
  Emit(out, {"imei", st.imei});
  Emit(out, {"imsi", st.imsi});
  Emit(out, {"manufacturer", st.manufacturer});
  if (!st.revision.empty()) Emit(out, {"revision", st.revision});
  Emit(out, {"own-number", st.ownNumber});
  Emit(out, {"service-centre", st.serviceCentre});
  Emit(out, {"battery", S(st.batteryStatus), S(st.batteryLevel)});
  Emit(out, {"signal", S(st.rssi), S(st.ber)});
  Emit(out, {"clock-offset", S(st.clockOffset)});
  Emit(out, {"phone-book", S(st.phoneSize), S(st.simSize)});
  Emit(out, {"groups", S(static_cast<std::int64_t>(st.groups.size()))});
  for (std::size_t i = 0; i < st.groups.size(); ++i) {
    if (!st.groups[i].name.empty()) {
      Emit(out, {"group", S(static_cast<std::int64_t>(i + 1)), st.groups[i].name,
                 S(st.groups[i].alert)});
    }
  }
  for (const auto& [i, e] : st.entries) {
    std::vector<std::string> fields = {
        "entry",     S(i),        e.number,   S(e.format), e.name,        S(e.type),
        S(e.attr6),  S(e.alert),  S(e.attr8), S(e.attr9),  S(e.category), S(e.icon),
        S(e.attr12), S(e.attr13), e.iconText, S(e.tail1),  S(e.tail2)};
    if (!e.nameUcs2.empty()) fields.push_back(e.nameUcs2);
    Emit(out, fields);
  }
  Emit(out, {"date-book", S(st.dateBookHighest), S(st.autoDeleteWeeks)});
  for (const auto& [i, ev] : st.events) {
    Emit(out,
         {"event", S(i), ev.title, std::string(1, ev.entryFlag), std::string(1, ev.alarmFlag),
          ev.startTime, ev.startDate, S(ev.duration), ev.alarmTime, ev.alarmDate, S(ev.repeat)});
  }
  Emit(out, {"messages", S(st.messageSlots), S(st.nextReference)});
  for (const auto& [i, m] : st.messages) {
    Emit(out, {"message", S(i), StoreName(m.store), StatusName(m.status), m.number, m.timestamp,
               m.text});
  }
  return out.str();
}

HandsetState ParseState(std::string_view text) {
  return Parser(text).run();
}

void SaveStateFile(const std::string& path, const HandsetState& state) {
  const std::string text = SerializeState(state);
  const std::string temp = path + ".tmp" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    throw std::runtime_error("cannot write " + temp + ": " + std::strerror(errno));
  }
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      throw std::runtime_error("cannot write " + temp + ": " + std::strerror(err));
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw std::runtime_error("cannot replace " + path + ": " + std::strerror(err));
  }
}

bool LoadStateFile(const std::string& path, HandsetState& state) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
  }
  std::string text;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throw std::runtime_error("cannot read " + path + ": " + std::strerror(err));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  state = ParseState(text);
  return true;
}

}  // namespace quorvex::sim
