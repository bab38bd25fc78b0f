// Reading an iCalendar file into the handset's terms, through libical.
#include <fcntl.h>
#include <libical/ical.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "codec/civil_date.h"
#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "codec/utf8.h"
#include "datebook/ical_import.h"

namespace quorvex::datebook {

using text::IntToStr;

namespace {

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

// Nothing the handset keeps sits deeper than an alarm in an event in a calendar; a file
// nested far deeper is built to exhaust the parser's stack.
constexpr int kMaxNesting = 8;

bool StartsWithNoCase(std::string_view line, std::string_view head) {
  if (line.size() < head.size()) return false;
  for (std::size_t k = 0; k < head.size(); ++k) {
    char c = line[k];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != head[k]) return false;
  }
  return true;
}

// The text as the parser takes it: LF line ends, no NUL, no byte order mark, and without the
// logical lines longer than kMaxCalendarLine. Raises when there is no calendar to parse.
std::string UpperName(std::string_view line) {
  std::string name(line.substr(line.find(':') + 1));
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

// The text as the parser takes it: LF line ends, no NUL, no byte order mark, without the
// logical lines longer than kMaxCalendarLine, and with BEGIN and END in pairs (an END that
// closes nothing goes, and the components a cut-off file leaves open are closed), which
// the parser would otherwise complain about on stderr. Raises when there is no calendar.
std::string Prepare(std::string_view in, std::vector<std::string>& notes) {
  if (in.substr(0, 3) == "\xEF\xBB\xBF") in.remove_prefix(3);
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < in.size();) {
    std::size_t end = in.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = in.size();
    lines.push_back(in.substr(at, end - at));
    at = end;
    if (at < in.size() && in[at] == '\r') ++at;
    if (at < in.size() && in[at] == '\n') ++at;
  }
  std::string out;
  out.reserve(in.size());
  int dropped = 0;
  std::vector<std::string> open;
  bool calendar = false;
  for (std::size_t k = 0; k < lines.size();) {
    // A logical line: the line and the folded lines that continue it.
    std::size_t next = k + 1, length = lines[k].size();
    while (next < lines.size() && !lines[next].empty() &&
           (lines[next][0] == ' ' || lines[next][0] == '\t'))
      length += lines[next++].size();
    if (length > kMaxCalendarLine) {
      ++dropped;
      k = next;
      continue;
    }
    const std::string_view head = lines[k];
    if (StartsWithNoCase(head, "BEGIN:")) {
      open.push_back(UpperName(head));
      if (open.back() == "VCALENDAR") calendar = true;
      if (open.size() > static_cast<std::size_t>(kMaxNesting))
        throw ICalFormatError(Ru("Компоненты календаря вложены глубже ") + IntToStr(kMaxNesting) +
                              Ru(" уровней: файл не читается."));
    } else if (StartsWithNoCase(head, "END:")) {
      const std::string name = UpperName(head);
      const auto at = std::find(open.rbegin(), open.rend(), name);
      if (at == open.rend()) {
        k = next;
        continue;
      }
      // The components left open inside this one end with it.
      for (auto inner = open.rbegin(); inner != at; ++inner) out += "END:" + *inner + "\n";
      open.erase(std::prev(at.base()), open.end());
    }
    for (; k < next; ++k) {
      for (char c : lines[k])
        if (c != '\0') out += c;
      out += '\n';
    }
  }
  for (auto inner = open.rbegin(); inner != open.rend(); ++inner) out += "END:" + *inner + "\n";
  if (!calendar)
    throw ICalFormatError(Ru("В файле нет календаря iCalendar (строки BEGIN:VCALENDAR)."));
  if (dropped > 0)
    notes.push_back(Ru("Строк длиннее 64 КБ пропущено: ") + IntToStr(dropped) +
                    Ru(" (вложения и длинные описания телефон не хранит)"));
  return out;
}

// libical tells what it makes of a malformed file on stderr, where the CLI prints its message
// boxes; the warnings are the parser's, not the user's, and go nowhere while it runs.
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
    if (null >= 0) ::close(null);
  }
  ~QuietStderr() {
    std::fflush(stderr);
    if (saved_ < 0) return;
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : ", ") + p;
  return out;
}

