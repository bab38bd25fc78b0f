// The .ics export parsed back through libical: every field of every event against the
// events it came from, one event per repeat code, alarms on and off, Cyrillic titles, the
// recurrences the rules expand to, the file write, and a read of the demo handset.
#include "datebook/ical_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "codec/cp1251.h"
#include "codec/errors.h"
#include "codec/ru.h"
#include "datebook_fixture.h"

namespace quorvex::datebook {
namespace {

// 2026-12-08 04:00:00 UTC.
constexpr std::time_t kStamp = 1796702400;

ReadEvent Event(std::int64_t index, std::string title, std::string alarm, std::string start,
                std::string date, std::string duration, std::string alarmTime,
                std::string alarmDate, std::string repeat) {
  ReadEvent e;
  e.index = index;
  e.entry.Title = std::move(title);
  e.entry.EntryFlag = "1";
  e.entry.AlarmFlag = std::move(alarm);
  e.entry.StartTime = std::move(start);
  e.entry.StartDate = std::move(date);
  e.entry.Duration = std::move(duration);
  e.entry.AlarmTime = std::move(alarmTime);
  e.entry.AlarmDate = std::move(alarmDate);
  e.entry.RepeatCode = std::move(repeat);
  return e;
}

// What a VEVENT says, read back through libical's accessors.
struct Parsed {
  std::string uid, summary, rrule;
  icaltimetype start{};
  int durationSeconds = 0;
  int alarms = 0;
  bool alarmDisplay = false;
  std::string alarmDescription;
  int triggerSeconds = 0;
  bool triggerAbsolute = false;
};

std::string Str(const char* s) {
  return s ? s : "(absent)";
}

Parsed Read(icalcomponent* vevent) {
  Parsed p;
  p.uid = Str(icalcomponent_get_uid(vevent));
  p.summary = Str(icalcomponent_get_summary(vevent));
  p.start = icalcomponent_get_dtstart(vevent);
  p.durationSeconds = icaldurationtype_as_int(icalcomponent_get_duration(vevent));
  if (icalproperty* r = icalcomponent_get_first_property(vevent, ICAL_RRULE_PROPERTY)) {
    icalrecurrencetype recur = icalproperty_get_rrule(r);
    char* s = icalrecurrencetype_as_string_r(&recur);
    p.rrule = s;
    icalmemory_free_buffer(s);
  }
  for (icalcomponent* a = icalcomponent_get_first_component(vevent, ICAL_VALARM_COMPONENT); a;
       a = icalcomponent_get_next_component(vevent, ICAL_VALARM_COMPONENT)) {
    ++p.alarms;
    p.alarmDisplay = icalproperty_get_action(icalcomponent_get_first_property(
                         a, ICAL_ACTION_PROPERTY)) == ICAL_ACTION_DISPLAY;
    if (icalproperty* d = icalcomponent_get_first_property(a, ICAL_DESCRIPTION_PROPERTY))
      p.alarmDescription = Str(icalproperty_get_description(d));
    const icaltriggertype t =
        icalproperty_get_trigger(icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY));
    p.triggerAbsolute = !icaltime_is_null_time(t.time);
    p.triggerSeconds = icaldurationtype_as_int(t.duration);
  }
  return p;
}

std::vector<icalcomponent*> Events(icalcomponent* calendar) {
  std::vector<icalcomponent*> v;
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); c;
       c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
    v.push_back(c);
  return v;
}

IcalComponentPtr ParseBack(const std::string& text) {
  IcalComponentPtr c(icalcomponent_new_from_string(text.c_str()));
  EXPECT_NE(c, nullptr) << text;
  return c;
}

struct Case {
  const char* name;
  ReadEvent event;
  // Expectations, written out by hand.
  const char* summaryUtf8;
  int year, month, day, hour, minute;
  int durationMinutes;
  const char* rrule;  // "" none
  bool alarm;
  int leadMinutes;  // trigger = -lead
};

