#include "datebook/ical_export.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "codec/atomic_file.h"
#include "codec/civil_date.h"
#include "codec/cp1251.h"
#include "codec/errors.h"
#include "codec/fnv1a.h"
#include "codec/reply_fields.h"

namespace quorvex::datebook {

namespace {

// "MM-DD-YYYY", as the handset sends the start and alarm dates.
std::optional<CalendarDate> HandsetDate(std::string_view s) {
  if (s.size() != 10 || s[2] != '-' || s[5] != '-') return std::nullopt;
  const auto m = FixedDigits(s, 0, 2), d = FixedDigits(s, 3, 2), y = FixedDigits(s, 6, 4);
  if (!m || !d || !y) return std::nullopt;
  const CalendarDate date{*y, *m, *d};
  if (!IsValidDate(date)) return std::nullopt;
  return date;
}

// "HH:MM".
std::optional<TimeOfDay> HandsetTime(std::string_view s) {
  if (s.size() != 5 || s[2] != ':') return std::nullopt;
  const auto h = FixedDigits(s, 0, 2), m = FixedDigits(s, 3, 2);
  if (!h || !m || *h > 23 || *m > 59) return std::nullopt;
  return TimeOfDay{*h, *m, 0};
}

// Minutes, "0" to a few days; a sign, blank or anything else is no duration.
std::optional<int> Minutes(std::string_view s) {
  if (s.empty() || s.size() > 6) return std::nullopt;
  return FixedDigits(s, 0, s.size());
}

std::int64_t MinuteNumber(const CalendarDate& d, const TimeOfDay& t) {
  return DaysFromCivil(d.year, d.month, d.day) * 1440 + t.hour * 60 + t.minute;
}

icaltimetype FloatingTime(const CalendarDate& d, const TimeOfDay& t) {
  icaltimetype v = icaltime_null_time();
  v.year = d.year;
  v.month = d.month;
  v.day = d.day;
  v.hour = t.hour;
  v.minute = t.minute;
  v.second = 0;
  v.is_date = 0;
  v.zone = nullptr;
  return v;
}

constexpr std::int64_t kMaxLeadMinutes = std::numeric_limits<int>::max() / 60;

std::string TwoDigits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

// The repeat codes in one table: the RRULE each one stands for. Every rule repeats at
// interval 1, the only interval the handset has. Handsets repeat code 3 on the date of the
// month and code 4 on the weekday of the month, whatever the list's texts suggest.
struct RepeatCodeRule {
  char code;
  const char* rule;  // nullptr: no repetition; "" for code 4, built from the start date
};
constexpr RepeatCodeRule kRepeatRules[] = {
    {'0', nullptr},         // "нет"
    {'1', "FREQ=DAILY"},    // "ежедневно"
    {'2', "FREQ=WEEKLY"},   // "еженедельно": the weekday of the start
    {'3', "FREQ=MONTHLY"},  // "ежемесячно (день)": the day of the month of the start
    {'4', ""},              // "ежемесячно (дата)": the nth weekday of the month
    {'5', "FREQ=YEARLY"},   // "ежегодно"
};

// nullptr when the event cannot be placed in a calendar.
icalcomponent* BuildEvent(const ReadEvent& event, icaltimetype stamp) {
  const DateBookEntry& e = event.entry;
  const auto date = HandsetDate(e.StartDate);
  const auto time = HandsetTime(e.StartTime);
  const auto minutes = Minutes(e.Duration);
  if (!date || !time || !minutes) return nullptr;

  const std::string summary = Cp1251ToUtf8(e.Title);
  icalcomponent* vevent = icalcomponent_new_vevent();
  icalcomponent_add_property(vevent, icalproperty_new_uid(EventUid(event).c_str()));
  icalcomponent_add_property(vevent, icalproperty_new_dtstamp(stamp));
  icalcomponent_add_property(vevent, icalproperty_new_dtstart(FloatingTime(*date, *time)));
  icalcomponent_add_property(vevent,
                             icalproperty_new_duration(icaldurationtype_from_int(*minutes * 60)));
  // libical reads an empty SUMMARY back as an error: an untitled event has none.
  if (!summary.empty())
    icalcomponent_add_property(vevent, icalproperty_new_summary(summary.c_str()));

  const std::string rule = RepeatRule(e.RepeatCode, date->year, date->month, date->day);
  if (!rule.empty()) {
    const icalrecurrencetype recur = icalrecurrencetype_from_string(rule.c_str());
    icalcomponent_add_property(vevent, icalproperty_new_rrule(recur));
  }

  if (e.AlarmFlag == "1") {
    std::int64_t lead = 0;  // minutes before the start
    if (const auto alarmTime = HandsetTime(e.AlarmTime)) {
      const CalendarDate alarmDate = HandsetDate(e.AlarmDate).value_or(*date);
      lead = MinuteNumber(*date, *time) - MinuteNumber(alarmDate, *alarmTime);
      // A trigger is a count of seconds in an int; an alarm date centuries away is no
      // alarm time either.
      if (lead > kMaxLeadMinutes || lead < -kMaxLeadMinutes) lead = 0;
    }
    icaltriggertype trigger;
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(static_cast<int>(-lead * 60));
    icalcomponent* alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    // A display alarm must say something; an untitled event's says what it is.
    const std::string description = summary.empty() ? std::string("Событие") : summary;
    icalcomponent_add_property(alarm, icalproperty_new_description(description.c_str()));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_component(vevent, alarm);
  }
  return vevent;
}

}  // namespace

std::string RepeatRule(std::string_view repeatCode, int year, int month, int day) {
  if (repeatCode.size() != 1) return {};
  for (const RepeatCodeRule& r : kRepeatRules) {
    if (r.code != repeatCode[0] || r.rule == nullptr) continue;
    if (*r.rule != '\0') return r.rule;
    static const char* const kDays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
    const CalendarDate d{year, month, day};
    if (!IsValidDate(d)) return {};
    return "FREQ=MONTHLY;BYDAY=" + std::to_string((day - 1) / 7 + 1) +
           kDays[WeekdayOfDays(DaysFromCivil(d.year, d.month, d.day))];
  }
  return {};
}

std::string EventUid(const ReadEvent& event) {
  const DateBookEntry& e = event.entry;
  std::string start;
  if (const auto d = HandsetDate(e.StartDate))
    start = std::to_string(d->year) + TwoDigits(d->month) + TwoDigits(d->day);
  if (const auto t = HandsetTime(e.StartTime))
    start += "T" + TwoDigits(t->hour) + TwoDigits(t->minute);
  char hash[16];
  std::snprintf(hash, sizeof hash, "%08x", static_cast<unsigned>(Fnv1a(e.Title)));
  return std::to_string(event.index) + "-" + start + "-" + hash + "@quorvex";
}

IcalComponentPtr BuildCalendar(const std::vector<ReadEvent>& events, std::time_t stamp,
                               std::vector<std::int64_t>* skipped) {
  IcalComponentPtr calendar(icalcomponent_new_vcalendar());
  icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(kIcalProductId));
  icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
  const icaltimetype dtstamp =
      icaltime_from_timet_with_zone(stamp, 0, icaltimezone_get_utc_timezone());
  for (const ReadEvent& event : events) {
    if (icalcomponent* vevent = BuildEvent(event, dtstamp))
      icalcomponent_add_component(calendar.get(), vevent);
    else if (skipped)
      skipped->push_back(event.index);
  }
  return calendar;
}