// The title as the handset can hold it: cp1251 without control characters. Line breaks and
// TABs become one blank; every other character that goes is named.
std::string HandsetTitle(std::string_view utf8, std::vector<std::string>& notes) {
  DroppedNames outside, controls;
  std::string out;
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t cp;
    const std::size_t n = DecodeUtf8(utf8, at, cp);
    at += n == 0 ? 1 : n;
    if (cp == '\r' || cp == '\n' || cp == '\t') {
      if (!out.empty() && out.back() != ' ') out += ' ';
      continue;
    }
    const std::optional<unsigned char> byte = n == 0 ? std::nullopt : CodePointToCp1251(cp);
    if (!byte) {
      outside.add(CodePointName(cp));
    } else if (*byte < 0x20 || *byte == 0x7F) {
      controls.add(CodePointName(cp));
    } else {
      out += static_cast<char>(*byte);
    }
  }
  out = std::string(text::Trim(out));
  if (!outside.empty())
    notes.push_back(Ru("В заголовке удалены знаки вне кодовой страницы 1251: ") + outside.joined());
  if (!controls.empty())
    notes.push_back(Ru("В заголовке удалены управляющие знаки: ") + controls.joined());
  return out;
}

std::string TwoDigits(int v) {
  return v < 10 ? "0" + IntToStr(v) : IntToStr(v);
}

std::string DayText(int year, int month, int day) {
  return TwoDigits(day) + "." + TwoDigits(month) + "." + IntToStr(year);
}

// The start as a moment, for the zones; a floating time is the process's local time.
std::optional<std::int64_t> Seconds(const icaltimetype& t) {
  if (t.zone != nullptr) return static_cast<std::int64_t>(icaltime_as_timet_with_zone(t, t.zone));
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.is_date ? 0 : t.hour;
  tm.tm_min = t.is_date ? 0 : t.minute;
  tm.tm_sec = t.is_date ? 0 : t.second;
  tm.tm_isdst = -1;
  const std::time_t s = std::mktime(&tm);
  if (s == static_cast<std::time_t>(-1) && tm.tm_year != 69) return std::nullopt;
  return static_cast<std::int64_t>(s);
}

struct LocalStart {
  CalendarDate date;
  TimeOfDay time;
};

std::optional<LocalStart> ToLocal(const icaltimetype& t) {
  if (t.is_date || t.zone == nullptr)
    return LocalStart{{t.year, t.month, t.day},
                      {t.is_date ? 0 : t.hour, t.is_date ? 0 : t.minute, 0}};
  const std::time_t s = icaltime_as_timet_with_zone(t, t.zone);
  std::tm tm{};
  if (localtime_r(&s, &tm) == nullptr) return std::nullopt;
  return LocalStart{{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}, {tm.tm_hour, tm.tm_min, 0}};
}