std::vector<Case> Cases() {
  return {
      {"no_repeat_alarm_on",
       Event(3, "Test", "1", "10:30", "07-12-2026", "60", "10:15", "07-12-2026", "0"), "Test", 2026,
       7, 12, 10, 30, 60, "", true, 15},
      {"daily_no_alarm",
       Event(5, "Gym", "0", "07:30", "12-08-2026", "90", "00:00", "00-00-2000", "1"), "Gym", 2026,
       12, 8, 7, 30, 90, "FREQ=DAILY", false, 0},
      {"weekly_cyrillic",
       Event(0, Ru("Совещание"), "1", "10:00", "12-10-2026", "60", "09:45", "12-10-2026", "2"),
       "Совещание", 2026, 12, 10, 10, 0, 60, "FREQ=WEEKLY", true, 15},
      // 10 December 2026 is the second Thursday of its month.
      {"monthly_by_weekday",
       Event(7, Ru("Отчёт"), "0", "09:00", "12-10-2026", "30", "00:00", "00-00-2000", "4"), "Отчёт",
       2026, 12, 10, 9, 0, 30, "FREQ=MONTHLY;BYDAY=2TH", false, 0},
      // 31 December 2026 is a Thursday, the fifth of the month.
      {"monthly_by_weekday_fifth",
       Event(8, "Z", "0", "23:59", "12-31-2026", "1", "00:00", "00-00-2000", "4"), "Z", 2026, 12,
       31, 23, 59, 1, "FREQ=MONTHLY;BYDAY=5TH", false, 0},
      {"monthly_by_date",
       Event(9, "Rent", "1", "08:00", "01-31-2027", "15", "07:00", "01-31-2027", "3"), "Rent", 2027,
       1, 31, 8, 0, 15, "FREQ=MONTHLY", true, 60},
      {"yearly_birthday",
       Event(1, Ru("День рождения мамы"), "1", "09:00", "03-15-2027", "30", "08:00", "03-15-2027",
             "5"),
       "День рождения мамы", 2027, 3, 15, 9, 0, 30, "FREQ=YEARLY", true, 60},
      // A code the list shows no text for gives no rule either.
      {"unknown_repeat_code",
       Event(4, "X", "0", "12:00", "02-28-2027", "0", "00:00", "00-00-2000", "7"), "X", 2027, 2, 28,
       12, 0, 0, "", false, 0},
      // The editor moves an alarm before midnight to the day before.
      {"alarm_on_the_day_before",
       Event(6, "Night", "1", "00:40", "03-01-2027", "20", "23:50", "02-28-2027", "0"), "Night",
       2027, 3, 1, 0, 40, 20, "", true, 50},
      // A negative hour is no time: the alarm sounds at the start.
      {"alarm_time_negative_hour",
       Event(10, "Early", "1", "00:40", "03-01-2027", "20", "-1:50", "03-01-2027", "0"), "Early",
       2027, 3, 1, 0, 40, 20, "", true, 0},
      // The alarm date "00-00-2000" with the alarm on counts as the start date.
      {"alarm_date_not_a_date",
       Event(11, "Call", "1", "18:00", "05-05-2027", "5", "17:30", "00-00-2000", "0"), "Call", 2027,
       5, 5, 18, 0, 5, "", true, 30},
      // More seconds before the start than a trigger holds: sounds at the start.
      {"alarm_date_centuries_before",
       Event(15, "Far", "1", "18:00", "05-05-2027", "5", "17:30", "05-05-0027", "0"), "Far", 2027,
       5, 5, 18, 0, 5, "", true, 0},
      {"alarm_a_week_before",
       Event(16, "Week", "1", "18:00", "05-12-2027", "5", "18:00", "05-05-2027", "2"), "Week", 2027,
       5, 12, 18, 0, 5, "FREQ=WEEKLY", true, 7 * 1440},
      {"title_with_separators",
       Event(12, "a,b;c\\d\ne", "0", "11:11", "11-11-2027", "11", "00:00", "00-00-2000", "0"),
       "a,b;c\\d\ne", 2027, 11, 11, 11, 11, 11, "", false, 0},
      {"empty_title", Event(13, "", "0", "00:00", "02-29-2028", "0", "00:00", "00-00-2000", "0"),
       "(absent)", 2028, 2, 29, 0, 0, 0, "", false, 0},
      {"empty_title_alarm",
       Event(14, "", "1", "00:10", "02-29-2028", "0", "00:00", "02-29-2028", "2"), "(absent)", 2028,
       2, 29, 0, 10, 0, "FREQ=WEEKLY", true, 10},
  };
}

