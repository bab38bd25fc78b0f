// Calendar import: the events of an iCalendar file (.ics) into the free indices of the
// handset's date book, each written with the command "Создать" of the event dialog builds.
//
// Three steps, each usable alone:
//   ParseCalendar    the file's VEVENTs in the handset's terms: a local start (a TZID with its
//                    VTIMEZONE or a zone the system knows, or UTC, converted to the process's
//                    time zone), minutes of duration, the first display or sound alarm as a
//                    lead time, the RRULE as a repeat code, and what the handset cannot keep
//   ICalImportPlan   the preview: for every event, what will be written where, what is cut,
//                    what is skipped and why
//   ImportICalClick  the operation of the date book section: file dialog, the preview dialog
//                    TfrmImportICal, then the writes with progress and a new read
//
// A window shows TfrmImportICal with PreviewList() as a report list, Summary() as a label,
// the check box cbWithoutRepeat wired to cbWithoutRepeatClick and two buttons wired to
// btnWriteClick and btnCancelClick; closing by the frame counts as "Отмена".
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/errors.h"
#include "core/app_state.h"
#include "core/controls.h"
#include "core/list_model.h"
#include "core/user_interface.h"
#include "datebook/date_book_section.h"

namespace quorvex::datebook {

// A file that is no calendar, or one built to wear the parser out. The text is cp1251 and
// says what is wrong.
class ICalFormatError : public Exception {
 public:
  using Exception::Exception;
};

// A date book holds at most ten thousand events; a calendar file this large is no calendar
// to copy into a handset, and parsing it would keep the window waiting.
inline constexpr std::size_t kMaxCalendarBytes = 16u << 20;
// A property line (unfolded) longer than this is dropped before parsing: the parser slows
// down with the square of a line's length, and no field the handset keeps is that long
// (inline attachments are).
inline constexpr std::size_t kMaxCalendarLine = 64u << 10;
// The longest title when the handset does not say (the third figure of its count reply).
inline constexpr int kDefaultTitleLength = 64;
// The event dialog's longest duration, a day.
inline constexpr int kMaxDurationMinutes = 1440;

// One VEVENT as the handset can hold it.
struct CalendarEvent {
  std::string title;  // cp1251, whole: the plan cuts it to the handset's length
  // Why the event cannot be written at all (no start, a start the handset cannot hold);
  // empty when it can.
  std::string unusable;
  bool cancelled = false;  // STATUS:CANCELLED
  CalendarDate date;       // local start
  TimeOfDay time;
  bool allDay = false;
  int duration = 0;  // minutes, 0..kMaxDurationMinutes
  bool alarm = false;
  int lead = 0;  // minutes before the start, 0 or more
  std::string repeatCode = "0";
  // The rule the handset cannot repeat by and what would be lost, cp1251; empty when the
  // repeat code says it all.
  std::string repeatLost;
  std::vector<std::string> notes;  // cp1251: what changed on the way into the handset's terms
};

struct CalendarFile {
  std::vector<CalendarEvent> events;
  std::vector<std::string> notes;  // cp1251: what was dropped from the file as a whole
};

// The events of an iCalendar text (UTF-8; CR LF, LF or CR line ends; folded lines; one or
// more VCALENDARs). Raises ICalFormatError when it holds no calendar.
CalendarFile ParseCalendar(std::string_view text);
// The same for a file; raises EInOutError when it cannot be read or exceeds kMaxCalendarBytes.
CalendarFile ReadCalendarFile(const std::string& path);

// ReadCalendarFile on a thread of its own, for a large file parses for seconds: the calling
// thread calls `tick` with how far the parse got every sliceMs until it ends (the window
// pumps its events there), and a tick that returns false gives the parse up. Nothing when
// given up; otherwise what ReadCalendarFile returns or raises.
std::optional<CalendarFile> ReadCalendarFileAside(const std::string& path, int sliceMs,
                                                  const std::function<bool(int percent)>& tick);

struct ICalImportRow {
  enum class Status { Write, OnHandset, EarlierInFile, NoRoom, RepeatLost, Unusable, Cancelled };
  Status status = Status::Write;
  int event = 0;          // 0-based VEVENT of the file
  std::string title;      // cp1251, as it will be written (or would have been)
  std::string startTime;  // "HH:MM", empty for an unusable event
  std::string startDate;  // "MM-DD-YYYY"
  int duration = 0;
  bool alarm = false;
  int lead = 0;
  std::string repeatCode;
  std::int64_t index = -1;         // Write: the free index; OnHandset: the event's index
  std::string command;             // Write: the "AT+MDBW=" command
  std::string statusText;          // cp1251
  std::vector<std::string> notes;  // cp1251: cuts, dropped characters, conversions, named
};

// What a plan is built from: the file and the date book after its last read.
struct ICalImportInput {
  CalendarFile file;
  std::vector<ReadEvent> onHandset;
  std::int64_t highestIndex = -1;
  int titleLength = kDefaultTitleLength;
};

class ICalImportPlan {
 public:
  // The rows shown in the preview; a file with more events gets one last row counting them.
  static constexpr std::size_t kPreviewRows = 2000;

