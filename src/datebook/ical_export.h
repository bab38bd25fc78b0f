// The date book as an iCalendar file (.ics), built and written through libical. Only the
// export exists: nothing reads a calendar file back into the handset.
//
// One VEVENT per event of a read (DateBookSection::Events):
//   UID       "<index>-<YYYYMMDD>T<HHMM>-<8 hex digits of the title>@quorvex", so a new
//             export of an unchanged event carries the same UID and a calendar that imports
//             it twice replaces the event instead of doubling it.
//   DTSTART   the start date and time as floating local time: the handset keeps no time
//             zone, so the event stays at the same wall-clock time wherever it is opened.
//   DURATION  the duration in minutes.
//   SUMMARY   the title in UTF-8; none for an untitled event (an empty one reads back as
//             an error).
//   VALARM    with the alarm on: ACTION:DISPLAY, DESCRIPTION the title ("Событие" for an
//             untitled event), and a TRIGGER
//             relative to the start (alarm date and time minus the start). A relative
//             trigger sounds before every occurrence of a repeating event; an absolute one
//             would have to be UTC, which a floating event cannot give. An alarm date that
//             is no date (the handset writes "00-00-2000" with the alarm off) counts as the
//             start date; an alarm time that is no time (the editor can write a negative
//             hour), or one too far from the start for a trigger, sounds at the start.
//   RRULE     by the repeat code, from one table (RepeatRule). A code outside "0" to "5"
//             gives no rule, as the list shows no repeat text for it.
// An event whose start date or time is no date or time (or whose duration is no number)
// cannot be placed in a calendar; it is left out and its index reported in `skipped`.
#pragma once

#include <libical/ical.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_export.h"
#include "datebook/date_book_section.h"

namespace quorvex::datebook {

struct IcalComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using IcalComponentPtr = std::unique_ptr<icalcomponent, IcalComponentFree>;

inline constexpr const char* kIcalProductId = "-//Quorvex//Quorvex//RU";

// The RRULE text of a repeat code for an event starting on the given date; empty for "0"
// and for codes outside the table. "3" repeats on the same day of the month as the start;
// "4" on the same weekday of the same week of the month: BYDAY=2TH for the second Thursday.
std::string RepeatRule(std::string_view repeatCode, int year, int month, int day);

// The stable UID of an event (see above).
std::string EventUid(const ReadEvent& event);

// The VCALENDAR of the events, in their order. stamp (UTC) becomes every event's DTSTAMP.
// The indices of events left out go to *skipped when it is given.
IcalComponentPtr BuildCalendar(const std::vector<ReadEvent>& events, std::time_t stamp,
                               std::vector<std::int64_t>* skipped = nullptr);

// The calendar as iCalendar text (UTF-8, CR LF lines folded at 75 octets).
std::string FormatCalendar(const std::vector<ReadEvent>& events, std::time_t stamp,
                           std::vector<std::int64_t>* skipped = nullptr);

// Writes the calendar to path: a temporary file beside it, renamed over it when complete,
// so a failed export leaves an earlier file as it was. Raises EInOutError. Returns the
// indices of the events left out.
std::vector<std::int64_t> WriteCalendarFile(const std::string& path,
                                            const std::vector<ReadEvent>& events,
                                            std::time_t stamp);

inline constexpr const char* kICalFilter = "iCalendar files (*.ics)|*.ics|All files (*.*)|*.*";
inline constexpr const char* kICalExt = "*.ics";

// "Экспорт ежедневника в iCalendar": the events of the last read to the file the save dialog
// names, stamped with the seam's clock. The count is the events written; leftOut the ones
// that cannot be placed in a calendar. Refuses as RefuseExport does; file errors raise
// EInOutError.
ExportResult ExportICal(const DateBookSection& section, UserInterface& ui);

}  // namespace quorvex::datebook