TEST(IcalExport, EveryFieldParsesBackAsTheSourceEvent) {
  const auto cases = Cases();
  std::vector<ReadEvent> events;
  for (const Case& c : cases) events.push_back(c.event);
  std::vector<std::int64_t> skipped;
  const std::string text = FormatCalendar(events, kStamp, &skipped);
  EXPECT_TRUE(skipped.empty());
  const IcalComponentPtr calendar = ParseBack(text);
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(icalcomponent_isa(calendar.get()), ICAL_VCALENDAR_COMPONENT);
  EXPECT_STREQ(icalproperty_get_prodid(
                   icalcomponent_get_first_property(calendar.get(), ICAL_PRODID_PROPERTY)),
               "-//Quorvex//Quorvex//RU");
  EXPECT_STREQ(icalproperty_get_version(
                   icalcomponent_get_first_property(calendar.get(), ICAL_VERSION_PROPERTY)),
               "2.0");

  const auto vevents = Events(calendar.get());
  ASSERT_EQ(vevents.size(), cases.size());
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    SCOPED_TRACE(c.name);
    const Parsed p = Read(vevents[k]);
    EXPECT_EQ(p.summary, c.summaryUtf8);
    EXPECT_EQ(p.start.year, c.year);
    EXPECT_EQ(p.start.month, c.month);
    EXPECT_EQ(p.start.day, c.day);
    EXPECT_EQ(p.start.hour, c.hour);
    EXPECT_EQ(p.start.minute, c.minute);
    EXPECT_EQ(p.start.second, 0);
    EXPECT_FALSE(p.start.is_date);
    EXPECT_FALSE(icaltime_is_utc(p.start)) << "the handset keeps no time zone";
    EXPECT_EQ(icaltime_get_timezone(p.start), nullptr);
    EXPECT_EQ(p.durationSeconds, c.durationMinutes * 60);
    EXPECT_EQ(p.rrule, c.rrule);
    EXPECT_EQ(p.alarms, c.alarm ? 1 : 0);
    if (c.alarm) {
      EXPECT_TRUE(p.alarmDisplay);
      EXPECT_EQ(p.alarmDescription, p.summary == "(absent)" ? "Событие" : c.summaryUtf8);
      EXPECT_FALSE(p.triggerAbsolute);
      EXPECT_EQ(p.triggerSeconds, -c.leadMinutes * 60);
    }
    EXPECT_EQ(p.uid, EventUid(c.event));
    // Every event must pass libical's own checks of a VEVENT.
    EXPECT_EQ(icalcomponent_count_errors(vevents[k]), 0);
  }
}

