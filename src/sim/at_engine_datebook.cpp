// The handset's date book commands.

#include "sim/at_engine.h"

#include <optional>

#include "sim/at_engine_helpers.h"

namespace quorvex::sim {

using namespace engine;

namespace {

constexpr int kTitleLength = 64;

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

}  // namespace

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

}  // namespace quorvex::sim
