// The handset's phone book commands.

#include "sim/at_engine.h"

#include <optional>

#include "sim/at_engine_helpers.h"

namespace quorvex::sim {

using namespace engine;

namespace {

constexpr int kNameLength = 24;
constexpr int kGroupNameLength = 16;

}  // namespace

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

}  // namespace quorvex::sim