TEST(IcalExport, DtstampIsTheExportTimeInUtc) {
  const std::string text =
      FormatCalendar({Event(0, "T", "0", "10:00", "01-01-2027", "1", "", "", "0")}, kStamp);
  EXPECT_NE(text.find("DTSTAMP:20261208T040000Z\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("DTSTART:20270101T100000\r\n"), std::string::npos) << text;
}

TEST(IcalExport, UidsAreStableAndDistinct) {
  const ReadEvent a =
      Event(3, "Test", "1", "10:30", "07-12-2026", "60", "10:15", "07-12-2026", "0");
  ReadEvent sameAgain = a;
  ReadEvent otherIndex = a;
  otherIndex.index = 4;
  ReadEvent otherTitle = a;
  otherTitle.entry.Title = "Tesu";
  ReadEvent otherStart = a;
  otherStart.entry.StartTime = "10:31";
  EXPECT_EQ(EventUid(a), EventUid(sameAgain));
  EXPECT_EQ(EventUid(a).rfind("3-20260712T1030-", 0), 0u) << EventUid(a);
  for (const ReadEvent* e : {&otherIndex, &otherTitle, &otherStart})
    EXPECT_NE(EventUid(a), EventUid(*e));
  // The same events exported twice give the same text.
  EXPECT_EQ(FormatCalendar({a, otherIndex}, kStamp), FormatCalendar({a, otherIndex}, kStamp));
}

// The rules expand to the dates a handset user would expect.
TEST(IcalExport, RulesExpandToTheExpectedOccurrences) {
  struct Expansion {
    const char* code;
    const char* startDate;          // MM-DD-YYYY
    std::vector<std::string> next;  // YYYYMMDD of the first occurrences
  } const table[] = {
      {"1", "12-30-2026", {"20261230", "20261231", "20270101"}},
      {"2", "12-24-2026", {"20261224", "20261231", "20270107"}},
      // Code 3: the date of the month; a month without it has no occurrence.
      {"3", "12-15-2026", {"20261215", "20270115", "20270215"}},
      {"3", "01-31-2027", {"20270131", "20270331", "20270531"}},
      // Code 4: the weekday of the month, here the second Thursday.
      {"4", "12-10-2026", {"20261210", "20270114", "20270211", "20270311"}},
      {"4", "02-01-2027", {"20270201", "20270301", "20270405"}},
      // A fifth weekday comes only in the months that have one.
      {"4", "12-31-2026", {"20261231", "20270429", "20270729"}},
      {"5", "02-28-2027", {"20270228", "20280228", "20290228"}},
  };
  for (const Expansion& x : table) {
    SCOPED_TRACE(x.code);
    const IcalComponentPtr calendar = ParseBack(
        FormatCalendar({Event(0, "R", "0", "09:00", x.startDate, "10", "", "", x.code)}, kStamp));
    ASSERT_NE(calendar, nullptr);
    icalcomponent* vevent = Events(calendar.get()).at(0);
    icalproperty* rrule = icalcomponent_get_first_property(vevent, ICAL_RRULE_PROPERTY);
    ASSERT_NE(rrule, nullptr);
    icalrecur_iterator* it =
        icalrecur_iterator_new(icalproperty_get_rrule(rrule), icalcomponent_get_dtstart(vevent));
    ASSERT_NE(it, nullptr);
    std::vector<std::string> got;
    for (std::size_t k = 0; k < x.next.size(); ++k) {
      const icaltimetype t = icalrecur_iterator_next(it);
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year, t.month, t.day);
      got.push_back(buf);
      EXPECT_EQ(t.hour, 9);
    }
    icalrecur_iterator_free(it);
    EXPECT_EQ(got, x.next);
  }
}

TEST(IcalExport, EventsThatCannotBePlacedAreLeftOutAndReported) {
  const std::vector<ReadEvent> events = {
      Event(0, "ok", "0", "10:00", "01-01-2027", "5", "", "", "0"),
      Event(1, "bad date", "0", "10:00", "02-30-2027", "5", "", "", "0"),
      Event(2, "bad time", "0", "24:00", "01-01-2027", "5", "", "", "0"),
      Event(3, "bad duration", "0", "10:00", "01-01-2027", "-5", "", "", "0"),
      Event(4, "cut reply", "", "", "", "", "", "", ""),
      Event(5, "year first", "0", "10:00", "2027-01-01", "5", "", "", "0"),
      Event(6, "ok too", "1", "10:00", "01-01-2027", "5", "09:00", "01-01-2027", "9"),
  };
  std::vector<std::int64_t> skipped;
  const IcalComponentPtr calendar = BuildCalendar(events, kStamp, &skipped);
  EXPECT_EQ(skipped, (std::vector<std::int64_t>{1, 2, 3, 4, 5}));
  const auto vevents = Events(calendar.get());
  ASSERT_EQ(vevents.size(), 2u);
  EXPECT_EQ(Read(vevents[0]).summary, "ok");
  EXPECT_EQ(Read(vevents[1]).summary, "ok too");
}

class IcalFileTest : public testing::DateBookTest {};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(IcalFileTest, WritesTheTextAndReplacesAnEarlierFileWhole) {
  const std::string file = path("book.ics");
  { std::ofstream(file) << std::string(5000, 'x'); }
  const std::vector<ReadEvent> events = {
      Event(0, Ru("Ёлка"), "1", "18:00", "12-31-2026", "120", "17:00", "12-31-2026", "5")};
  EXPECT_TRUE(WriteCalendarFile(file, events, kStamp).empty());
  EXPECT_EQ(Slurp(file), FormatCalendar(events, kStamp));
  std::size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) entries += e.path() != file;
  EXPECT_EQ(entries, 0u) << "no temporary file stays behind";
}