bool Empty(const short* array) {
  return array[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

int Size(const short* array, int capacity) {
  int n = 0;
  while (n < capacity && array[n] != ICAL_RECURRENCE_ARRAY_MAX) ++n;
  return n;
}

// The repeat code of a rule for an event starting on that date (in the rule's own frame),
// or the reasons it has none, cp1251.
struct Mapped {
  std::string code;
  std::vector<std::string> lost;
};

Mapped MapRule(const icalrecurrencetype& r, int year, int month, int day) {
  Mapped m;
  if (r.count == 1) {  // one occurrence: no repeat, and nothing lost
    m.code = "0";
    return m;
  }
  if (r.interval > 1) m.lost.push_back(Ru("интервал ") + IntToStr(r.interval));
  if (r.count > 1) m.lost.push_back(Ru("число повторений ") + IntToStr(r.count));
  if (!icaltime_is_null_time(r.until))
    m.lost.push_back(Ru("повторы до ") + DayText(r.until.year, r.until.month, r.until.day));
  const int weekday = WeekdayOfDays(DaysFromCivil(year, month, day)) + 1;  // 1 Sunday
  const int days = Size(r.by_day, ICAL_BY_DAY_SIZE);
  const bool onlyDay = Empty(r.by_second) && Empty(r.by_minute) && Empty(r.by_hour) &&
                       Empty(r.by_year_day) && Empty(r.by_week_no);
  const auto single = [](const short* a, int capacity, int value) {
    return Size(a, capacity) == 1 && a[0] == value;
  };
  std::string code;
  if (!onlyDay) {
    // BYHOUR, BYMINUTE, BYYEARDAY and the like: more than one occurrence a period.
  } else if (days > 1) {
    m.lost.push_back(Ru("несколько дней недели"));
  } else if (r.freq == ICAL_DAILY_RECURRENCE) {
    if (days == 0 && Empty(r.by_month_day) && Empty(r.by_month) && Empty(r.by_set_pos)) code = "1";
  } else if (r.freq == ICAL_WEEKLY_RECURRENCE) {
    const bool sameDay =
        days == 0 || (icalrecurrencetype_day_position(r.by_day[0]) == 0 &&
                      static_cast<int>(icalrecurrencetype_day_day_of_week(r.by_day[0])) == weekday);
    if (sameDay && Empty(r.by_month_day) && Empty(r.by_month) && Empty(r.by_set_pos)) code = "2";
  } else if (r.freq == ICAL_MONTHLY_RECURRENCE && Empty(r.by_month)) {
    if (days == 0 && Empty(r.by_set_pos) &&
        (Empty(r.by_month_day) || single(r.by_month_day, ICAL_BY_MONTHDAY_SIZE, day))) {
      code = "3";
    } else if (days == 1 && Empty(r.by_month_day)) {
      // "2TH", or "TH" with BYSETPOS=2 as some calendars write it.
      int position = icalrecurrencetype_day_position(r.by_day[0]);
      if (position == 0 && Size(r.by_set_pos, ICAL_BY_SETPOS_SIZE) == 1) {
        position = r.by_set_pos[0];
      } else if (!Empty(r.by_set_pos)) {
        position = 0;
      }
      if (position == (day - 1) / 7 + 1 &&
          static_cast<int>(icalrecurrencetype_day_day_of_week(r.by_day[0])) == weekday)
        code = "4";
    }
  } else if (r.freq == ICAL_YEARLY_RECURRENCE) {
    if (days == 0 && Empty(r.by_set_pos) &&
        (Empty(r.by_month) || single(r.by_month, ICAL_BY_MONTH_SIZE, month)) &&
        (Empty(r.by_month_day) || single(r.by_month_day, ICAL_BY_MONTHDAY_SIZE, day)))
      code = "5";
  }
  if (code.empty() && m.lost.empty()) m.lost.push_back(Ru("такого повтора нет в списке телефона"));
  if (!m.lost.empty()) {
    if (r.count > 1 || !icaltime_is_null_time(r.until))
      m.lost.push_back(Ru("телефон повторяет без конца"));
    return m;
  }
  m.code = code;
  return m;
}

std::string RuleText(icalproperty* rrule) {
  char* s = icalproperty_get_value_as_string_r(rrule);
  std::string out = s ? s : "";
  icalmemory_free_buffer(s);
  return out;
}

// The event's length in seconds from DURATION or DTEND; nullopt when it has neither.
std::optional<std::int64_t> LengthSeconds(icalcomponent* vevent, const icaltimetype& start) {
  if (icalproperty* d = icalcomponent_get_first_property(vevent, ICAL_DURATION_PROPERTY))
    return icaldurationtype_as_int(icalproperty_get_duration(d));
  if (icalcomponent_get_first_property(vevent, ICAL_DTEND_PROPERTY) == nullptr) return std::nullopt;
  const icaltimetype end = icalcomponent_get_dtend(vevent);
  if (icaltime_is_null_time(end) || !icaltime_is_valid_time(end)) return std::nullopt;
  if (start.is_date || end.is_date)
    return (DaysFromCivil(end.year, end.month, end.day) -
            DaysFromCivil(start.year, start.month, start.day)) *
           86400;
  // Both with zones, or both floating: the difference of the moments. A floating end with a
  // zoned start is taken in the start's zone, as a calendar would show it.
  icaltimetype e = end;
  if ((start.zone == nullptr) != (end.zone == nullptr)) e.zone = start.zone;
  const auto a = Seconds(start), b = Seconds(e);
  if (!a || !b) return std::nullopt;
  return *b - *a;
}

void ReadAlarm(icalcomponent* vevent, const icaltimetype& start, std::int64_t lengthSeconds,
               CalendarEvent& ev) {
  int alarms = 0;
  icalcomponent* chosen = nullptr;
  for (icalcomponent* a = icalcomponent_get_first_component(vevent, ICAL_VALARM_COMPONENT); a;
       a = icalcomponent_get_next_component(vevent, ICAL_VALARM_COMPONENT)) {
    icalproperty* action = icalcomponent_get_first_property(a, ICAL_ACTION_PROPERTY);
    const icalproperty_action kind = action ? icalproperty_get_action(action) : ICAL_ACTION_NONE;
    if (kind != ICAL_ACTION_DISPLAY && kind != ICAL_ACTION_AUDIO) continue;
    if (icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY) == nullptr) continue;
    ++alarms;
    if (chosen == nullptr) chosen = a;
  }
  if (chosen == nullptr) return;
  if (alarms > 1)
    ev.notes.push_back(Ru("Напоминаний ") + IntToStr(alarms) +
                       Ru(": телефон хранит одно, перенесено первое"));
  icalproperty* tp = icalcomponent_get_first_property(chosen, ICAL_TRIGGER_PROPERTY);
  const icaltriggertype trigger = icalproperty_get_trigger(tp);
  std::int64_t leadSeconds = 0;
  if (!icaltime_is_null_time(trigger.time)) {
    const icaltimetype at = trigger.time;
    const auto when = Seconds(at), begins = Seconds(start);
    if (!when || !begins) return;
    leadSeconds = *begins - *when;
  } else {
    std::int64_t offset = icaldurationtype_as_int(trigger.duration);
    icalparameter* related = icalproperty_get_first_parameter(tp, ICAL_RELATED_PARAMETER);
    if (related && icalparameter_get_related(related) == ICAL_RELATED_END) offset += lengthSeconds;
    leadSeconds = -offset;
  }
  constexpr std::int64_t kMaxLeadSeconds = 366LL * 86400;
  if (leadSeconds > kMaxLeadSeconds) {
    ev.notes.push_back(Ru("Напоминание больше чем за год до начала не перенесено"));
    return;
  }
  ev.alarm = true;
  if (leadSeconds < 0) {
    ev.notes.push_back(Ru("Напоминание после начала телефон не хранит: оно будет в начале"));
    leadSeconds = 0;
  }
  ev.lead = static_cast<int>(leadSeconds / 60);
}

CalendarEvent EventOf(icalcomponent* vevent) {
  CalendarEvent ev;
  const char* summary = icalcomponent_get_summary(vevent);
  ev.title = HandsetTitle(summary ? summary : "", ev.notes);
  ev.cancelled = icalcomponent_get_status(vevent) == ICAL_STATUS_CANCELLED;

  icalproperty* dtstart = icalcomponent_get_first_property(vevent, ICAL_DTSTART_PROPERTY);
  if (dtstart == nullptr) {
    ev.unusable = Ru("нет начала (DTSTART)");
    return ev;
  }
  const icaltimetype start = icalcomponent_get_dtstart(vevent);
  if (icaltime_is_null_time(start) || !icaltime_is_valid_time(start) || start.month < 1 ||
      start.month > 12 || start.day < 1 || start.day > DaysInMonth(start.year, start.month)) {
    ev.unusable = Ru("начало не читается как дата");
    return ev;
  }
  if (icalparameter* tzid = icalproperty_get_first_parameter(dtstart, ICAL_TZID_PARAMETER);
      tzid != nullptr && start.zone == nullptr && !start.is_date) {
    const char* name = icalparameter_get_tzid(tzid);
    ev.notes.push_back(Ru("Часовой пояс «") + Utf8ToCp1251Lossy(name ? name : "") +
                       Ru("» неизвестен: время начала взято как есть"));
  }
  const std::optional<LocalStart> local = ToLocal(start);
  if (!local || local->date.year < 1900 || local->date.year > 9999) {
    ev.unusable = Ru("год начала вне 1900–9999");
    return ev;
  }
  ev.date = local->date;
  ev.time = local->time;
  ev.allDay = start.is_date != 0;

  const std::optional<std::int64_t> length = LengthSeconds(vevent, start);
  std::int64_t seconds = length.value_or(ev.allDay ? 86400 : 0);
  if (seconds < 0) {
    ev.notes.push_back(Ru("Конец раньше начала: длительность 0"));
    seconds = 0;
  }
  if (seconds > kMaxDurationMinutes * 60LL) {
    ev.notes.push_back(Ru("Длительность ") + IntToStr(seconds / 60) +
                       Ru(" мин сокращена до 1440 (сутки)"));
    seconds = kMaxDurationMinutes * 60LL;
  }
  ev.duration = static_cast<int>(seconds / 60);

  ReadAlarm(vevent, start, length.value_or(0), ev);

  int rules = 0;
  for (icalproperty* p = icalcomponent_get_first_property(vevent, ICAL_RRULE_PROPERTY); p;
       p = icalcomponent_get_next_property(vevent, ICAL_RRULE_PROPERTY)) {
    if (++rules > 1) {
      ev.repeatCode = "0";
      ev.repeatLost = Ru("Повторы по нескольким правилам RRULE телефон не хранит");
      break;
    }
    const icalrecurrencetype r = icalproperty_get_rrule(p);
    const Mapped m = MapRule(r, start.year, start.month, start.day);
    if (m.lost.empty()) {
      ev.repeatCode = m.code;
    } else {
      ev.repeatLost = Ru("Повтор «") + Utf8ToCp1251Lossy(RuleText(p)) +
                      Ru("» телефон не хранит: ") + Join(m.lost);
    }
  }
  if (ev.repeatCode != "0") {
    const int exdates = icalcomponent_count_properties(vevent, ICAL_EXDATE_PROPERTY);
    if (exdates > 0)
      ev.notes.push_back(Ru("Исключённых дат повтора (EXDATE) ") + IntToStr(exdates) +
                         Ru(": телефон их не хранит, в эти дни событие тоже будет"));
  }
  if (icalcomponent_get_first_property(vevent, ICAL_RDATE_PROPERTY) != nullptr)
    ev.notes.push_back(Ru("Дополнительные даты (RDATE) телефон не хранит"));
  if (icalcomponent_get_first_property(vevent, ICAL_RECURRENCEID_PROPERTY) != nullptr)
    ev.notes.push_back(Ru("Изменённое повторение серии: записывается отдельным событием"));
  return ev;
}

// How far a parse on another thread got, and the request to give it up.
struct CalendarParseWatch {
  std::atomic<bool> stop{false};
  std::atomic<int> percent{0};  // 0..100
};

// A parse given up at the watcher's request; never leaves this file.
struct ParseStopped {};

// The share of the progress the parser's reading of the text takes; the conversion of its
// events into the handset's terms takes the rest.
constexpr int kParseShare = 80;

void ReadCalendar(icalcomponent* calendar, CalendarFile& file, std::size_t total,
                  CalendarParseWatch* watch) {
  for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    file.events.push_back(EventOf(e));
    if (watch == nullptr || file.events.size() % 256 != 0) continue;
    if (watch->stop.load(std::memory_order_relaxed)) throw ParseStopped{};
    const std::size_t converted = std::min(file.events.size(), total);
    watch->percent.store(kParseShare + static_cast<int>(converted * (100 - kParseShare) /
                                                        std::max<std::size_t>(total, 1)),
                         std::memory_order_relaxed);
  }
}

