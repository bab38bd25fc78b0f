// Calendar import: files in the shapes other calendars write, read in the handset's terms in
// Moscow time; the repeat rules against the handset's repeat codes; the preview's statuses;
// the writes against the simulated handset, up to a round trip of a date book through a file;
// and files that are no calendar or are built to wear the parser out.
#include "datebook/ical_import.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "codec/cp1251.h"
#include "codec/ru.h"
#include "datebook/event_dialog.h"
#include "datebook/ical_export.h"
#include "datebook_fixture.h"

namespace quorvex::datebook {
namespace {

using Strings = std::vector<std::string>;
using S = ICalImportRow::Status;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Data(const char* name) {
  return Slurp(std::string(QUORVEX_ICS_DIR) + "/" + name);
}

// The process's time zone for one test, given back after it.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
    had_ = std::getenv("TZ") != nullptr;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ZoneScope() {
    if (had_) {
      ::setenv("TZ", saved_.c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::string saved_;
  bool had_ = false;
};

std::string Calendar(const std::string& events) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Test//EN\r\n" + events +
         "END:VCALENDAR\r\n";
}

bool HasNote(const std::vector<std::string>& notes, const std::string& part) {
  for (const std::string& n : notes)
    if (n.find(part) != std::string::npos) return true;
  return false;
}

// ---- The shapes other calendars write.

struct Expected {
  const char* file;
  std::size_t event;
  std::string title;  // cp1251, before the plan's cut
  const char *date, *time;
  int duration;
  int lead;  // -1: no alarm
  const char* code;
  std::string repeatLost;  // a part of it; "" none
  std::string note;        // a part of one note; "" none
};

TEST(ICalRead, CalendarsOfOtherProgramsInMoscowTime) {
  ZoneScope zone("Europe/Moscow");
  const Expected table[] = {
      // UTC start, weekly by its weekday, a relative alarm, a long folded Cyrillic title.
      {"google.ics", 0,
       Ru("Еженедельное совещание отдела продаж по итогам недели с руководством филиала и "
          "подрядчиками"),
       "12-10-2026", "10:00", 60, 30, "2", "", Ru("Исключённых дат повтора (EXDATE) 1")},
      // All-day, yearly, an alarm at 9:00 on the day before.
      {"google.ics", 1, Ru("Новый год"), "12-31-2026", "00:00", 1440, 15 * 60, "5", "", ""},
      {"google.ics", 2, Ru("Еженедельное совещание отдела продаж"), "12-17-2026", "10:00", 60, -1,
       "0", "", Ru("Изменённое повторение серии")},
      {"thunderbird.ics", 0, Ru("Родительское собрание"), "12-15-2026", "18:30", 90, 15, "4", "",
       ""},
      {"thunderbird.ics", 1, Ru("Отпуск"), "01-05-2027", "00:00", 1440, -1, "0", "",
       Ru("Длительность 14400 мин сокращена до 1440")},
      // The e-mail alarm is no alarm of the handset; the sound alarm counts from the end.
      {"thunderbird.ics", 2, Ru("Стоматолог"), "12-18-2026", "12:00", 45, 15, "0", "", ""},
      {"outlook.ics", 0, Ru("Планёрка"), "12-14-2026", "10:00", 60, 15, "0",
       Ru("число повторений 10, телефон повторяет без конца"), ""},
      {"outlook.ics", 1, Ru("Рождество"), "01-07-2027", "00:00", 1440, -1, "0", "", ""},
      // A Windows zone without its VTIMEZONE: the wall time stays, and the preview says so.
      {"outlook.ics", 2, Ru("Созвон с Екатеринбургом"), "12-22-2026", "15:00", 60, -1, "0", "",
       Ru("Часовой пояс «Ekaterinburg Standard Time» неизвестен")},
      // Berlin summer time is an hour behind Moscow, its winter time two.
      {"apple.ics", 0, Ru("Бассейн"), "07-10-2026", "11:00", 60, 5, "0", Ru("интервал 2"),
       Ru("вне кодовой страницы 1251: U+1F3CA")},
      {"apple.ics", 1, Ru("Витамины"), "12-01-2026", "10:00", 30, 5, "0",
       Ru("повторы до 31.12.2026"), ""},
  };
  for (const Expected& x : table) {
    SCOPED_TRACE(std::string(x.file) + " #" + std::to_string(x.event));
    const CalendarFile file = ParseCalendar(Data(x.file));
    ASSERT_LT(x.event, file.events.size());
    const CalendarEvent& e = file.events[x.event];
    EXPECT_EQ(e.title, x.title);
    EXPECT_EQ(e.unusable, "");
    EXPECT_EQ(DateText(e.date), x.date);
    EXPECT_EQ(TimeText(e.time.hour, e.time.minute), x.time);
    EXPECT_EQ(e.duration, x.duration);
    EXPECT_EQ(e.alarm, x.lead >= 0);
    if (x.lead >= 0) {
      EXPECT_EQ(e.lead, x.lead);
    }
    EXPECT_EQ(e.repeatCode, x.code);
    if (x.repeatLost.empty()) {
      EXPECT_EQ(e.repeatLost, "");
    } else {
      EXPECT_NE(e.repeatLost.find(x.repeatLost), std::string::npos) << Cp1251ToUtf8(e.repeatLost);
    }
    if (!x.note.empty()) {
      EXPECT_TRUE(HasNote(e.notes, x.note)) << Cp1251ToUtf8(x.note);
    }
  }
  EXPECT_EQ(ParseCalendar(Data("google.ics")).events.size(), 3u);
  EXPECT_TRUE(ParseCalendar(Data("google.ics")).events[2].cancelled);
  EXPECT_EQ(ParseCalendar(Data("thunderbird.ics")).events.size(), 3u);
  EXPECT_EQ(ParseCalendar(Data("outlook.ics")).events.size(), 3u);
  EXPECT_EQ(ParseCalendar(Data("apple.ics")).events.size(), 2u);
}

// The same instant wherever the reader is: the start follows the process's zone; a floating
// time and an all-day date do not move.
TEST(ICalRead, StartsFollowTheProcessTimeZone) {
  const std::string text = Calendar(
      "BEGIN:VEVENT\r\nDTSTART:20261210T070000Z\r\nSUMMARY:utc\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Moscow:20261210T100000\r\nSUMMARY:olson\r\n"
      "END:VEVENT\r\n"
      "BEGIN:VEVENT\r\nDTSTART:20261210T100000\r\nSUMMARY:floating\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261210\r\nSUMMARY:day\r\nEND:VEVENT\r\n");
  struct Case {
    const char* zone;
    Strings starts;  // "MM-DD-YYYY HH:MM" of the four events
  } const cases[] = {
      {"Europe/Moscow",
       {"12-10-2026 10:00", "12-10-2026 10:00", "12-10-2026 10:00", "12-10-2026 00:00"}},
      {"America/New_York",
       {"12-10-2026 02:00", "12-10-2026 02:00", "12-10-2026 10:00", "12-10-2026 00:00"}},
      {"Asia/Tokyo",
       {"12-10-2026 16:00", "12-10-2026 16:00", "12-10-2026 10:00", "12-10-2026 00:00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    ZoneScope zone(c.zone);
    const CalendarFile f = ParseCalendar(text);
    Strings got;
    for (const CalendarEvent& e : f.events)
      got.push_back(DateText(e.date) + " " + TimeText(e.time.hour, e.time.minute));
    EXPECT_EQ(got, c.starts);
  }
}

// ---- Repeat rules against the handset's codes, for an event on Thursday 10 December 2026,
// the second Thursday of its month.

TEST(ICalRead, RepeatRulesMapToTheHandsetsCodes) {
  ZoneScope zone("Europe/Moscow");
  struct Rule {
    const char* rrule;
    const char* code;  // "" when it cannot be kept
    const char* lost;  // a part of what is named, UTF-8
  } const table[] = {
      {"FREQ=DAILY", "1", ""},
      {"FREQ=DAILY;INTERVAL=1", "1", ""},
      {"FREQ=WEEKLY", "2", ""},
      {"FREQ=WEEKLY;BYDAY=TH;WKST=MO", "2", ""},
      {"FREQ=MONTHLY", "3", ""},
      {"FREQ=MONTHLY;BYMONTHDAY=10", "3", ""},
      {"FREQ=MONTHLY;BYDAY=2TH", "4", ""},
      {"FREQ=MONTHLY;BYDAY=TH;BYSETPOS=2", "4", ""},
      {"FREQ=YEARLY", "5", ""},
      {"FREQ=YEARLY;BYMONTH=12;BYMONTHDAY=10", "5", ""},
      {"FREQ=WEEKLY;COUNT=1", "0", ""},
      {"FREQ=WEEKLY;BYDAY=FR", "", "такого повтора нет"},
      {"FREQ=WEEKLY;BYDAY=MO,TH", "", "несколько дней недели"},
      {"FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR", "", "несколько дней недели"},
      {"FREQ=WEEKLY;INTERVAL=2", "", "интервал 2"},
      {"FREQ=MONTHLY;BYMONTHDAY=11", "", "такого повтора нет"},
      {"FREQ=MONTHLY;BYDAY=-1TH", "", "такого повтора нет"},
      {"FREQ=MONTHLY;BYDAY=3TH", "", "такого повтора нет"},
      {"FREQ=YEARLY;BYMONTH=5;BYDAY=2SU", "", "такого повтора нет"},
      {"FREQ=HOURLY", "", "такого повтора нет"},
      {"FREQ=DAILY;BYHOUR=10,18", "", "такого повтора нет"},
      {"FREQ=WEEKLY;COUNT=5", "", "число повторений 5, телефон повторяет без конца"},
      {"FREQ=YEARLY;UNTIL=20300101T000000Z", "", "повторы до 01.01.2030"},
  };
  for (const Rule& r : table) {
    SCOPED_TRACE(r.rrule);
    const CalendarFile f = ParseCalendar(
        Calendar("BEGIN:VEVENT\r\nDTSTART:20261210T100000\r\nRRULE:" + std::string(r.rrule) +
                 "\r\nSUMMARY:R\r\nEND:VEVENT\r\n"));
    ASSERT_EQ(f.events.size(), 1u);
    const CalendarEvent& e = f.events[0];
    if (*r.code != '\0') {
      EXPECT_EQ(e.repeatCode, r.code);
      EXPECT_EQ(e.repeatLost, "");
    } else {
      EXPECT_EQ(e.repeatCode, "0");
      EXPECT_NE(Cp1251ToUtf8(e.repeatLost).find(r.lost), std::string::npos)
          << Cp1251ToUtf8(e.repeatLost);
      EXPECT_EQ(Cp1251ToUtf8(e.repeatLost).rfind("Повтор «FREQ=", 0), 0u) << "the rule is named";
    }
  }
  // Every code's rule as the export writes it comes back as the code, on every kind of date.
  for (const char* date : {"20261210", "20261231", "20270131", "20270201"}) {
    const int y = std::stoi(std::string(date, 4)), m = std::stoi(std::string(date + 4, 2)),
              d = std::stoi(std::string(date + 6, 2));
    for (const char* code : {"1", "2", "3", "4", "5"}) {
      SCOPED_TRACE(std::string(date) + " code " + code);
      const CalendarFile f = ParseCalendar(Calendar(
          "BEGIN:VEVENT\r\nDTSTART:" + std::string(date) +
          "T090000\r\nRRULE:" + RepeatRule(code, y, m, d) + "\r\nSUMMARY:R\r\nEND:VEVENT\r\n"));
      EXPECT_EQ(f.events.at(0).repeatCode, code);
    }
  }
}

// ---- Single fields: titles, alarms, lengths and the events that cannot be written.

TEST(ICalRead, FieldsInTheHandsetsTerms) {
  ZoneScope zone("Europe/Moscow");
  struct Case {
    const char* what;
    std::string body;  // the VEVENT's lines without BEGIN/END
    std::string title;
    int duration, lead;  // lead -1: no alarm
    std::string unusable, note;
  } const cases[] = {
      {"escaped separators, a line break and a TAB become blanks",
       "DTSTART:20261210T100000\r\nSUMMARY:a\\, b\\; c\\nd\te\r\n", "a, b; c d e", 0, -1, "", ""},
      {"no SUMMARY: an untitled event", "DTSTART:20261210T100000\r\n", "", 0, -1, "", ""},
      {"a control character is named", "DTSTART:20261210T100000\r\nSUMMARY:a\x01z\r\n", "az", 0, -1,
       "", Ru("управляющие знаки: U+0001")},
      {"DTEND before DTSTART", "DTSTART:20261210T100000\r\nDTEND:20261210T090000\r\nSUMMARY:x\r\n",
       "x", 0, -1, "", Ru("Конец раньше начала")},
      {"DTEND in another zone than DTSTART",
       "DTSTART;TZID=Europe/Moscow:20261210T100000\r\nDTEND:20261210T080000Z\r\nSUMMARY:x\r\n", "x",
       60, -1, "", ""},
      {"an alarm after the start sounds at the start",
       "DTSTART:20261210T100000\r\nSUMMARY:x\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
       "TRIGGER:PT10M\r\nEND:VALARM\r\n",
       "x", 0, 0, "", Ru("Напоминание после начала")},
      {"two alarms: the first",
       "DTSTART:20261210T100000\r\nSUMMARY:x\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
       "TRIGGER:-PT10M\r\nEND:VALARM\r\nBEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT1H\r\n"
       "END:VALARM\r\n",
       "x", 0, 10, "", Ru("перенесено первое")},
      {"an alarm two years ahead is dropped",
       "DTSTART:20261210T100000\r\nSUMMARY:x\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
       "TRIGGER:-P800D\r\nEND:VALARM\r\n",
       "x", 0, -1, "", Ru("больше чем за год")},
      {"no DTSTART", "SUMMARY:x\r\nDTEND:20261210T100000\r\n", "x", 0, -1, Ru("нет начала"), ""},
      {"a start that is no date", "DTSTART:20261310T100000\r\nSUMMARY:x\r\n", "x", 0, -1,
       Ru("начало не читается"), ""},
      {"a year the handset has no date for", "DTSTART:18000101T100000\r\nSUMMARY:x\r\n", "x", 0, -1,
       Ru("год начала вне"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CalendarFile f = ParseCalendar(Calendar("BEGIN:VEVENT\r\n" + c.body + "END:VEVENT\r\n"));
    ASSERT_EQ(f.events.size(), 1u);
    const CalendarEvent& e = f.events[0];
    EXPECT_EQ(e.title, c.title);
    EXPECT_EQ(e.unusable.substr(0, c.unusable.size()), c.unusable);
    EXPECT_EQ(e.unusable.empty(), c.unusable.empty());
    if (!c.unusable.empty()) continue;
    EXPECT_EQ(e.duration, c.duration);
    EXPECT_EQ(e.alarm, c.lead >= 0);
    if (c.lead >= 0) {
      EXPECT_EQ(e.lead, c.lead);
    }
    if (!c.note.empty()) {
      EXPECT_TRUE(HasNote(e.notes, c.note)) << Cp1251ToUtf8(c.note);
    }
  }
}

// ---- Files that are no calendar, and files built to wear the parser out.

TEST(ICalRead, FilesThatAreNoCalendarSaySo) {
  for (const std::string& text :
       {std::string(), std::string("BEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\n"),
        std::string("\x89PNG\r\n\x1a\n\0\0\0", 11), std::string(100, '\n')}) {
    try {
      ParseCalendar(text);
      ADD_FAILURE() << "parsed: " << text;
    } catch (const ICalFormatError& e) {
      EXPECT_EQ(Cp1251ToUtf8(e.what()),
                "В файле нет календаря iCalendar (строки BEGIN:VCALENDAR).");
    }
  }
  // An empty calendar is a calendar with no events; one without its END still gives its events.
  EXPECT_TRUE(ParseCalendar(Calendar("")).events.empty());
  EXPECT_EQ(ParseCalendar("BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART:20261210T100000\nEND:VEVENT\n")
                .events.size(),
            1u);
}

TEST(ICalRead, HostileShapesEndQuicklyWithTheirEventsOrAClearError) {
  ZoneScope zone("Europe/Moscow");
  // A 10 MB property line, folded and not: dropped, the events around it kept, the drop named.
  for (const bool folded : {false, true}) {
    std::string huge;
    for (int k = 0; k < 10 * 1024; ++k) huge += std::string(1023, 'x') + (folded ? "\r\n " : "");
    const CalendarFile f =
        ParseCalendar(Calendar("BEGIN:VEVENT\r\nDTSTART:20261210T100000\r\nDESCRIPTION:" + huge +
                               "\r\nSUMMARY:kept\r\nEND:VEVENT\r\n"));
    ASSERT_EQ(f.events.size(), 1u);
    EXPECT_EQ(f.events[0].title, "kept");
    EXPECT_EQ(f.notes, Strings{Ru("Строк длиннее 64 КБ пропущено: 1 (вложения и длинные "
                                  "описания телефон не хранит)")});
  }
  // Components nested a hundred thousand deep.
  std::string deep = "BEGIN:VCALENDAR\r\n";
  for (int k = 0; k < 100000; ++k) deep += "BEGIN:VEVENT\r\n";
  EXPECT_THROW(ParseCalendar(deep), ICalFormatError);
}

// Many plain events, some hundred bytes each: a file that parses for a noticeable while.
std::string ManyEvents(int n) {
  std::string events;
  for (int k = 0; k < n; ++k)
    events += "BEGIN:VEVENT\r\nUID:" + std::to_string(k) +
              "@example.org\r\nDTSTART:20270110T100000\r\nDTEND:20270110T103000\r\nSUMMARY:"
              "Event " +
              std::to_string(k) + "\r\nEND:VEVENT\r\n";
  return Calendar(events);
}

// Mutations of a real file: each parses to events or fails with the format error; nothing
// else escapes and nothing reads outside a buffer (the sanitizer build checks that).
TEST(ICalRead, MutatedFilesNeverCrash) {
  ZoneScope zone("Europe/Moscow");
  const std::string sample = Data("outlook.ics") + Data("apple.ics");
  static const char* const kTokens[] = {"BEGIN:", "END:",  ":",     ";",      "\r\n ", "=",
                                        "\"",     "\\",    "TZID=", "VALUE=", "-P",    "\xD0",
                                        "\xFF",   "RRULE", "Z",     "T",      "\0"};
  std::mt19937 rng(20261209);
  int parsed = 0, refused = 0;
  for (int round = 0; round < 400; ++round) {
    std::string s = sample;
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int k = 0; k < edits && !s.empty(); ++k) {
      const std::size_t at = rng() % s.size();
      switch (rng() % 4) {
        case 0:
          s[at] = static_cast<char>(rng());
          break;
        case 1:
          s.erase(at, 1 + rng() % 40);
          break;
        case 2: {
          const char* t = kTokens[rng() % std::size(kTokens)];
          s.insert(at, t, std::max<std::size_t>(1, std::char_traits<char>::length(t)));
          break;
        }
        default:
          s.insert(at, s.substr(rng() % s.size(), rng() % 200));
      }
    }
    try {
      const CalendarFile f = ParseCalendar(s);
      ++parsed;
      for (const CalendarEvent& e : f.events) {
        if (!e.unusable.empty()) continue;
        EXPECT_TRUE(IsValidDate(e.date)) << round;
        EXPECT_GE(e.duration, 0);
        EXPECT_LE(e.duration, kMaxDurationMinutes);
        EXPECT_GE(e.lead, 0);
      }
    } catch (const ICalFormatError& e) {
      ++refused;
      EXPECT_GT(std::string(e.what()).size(), 10u);
    }
  }
  EXPECT_EQ(parsed + refused, 400);
  EXPECT_GT(parsed, 200) << "most mutations leave a calendar";
}

// ---- The preview.

ReadEvent OnHandset(std::int64_t index, const std::string& title, const std::string& date,
                    const std::string& time) {
  ReadEvent e;
  e.index = index;
  e.entry.Title = title;
  e.entry.StartDate = date;
  e.entry.StartTime = time;
  return e;
}

CalendarEvent Ev(const std::string& title, CalendarDate date, TimeOfDay time) {
  CalendarEvent e;
  e.title = title;
  e.date = date;
  e.time = time;
  e.duration = 30;
  return e;
}

TEST(ICalPlan, StatusesIndicesAndTheRepeatChoice) {
  ICalImportInput in;
  in.highestIndex = 4;  // indices 0..4; 1 and 3 hold events
  in.titleLength = 8;
  in.onHandset = {OnHandset(1, "Old", "12-10-2026", "10:00"),
                  OnHandset(3, "Twice", "12-11-2026", "09:00")};
  CalendarEvent lost = Ev("Lost", {2026, 12, 12}, {8, 0, 0});
  lost.repeatLost = Ru("Повтор «FREQ=WEEKLY;COUNT=3» телефон не хранит: число повторений 3");
  CalendarEvent unusable;
  unusable.title = "Bad";
  unusable.unusable = Ru("нет начала (DTSTART)");
  CalendarEvent cancelled = Ev("Gone", {2026, 12, 13}, {8, 0, 0});
  cancelled.cancelled = true;
  CalendarEvent alarm = Ev("A title too long", {2026, 12, 14}, {0, 10, 0});
  alarm.alarm = true;
  alarm.lead = 20;  // into the day before
  alarm.repeatCode = "2";
  in.file.events = {Ev("Old", {2026, 12, 10}, {10, 0, 0}),
                    alarm,
                    unusable,
                    cancelled,
                    lost,
                    Ev("New", {2026, 12, 15}, {7, 5, 0}),
                    Ev("New", {2026, 12, 15}, {7, 5, 0}),
                    Ev("Late", {2026, 12, 16}, {7, 5, 0}),
                    Ev("Later", {2026, 12, 17}, {7, 5, 0})};

  const ICalImportPlan plan(in, false);
  std::vector<std::pair<S, std::int64_t>> got;
  for (const ICalImportRow& r : plan.rows()) got.emplace_back(r.status, r.index);
  const std::vector<std::pair<S, std::int64_t>> want = {
      {S::OnHandset, 1},      {S::Write, 0},       {S::Unusable, -1},
      {S::Cancelled, -1},     {S::RepeatLost, -1}, {S::Write, 2},
      {S::EarlierInFile, -1}, {S::Write, 4},       {S::NoRoom, -1}};
  EXPECT_EQ(got, want);
  // The cut title is what is written and what a second import compares.
  EXPECT_EQ(plan.rows()[1].title, "A title ");
  EXPECT_TRUE(HasNote(plan.rows()[1].notes, Ru("Заголовок обрезан до 8 знаков")));
  EXPECT_EQ(plan.altered(), 1);
  EXPECT_EQ(Cp1251ToUtf8(plan.Summary()),
            "Будет записано: 3; уже в телефоне: 1; повторов в файле: 1; не помещается: 1; с "
            "повтором, которого телефон не хранит: 1; пропущено: 2; с изменениями: 1.");

  // The command is the one "Создать" builds for the same values.
  TfrmAddEvent d;
  testing::RecordingUi ui;
  d.edtEventTitle = "A title ";
  d.EventIndex = 0;
  d.dtpStartDate = {2026, 12, 14};
  d.dtpStartTime = {0, 10, 0};
  d.seDuration.setValue(30);
  d.seAl_time.setValue(20);
  d.RadioGroup1.itemIndex = 1;
  d.cbRepeat.select(2);
  ASSERT_TRUE(d.SpeedButton1Click(ui));
  EXPECT_EQ(plan.rows()[1].command, d.WriteCommand);
  EXPECT_EQ(plan.rows()[1].command,
            "AT+MDBW=0,00410020007400690074006C00650020,1,1,\"00:10\",\"12-14-2026\",30,"
            "\"23:50\",\"12-13-2026\",2");

  // With the check box the event goes in without its repeat, and the rest move up.
  const ICalImportPlan without(in, true);
  EXPECT_EQ(without.rows()[4].status, S::Write);
  EXPECT_EQ(without.rows()[4].index, 2);
  EXPECT_EQ(without.rows()[4].repeatCode, "0");
  EXPECT_TRUE(HasNote(without.rows()[4].notes, Ru("Без повтора. Повтор «FREQ=WEEKLY;COUNT=3»")));
  EXPECT_EQ(without.rows()[8].status, S::NoRoom);
  EXPECT_EQ(without.rows()[7].status, S::NoRoom);

  const ListModel list = plan.PreviewList();
  ASSERT_EQ(list.rows.size(), plan.rows().size());
  const auto cells = [](const ListRow& r) {
    Strings s = {r.caption};
    for (const ListCell& c : r.subItems) s.push_back(Cp1251ToUtf8(c.text));
    return s;
  };
  EXPECT_EQ(cells(list.rows[1]),
            (Strings{"0", "A title ", "00:10", "12-14-2026", "30", "еженедельно", "за 20 мин",
                     "Будет записано под номером 0; Заголовок обрезан до 8 знаков"}));
  EXPECT_EQ(cells(list.rows[2]),
            (Strings{"", "Bad", "", "", "", "", "", "Пропущено: нет начала (DTSTART)"}));
  EXPECT_EQ(cells(list.rows[0]).at(7), "Пропущено: уже есть в телефоне под номером 1");
}

TEST(ICalPlan, ALongFileShowsItsFirstRowsAndCountsTheRest) {
  ICalImportInput in;
  in.highestIndex = 9;
  for (int k = 0; k < 2500; ++k)
    in.file.events.push_back(Ev("E" + std::to_string(k), {2027, 1, 1}, {0, 0, 0}));
  const ICalImportPlan plan(in, false);
  EXPECT_EQ(plan.count(S::Write), 10);
  EXPECT_EQ(plan.count(S::NoRoom), 2490);
  const ListModel list = plan.PreviewList();
  ASSERT_EQ(list.rows.size(), ICalImportPlan::kPreviewRows + 1);
  EXPECT_EQ(Cp1251ToUtf8(list.rows.back().subItems.back().text),
            "И ещё событий: 500 (их счёт — в строке над списком)");
}

// ---- The operation against the simulated handset.

sim::DateEvent SimEvent(const std::string& title, const std::string& start,
                        const std::string& date) {
  sim::DateEvent ev;
  ev.title = title;
  ev.startTime = start;
  ev.startDate = date;
  ev.duration = 30;
  return ev;
}

class ICalImportTest : public testing::DateBookTest {
 protected:
  void SetUp() override {
    DateBookTest::SetUp();
    ::setenv("TZ", "Europe/Moscow", 1);
    ::tzset();
    section.SetControlsEnabled = [this](bool enabled) { busy.push_back(enabled); };
  }
  void TearDown() override {
    ::unsetenv("TZ");
    ::tzset();
    DateBookTest::TearDown();
  }
  void start(int highest, std::map<int, sim::DateEvent> events) {
    sim::HandsetState st = sim::EmptyState();
    st.dateBookHighest = highest;
    st.events = std::move(events);
    startPhone(st);
  }
  ICalImportResult import(const std::string& text, bool write = true, bool withoutRepeat = false) {
    writeFile("in.ics", text);
    ui_.opens = {path("in.ics")};
    ui_.onModal = [write, withoutRepeat](ModalDialog& d) {
      auto* import = dynamic_cast<TfrmImportICal*>(&d);
      ASSERT_NE(import, nullptr);
      if (withoutRepeat) {
        import->cbWithoutRepeat.checked = true;
        import->cbWithoutRepeatClick();
      }
      if (write) {
        import->btnWriteClick();
      } else {
        import->btnCancelClick();
      }
    };
    return ImportICalClick(section, *app_, dialog);
  }
  Strings sent() {
    Strings t = phone().transcript();
    Strings out(t.begin() + static_cast<long>(mark_), t.end());
    mark_ = t.size();
    return out;
  }

  DateBookSection section;
  TfrmImportICal dialog;
  std::vector<bool> busy;
  std::size_t mark_ = 0;
};

Strings ReadCommands(int highest) {
  Strings s = {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBR=?"};
  for (int i = 0; i <= highest; ++i) s.push_back("AT+MDBR=" + std::to_string(i));
  s.push_back("AT+MDBL=0");
  s.push_back("AT+MDBL=0");
  return s;
}

TEST_F(ICalImportTest, WireTranscriptOfAnImport) {
  start(3, {{1, SimEvent("Old", "10:00", "12-10-2026")}});
  section.sbReadAllEventsClick(*app_);
  sent();
  const ICalImportResult r = import(
      Calendar("BEGIN:VEVENT\r\nDTSTART:20261210T070000Z\r\nSUMMARY:Old\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Moscow:20261211T093000\r\nDURATION:PT45M\r\n"
               "SUMMARY:Врач\r\nRRULE:FREQ=MONTHLY;BYDAY=2FR\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
               "TRIGGER:-PT1H\r\nEND:VALARM\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261231\r\nSUMMARY:NY\r\nEND:VEVENT\r\n"));
  EXPECT_EQ(r.outcome, ICalImportResult::Outcome::Written);
  EXPECT_EQ(r.written, 2);
  ASSERT_EQ(r.leftOut.size(), 1u);
  EXPECT_EQ(r.leftOut[0].status, S::OnHandset);
  Strings want = {"AT+CSCS=UCS2", "AT+MDBL=1",
                  "AT+MDBW=0,0412044004300447,1,1,\"09:30\",\"12-11-2026\",45,\"08:30\","
                  "\"12-11-2026\",4",
                  "AT+MDBW=2,004E0059,1,0,\"00:00\",\"12-31-2026\",1440,\"00:00\","
                  "\"00-00-2000\",0",
                  "AT+MDBL=0"};
  const Strings reread = ReadCommands(3);
  want.insert(want.end(), reread.begin(), reread.end());
  EXPECT_EQ(sent(), want);
  EXPECT_EQ(ui_.pauses, std::vector<int>{500});
  EXPECT_EQ(ui_.boxes.back(), (testing::Box{Ru("Записано в ежедневник: 2 из 2."),
                                            MsgKind::Information, MsgButtons::Ok}));
  EXPECT_EQ(section.Events.size(), 3u);
  // The read, the file's parse, the writes and the read after them.
  EXPECT_EQ(busy, (std::vector<bool>{false, true, false, true, false, true, false, true}));

  // A second import of the same file finds every event on the handset and writes nothing.
  ui_.boxes.clear();
  ICalImportResult again = import(Slurp(path("in.ics")));
  EXPECT_EQ(dialog.Plan.count(S::OnHandset), 3);
  EXPECT_FALSE(dialog.btnWrite.enabled);
  EXPECT_EQ(again.outcome, ICalImportResult::Outcome::Cancelled);
  EXPECT_EQ(sent(), Strings{});
}

TEST_F(ICalImportTest, RoundTripThroughAFileGivesTheSameEvents) {
  const sim::HandsetState demo = sim::DemoState();
  startPhone(demo);
  DateBookSection source;
  source.sbReadAllEventsClick(*app_);
  ASSERT_FALSE(source.Events.empty());
  const std::string file = path("book.ics");
  ASSERT_TRUE(WriteCalendarFile(file, source.Events, 1796702400).empty());
  const std::string exported = Slurp(file);
  phone_.reset();

  sim::HandsetState empty = demo;
  empty.events.clear();
  startPhone(empty);
  mark_ = 0;
  section.sbReadAllEventsClick(*app_);
  ASSERT_TRUE(section.Events.empty());
  const ICalImportResult r = import(exported);
  EXPECT_EQ(r.outcome, ICalImportResult::Outcome::Written);
  EXPECT_EQ(r.written, static_cast<int>(demo.events.size()));
  EXPECT_EQ(dialog.Plan.altered(), 0);
  // The same events at the lowest indices, in the order of the export.
  std::vector<sim::DateEvent> before, after;
  for (const auto& [index, ev] : demo.events) before.push_back(ev);
  for (const auto& [index, ev] : phone().state().events) after.push_back(ev);
  EXPECT_EQ(after, before);
  EXPECT_EQ(phone().state().events.begin()->first, 0);
}

TEST_F(ICalImportTest, AFullDateBookAndARefusedWriteAreNamed) {
  start(1, {{0, SimEvent("A", "10:00", "12-10-2026")}});
  section.sbReadAllEventsClick(*app_);
  // One free index: the first event goes in, the second does not fit.
  const std::string two = Calendar(
      "BEGIN:VEVENT\r\nDTSTART:20261212T100000\r\nSUMMARY:B\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nDTSTART:20261213T100000\r\nSUMMARY:C\r\nEND:VEVENT\r\n");
  ICalImportResult r = import(two);
  EXPECT_EQ(r.written, 1);
  ASSERT_EQ(r.leftOut.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(r.leftOut[0].statusText),
            "Не помещается: в ежедневнике нет свободного места");

  // A title the handset refuses stops the import and says how many went in.
  phone_.reset();
  start(3, {});
  section.sbReadAllEventsClick(*app_);
  ui_.boxes.clear();
  section.TitleLength = 100;  // more than the handset takes
  r =
      import(Calendar("BEGIN:VEVENT\r\nDTSTART:20261212T100000\r\nSUMMARY:ok\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART:20261213T100000\r\nSUMMARY:" +
                      std::string(80, 'x') + "\r\nEND:VEVENT\r\n"));
  EXPECT_EQ(r.outcome, ICalImportResult::Outcome::Stopped);
  EXPECT_EQ(r.written, 1);
  ASSERT_FALSE(ui_.boxes.empty());
  EXPECT_EQ(ui_.boxes[0], (testing::Box{Ru("Телефон не принял событие \"") + std::string(80, 'x') +
                                            Ru("\" под номером 1.\r\nИмпорт остановлен: записано "
                                               "1 из 2."),
                                        MsgKind::Error, MsgButtons::Ok}));
  EXPECT_EQ(phone().state().events.size(), 1u);
}

TEST_F(ICalImportTest, NeedsACompleteReadAndSaysWhenTheFileIsNoCalendar) {
  start(3, {});
  ICalImportResult r = import(Calendar(""));
  EXPECT_EQ(r.outcome, ICalImportResult::Outcome::NotRead);
  EXPECT_TRUE(ui_.openFilters.empty()) << "no file asked for";
  section.sbReadAllEventsClick(*app_);
  sent();
  r = import("BEGIN:VCARD\r\nEND:VCARD\r\n");
  EXPECT_EQ(r.outcome, ICalImportResult::Outcome::NotCalendar);
  EXPECT_EQ(ui_.boxes.back(),
            (testing::Box{Ru("Файл не читается как календарь iCalendar:\r\n") + path("in.ics") +
                              Ru("\r\nВ файле нет календаря iCalendar (строки BEGIN:VCALENDAR)."),
                          MsgKind::Error, MsgButtons::Ok}));
  EXPECT_EQ(sent(), Strings{});
  // A cancelled preview sends nothing either.
  r = import(Calendar("BEGIN:VEVENT\r\nDTSTART:20261212T100000\r\nSUMMARY:B\r\nEND:VEVENT\r\n"),
             false);
  EXPECT_EQ(r.outcome, ICalImportResult::Outcome::Cancelled);
  EXPECT_EQ(sent(), Strings{});
}

TEST_F(ICalImportTest, AStopAfterAWriteKeepsWhatWentInAndItsIndex) {
  start(5, {});
  section.sbReadAllEventsClick(*app_);
  sent();
  int writes = 0;
  ui_.onPump = [&] {
    if (!phone().transcript().empty() && phone().transcript().back().rfind("AT+MDBW=", 0) == 0 &&
        ++writes == 1)
      app_->stop().request();
  };
  const ICalImportResult r =
      import(Calendar("BEGIN:VEVENT\r\nDTSTART:20261212T100000\r\nSUMMARY:B\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART:20261213T100000\r\nSUMMARY:C\r\nEND:VEVENT\r\n"));
  ui_.onPump = nullptr;
  EXPECT_EQ(r.outcome, ICalImportResult::Outcome::Stopped);
  EXPECT_EQ(r.written, 1);
  const Strings s = sent();
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s.back(), "AT+MDBL=0");
  EXPECT_EQ(std::count_if(s.begin(), s.end(),
                          [](const std::string& c) { return c.rfind("AT+MDBW=", 0) == 0; }),
            1);
  // The event written is known without a new read: the next import does not take its index.
  ASSERT_EQ(section.Events.size(), 1u);
  EXPECT_EQ(section.Events[0].index, 0);
  EXPECT_EQ(section.Events[0].entry.Title, "B");
}

// The parse on a thread of its own gives what the parse in place gives, tells how far it got
// on the calling thread, gives up when a tick says so and raises what the parse raises.
TEST_F(ICalImportTest, AParseAsideEndsAsTheParseInPlaceOrWhenTickedToStop) {
  writeFile("many.ics", ManyEvents(3000));
  const std::string file = path("many.ics");
  std::vector<int> seen;
  const std::optional<CalendarFile> aside = ReadCalendarFileAside(file, 1, [&](int percent) {
    seen.push_back(percent);
    return true;
  });
  ASSERT_TRUE(aside.has_value());
  const CalendarFile inPlace = ReadCalendarFile(file);
  ASSERT_EQ(aside->events.size(), 3000u);
  ASSERT_EQ(aside->events.size(), inPlace.events.size());
  EXPECT_EQ(aside->events.back().title, inPlace.events.back().title);
  EXPECT_EQ(aside->events.back().duration, 30);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_GE(seen.front(), 0);
  EXPECT_LE(seen.back(), 100);

  int ticks = 0;
  EXPECT_FALSE(ReadCalendarFileAside(file, 1, [&](int) { return ++ticks < 2; }).has_value());
  EXPECT_GE(ticks, 2);

  writeFile("card.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  const auto go = [](int) { return true; };
  EXPECT_THROW(ReadCalendarFileAside(path("card.vcf"), 1, go), ICalFormatError);
  EXPECT_THROW(ReadCalendarFileAside(path("missing.ics"), 1, go), EInOutError);
}

// A stop while the file parses ends the import there: nothing sent, no preview, and a box
// that says nothing was written.
TEST_F(ICalImportTest, AStopWhileTheFileParsesWritesNothing) {
  start(5, {});
  section.sbReadAllEventsClick(*app_);
  sent();
  busy.clear();
  ui_.onPump = [&] { app_->stop().request(); };
  bool previewed = false;
  writeFile("in.ics", ManyEvents(20000));
  ui_.opens = {path("in.ics")};
  ui_.onModal = [&](ModalDialog& d) {
    previewed = true;
    d.closeByFrame();
  };
  const ICalImportResult r = ImportICalClick(section, *app_, dialog);
  ui_.onPump = nullptr;
  EXPECT_EQ(r.outcome, ICalImportResult::Outcome::Cancelled);
  EXPECT_FALSE(previewed);
  EXPECT_EQ(sent(), Strings{});
  EXPECT_EQ(ui_.boxes.back(), (testing::Box{Ru("Остановлено: файл не дочитан, ничего не записано."),
                                            MsgKind::Information, MsgButtons::Ok}));
  EXPECT_EQ(busy, (std::vector<bool>{false, true}));
  EXPECT_EQ(section.pbReadEvent.Position, 0);
}

}  // namespace
}  // namespace quorvex::datebook