TEST_F(IcalFileTest, AFailedWriteRaisesAndLeavesTheFileAlone) {
  EXPECT_THROW(WriteCalendarFile(path("no-such-dir/book.ics"), {}, kStamp), EInOutError);
  const std::string file = path("book.ics");
  std::filesystem::create_directory(file);  // a directory where the file should go
  EXPECT_THROW(WriteCalendarFile(file, {}, kStamp), EInOutError);
  EXPECT_TRUE(std::filesystem::is_directory(file));
  std::size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) entries += e.path() != file;
  EXPECT_EQ(entries, 0u);
}

// The demo handset read through the section, exported, parsed back: the same events.
TEST_F(IcalFileTest, DemoHandsetReadExportedAndParsedBack) {
  const sim::HandsetState demo = sim::DemoState();
  startPhone(demo);
  DateBookSection section;
  section.sbReadAllEventsClick(*app_);
  ASSERT_EQ(section.Events.size(), demo.events.size());

  const std::string file = path("demo.ics");
  EXPECT_TRUE(WriteCalendarFile(file, section.Events, kStamp).empty());
  const IcalComponentPtr calendar = ParseBack(Slurp(file));
  ASSERT_NE(calendar, nullptr);
  const auto vevents = Events(calendar.get());
  ASSERT_EQ(vevents.size(), demo.events.size());

  std::size_t k = 0;
  for (const auto& [index, ev] : demo.events) {
    SCOPED_TRACE(index);
    const Parsed p = Read(vevents[k++]);
    EXPECT_EQ(p.summary, Cp1251ToUtf8(ev.title));
    char date[16], time[8];
    std::snprintf(date, sizeof date, "%02d-%02d-%04d", p.start.month, p.start.day, p.start.year);
    std::snprintf(time, sizeof time, "%02d:%02d", p.start.hour, p.start.minute);
    EXPECT_EQ(date, ev.startDate);
    EXPECT_EQ(time, ev.startTime);
    EXPECT_EQ(p.durationSeconds, ev.duration * 60);
    EXPECT_EQ(p.alarms, ev.alarmFlag == '1' ? 1 : 0);
    if (ev.alarmFlag == '1') {
      // Every demo alarm is on the start day: the lead is start minus alarm time.
      const int lead =
          (p.start.hour * 60 + p.start.minute) -
          (std::stoi(ev.alarmTime.substr(0, 2)) * 60 + std::stoi(ev.alarmTime.substr(3, 2)));
      EXPECT_EQ(ev.alarmDate, ev.startDate);
      EXPECT_EQ(p.triggerSeconds, -lead * 60);
    }
    static const char* const kFreq[] = {
        "", "FREQ=DAILY", "FREQ=WEEKLY", "FREQ=MONTHLY", "FREQ=MONTHLY;BYDAY=", "FREQ=YEARLY"};
    ASSERT_GE(ev.repeat, 0);
    ASSERT_LE(ev.repeat, 5);
    EXPECT_EQ(p.rrule.substr(0, std::string(kFreq[ev.repeat]).size()), kFreq[ev.repeat]);
    EXPECT_EQ(p.rrule.empty(), ev.repeat == 0);
    EXPECT_EQ(p.uid.rfind(std::to_string(index) + "-", 0), 0u);
  }
}

}  // namespace
}  // namespace quorvex::datebook