// Feeds the parser a line at a time, as a file would (fgets), keeping count of how far it got
// and ending the input early when the watcher asks to stop.
struct LineFeed {
  std::string_view text;
  std::size_t at = 0;
  CalendarParseWatch* watch = nullptr;
  bool stopped = false;

  static char* Next(char* out, std::size_t size, void* self) {
    auto& f = *static_cast<LineFeed*>(self);
    if (f.at >= f.text.size() || size < 2) return nullptr;
    if (f.watch != nullptr) {
      if (f.watch->stop.load(std::memory_order_relaxed)) {
        f.stopped = true;
        return nullptr;
      }
      f.watch->percent.store(static_cast<int>(f.at * kParseShare / f.text.size()),
                             std::memory_order_relaxed);
    }
    const std::size_t end = f.text.find('\n', f.at);
    const std::size_t line = (end == std::string_view::npos ? f.text.size() : end + 1) - f.at;
    const std::size_t n = std::min(line, size - 1);
    std::memcpy(out, f.text.data() + f.at, n);
    out[n] = '\0';
    f.at += n;
    return out;
  }
};

struct ParserFree {
  void operator()(icalparser* p) const { icalparser_free(p); }
};

icalcomponent* Parse(std::string_view prepared, CalendarParseWatch* watch) {
  LineFeed feed{prepared, 0, watch, false};
  const std::unique_ptr<icalparser, ParserFree> parser(icalparser_new());
  icalparser_set_gen_data(parser.get(), &feed);
  // A malformed line is the file's fault, not a reason to end the program.
  const icalerrorstate was = icalerror_get_error_state(ICAL_MALFORMEDDATA_ERROR);
  icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, ICAL_ERROR_NONFATAL);
  ComponentPtr root(icalparser_parse(parser.get(), &LineFeed::Next));
  icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, was);
  if (feed.stopped) throw ParseStopped{};
  return root.release();
}