std::string FormatCalendar(const std::vector<ReadEvent>& events, std::time_t stamp,
                           std::vector<std::int64_t>* skipped) {
  const IcalComponentPtr calendar = BuildCalendar(events, stamp, skipped);
  char* text = icalcomponent_as_ical_string_r(calendar.get());
  if (text == nullptr) throw MakeInOutError(ENOMEM);
  std::string out(text);
  icalmemory_free_buffer(text);
  return out;
}

std::vector<std::int64_t> WriteCalendarFile(const std::string& path,
                                            const std::vector<ReadEvent>& events,
                                            std::time_t stamp) {
  std::vector<std::int64_t> skipped;
  WriteFileAtomically(path, FormatCalendar(events, stamp, &skipped));
  return skipped;
}

ExportResult ExportICal(const DateBookSection& section, UserInterface& ui) {
  if (auto refused =
          RefuseExport(ui, section.LastReadComplete, section.Events.empty(), "date book"))
    return *refused;
  ExportResult result;
  const std::optional<std::string> path = ui.chooseSaveFile(kICalFilter, kICalExt);
  if (!path) return result;
  result.leftOut = WriteCalendarFile(*path, section.Events, LocalTimeToTime(ui.now()));
  result.outcome = ExportResult::Outcome::Written;
  result.path = *path;
  result.count = static_cast<std::int64_t>(section.Events.size() - result.leftOut.size());
  return result;
}

}  // namespace quorvex::datebook