  ICalImportPlan() = default;
  // withoutRepeat: events whose repeat the handset cannot keep are written without it
  // (otherwise they are left out). A row to write takes the lowest free index no earlier
  // row took.
  ICalImportPlan(const ICalImportInput& input, bool withoutRepeat);

  const std::vector<ICalImportRow>& rows() const { return rows_; }
  int count(ICalImportRow::Status status) const;
  // Rows to write whose event the handset cannot hold as it is in the file.
  int altered() const;
  // The counts and the file's notes, cp1251.
  std::string Summary() const;
  // "#" (the index), "Заголовок", "Начало", "Дата", "Длительность", "Повтор", "Напоминание",
  // "Состояние" (the status and the notes).
  ListModel PreviewList() const;

 private:
  std::vector<ICalImportRow> rows_;
  std::vector<std::string> fileNotes_;
};

class TfrmImportICal : public ModalDialog {
 public:
  std::string dialogName() const override { return "TfrmImportICal"; }
  void closeByFrame() override { btnCancelClick(); }

  std::string Caption;
  // "Импортировать без повтора события, повтор которых телефон не хранит"; off at every Show.
  CheckBox cbWithoutRepeat;
  ICalImportPlan Plan;
  Widget btnWrite;  // "Записать", enabled when a row is to be written
  bool Accepted = false;

  void Show(UserInterface& ui, ICalImportInput input);
  // The check box was toggled: the plan is built again.
  void cbWithoutRepeatClick();
  void btnWriteClick();
  void btnCancelClick();

 private:
  void plan();
  ICalImportInput input_;
};

struct ICalImportResult {
  enum class Outcome {
    NotRead,      // no complete read before: nothing asked
    Cancelled,    // the file dialog or the preview was cancelled
    NotCalendar,  // the file holds no calendar
    Refused,      // the handset refused the date book lock: nothing written
    Stopped,      // a write failed, or the user stopped: `written` of `total` went in
    Written,      // every row to write went in
  };
  Outcome outcome = Outcome::Cancelled;
  std::string path;
  int written = 0, total = 0;
  // The rows of the preview that did not go in; after a stop the rows to write that were
  // not reached stay as they were planned.
  std::vector<ICalImportRow> leftOut;
};

// "Импорт ежедневника из iCalendar": needs a complete read (the free indices and the events
// already there come from it). Asks for the file, shows the preview and, on "Записать",
// sends "AT+CSCS=UCS2", "AT+MDBL=1", the rows' commands one at a time with the read's
// progress bar, "AT+MDBL=0", then reads the date book again. The first write the handset
// refuses, or that fails on the line, stops the import with a box saying how many went in.
// File errors raise EInOutError before anything is sent.
ICalImportResult ImportICalClick(DateBookSection& section, AppState& app, TfrmImportICal& dialog);

}  // namespace quorvex::datebook