CalendarFile ParseWatched(std::string_view text, CalendarParseWatch* watch) {
  CalendarFile file;
  const std::string prepared = Prepare(text, file.notes);
  const QuietStderr quiet;
  ComponentPtr root(Parse(prepared, watch));
  if (!root) throw ICalFormatError(Ru("Календарь в файле не читается."));
  // Roughly a hundred bytes make an event: enough to spread the conversion's progress.
  const std::size_t guess = prepared.size() / 100;
  bool calendar = false;
  if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
    calendar = true;
    ReadCalendar(root.get(), file, guess, watch);
  } else {
    // Several calendars one after another come back under one root.
    for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
         c; c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
      calendar = true;
      ReadCalendar(c, file, guess, watch);
    }
  }
  if (!calendar) throw ICalFormatError(Ru("Календарь в файле не читается."));
  return file;
}

std::string ReadCalendarText(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) throw MakeInOutError(errno);
  std::string content;
  char buffer[65536];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
    // A file that grows while it is read, or a device that never ends, stops at the limit.
    if (n > kMaxCalendarBytes - content.size())
      throw EInOutError(Ru("Файл больше 16 МБ: это не календарь для телефона."), EFBIG);
    content.append(buffer, n);
    if (n < sizeof buffer) {
      if (std::ferror(f.get())) throw MakeInOutError(errno ? errno : EIO);
      break;
    }
  }
  return content;
}

}  // namespace

CalendarFile ParseCalendar(std::string_view text) {
  return ParseWatched(text, nullptr);
}

CalendarFile ReadCalendarFile(const std::string& path) {
  return ParseWatched(ReadCalendarText(path), nullptr);
}

std::optional<CalendarFile> ReadCalendarFileAside(const std::string& path, int sliceMs,
                                                  const std::function<bool(int)>& tick) {
  struct Shared {
    CalendarParseWatch watch;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::optional<CalendarFile> file;
    std::exception_ptr error;
  } shared;
  std::thread worker([&shared, &path] {
    std::optional<CalendarFile> file;
    std::exception_ptr error;
    try {
      file = ParseWatched(ReadCalendarText(path), &shared.watch);
    } catch (const ParseStopped&) {
    } catch (...) {
      error = std::current_exception();
    }
    const std::lock_guard lock(shared.mutex);
    shared.file = std::move(file);
    shared.error = error;
    shared.done = true;
    shared.ended.notify_all();
  });
  // The thread ends before this function does, however it leaves.
  struct Join {
    std::thread& worker;
    CalendarParseWatch& watch;
    ~Join() {
      watch.stop.store(true, std::memory_order_relaxed);
      worker.join();
    }
  } join{worker, shared.watch};
  for (;;) {
    {
      std::unique_lock lock(shared.mutex);
      if (shared.ended.wait_for(lock, std::chrono::milliseconds(sliceMs),
                                [&shared] { return shared.done; })) {
        if (shared.error) std::rethrow_exception(shared.error);
        return std::move(shared.file);
      }
    }
    if (!tick(shared.watch.percent.load(std::memory_order_relaxed)))
      shared.watch.stop.store(true, std::memory_order_relaxed);
  }
}

}  // namespace quorvex::datebook
