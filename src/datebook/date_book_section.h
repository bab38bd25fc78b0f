// The date book section of the main window as plain data and handlers: the list lvEvent,
// the progress display, the free share, the calendar box, the auto-delete setting, the
// event dialog, and every operation of the section. The window mirrors the state and
// forwards clicks and keys; the CLI and the tests drive it directly. Each operation opens
// its own port object and frees it when it ends, whatever happens.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/app_state.h"
#include "core/bin_keep.h"
#include "core/busy.h"
#include "core/controls.h"
#include "core/list_model.h"
#include "datebook/date_book_reply.h"
#include "datebook/event_dialog.h"

namespace quorvex::datebook {

// lvEvent's columns: "#", "Заголовок", "Начало", "Начать за ... ", "Дата", "Длительность",
// "Повтор", "Состояние".
std::vector<ListColumn> EventColumns();

// Appends the row a read shows for an event at that index.
void AddEventRow(ListModel& list, std::int64_t index, const DateBookEntry& e);

// One event of a read as the handset reported it, under the index that was asked for.
struct ReadEvent {
  std::int64_t index = 0;
  DateBookEntry entry;
  // The title as the handset sent it (UCS2 hex, without quotes): what goes to the bin.
  std::string titleHex;
  bool operator==(const ReadEvent&) const = default;
};

// The bin record of an event of a read, and the event a record of the bin holds (nullopt for
// a record of another section or one whose fields do not read).
BinRecord EventBinRecord(const ReadEvent& event, const std::string& operation);
std::optional<ReadEvent> EventFromBin(const BinRecord& record);

class DateBookSection {
 public:
  DateBookSection();

  // ---- State.
  ListModel lvEvent;
  ProgressBar pbReadEvent;
  Label Label5;        // "Чтение записи:"
  Label lblReadEvent;  // indices read
  Label lblAllEvent;   // "из " and the number of indices
  Label Label8;        // "Свободно: " and the free share
  Label sbReadAllEvents, sbAddEvent, sbDeleteEvent, SpeedButton5, SpeedButton2;
  CheckBox CheckBox1;  // "Показать календарь"
  Label MonthCalendar1;
  CalendarDate MonthCalendar1Date;
  RadioGroup RadioGroup1;  // "Автоудаление сообщений"
  // pmEvent's items; pmEventPopup enables them.
  Label ppmReadAllEvents, ppmAddEvent, ppmEditEvent, ppmDelete, ppmClear;

  TfrmAddEvent frmAddEvent;
  // The events of the last read in index order, with the fields the rows do not carry (the
  // alarm date, a repeat code outside the table); the file exports take them from here. A
  // read empties it first; "Очистить список" leaves it, as it leaves UsedSlots.
  std::vector<ReadEvent> Events;
  // Whether the last read went through every index: one that stopped leaves a part of the
  // date book in Events, which an export must not pass off as the whole.
  bool LastReadComplete = true;
  // The third figure of the count reply: the longest title the handset holds, in characters;
  // 0 before a read.
  std::int32_t TitleLength = 0;
  // The highest index of the last read; -1 before one.
  std::int64_t HighestIndex() const { return highestIndex_; }

  // ---- What the front end provides.
  // The main window's busy state; the read enters it and leaves it however it ends.
  SetControlsEnabledFn SetControlsEnabled;
  // The decimal separator of the user's locale, for the free share.
  char DecimalSeparator = '.';
  // Shows the event dialog modally. Unset: through the seam (UserInterface::showModal).
  std::function<void(TfrmAddEvent&)> ShowEventDialog;

  // ---- Operations.
  // The section became visible: the calendar shows today and is ticked, the counters are
  // reset, and the whole date book is read.
  void ShowSection(AppState& app);
  // "Прочитать события" (also ppmReadAllEvents, N14, F5, and after every change).
  void sbReadAllEventsClick(AppState& app);
  // "Очистить список": the rows go, UsedSlots stays.
  void SpeedButton5Click();
  void CheckBox1Click();
  // "Добавить событие" (also ppmAddEvent, N15, Ins).
  void sbAddEventClick(AppState& app);
  // Editing the selected row that has the focus (double click, ppmEditEvent, N17).
  void lvEventDblClick(AppState& app);
  // "Удалить" (also ppmDelete, N16, Del). Catches everything it meets.
  void sbDeleteEventClick(AppState& app);
  // "Применить параметры": the auto-delete setting of RadioGroup1.
  void SpeedButton2Click(AppState& app);
  void pmEventPopup();
  // Writes date book records of the bin back, after a read: each to its old index when that
  // is free, else to the lowest free one; then reads again. A result for every record.
  std::vector<BinRestoreResult> RestoreFromBin(AppState& app, const std::vector<BinRecord>& chosen);

 private:
  void readAll(AppState& app, TBlockSerial& port, std::int64_t& highest, std::int64_t& used,
               StoppableOperation& op);
  // What writing the dialog's event overwrites, kept in the bin first; false when the bin
  // cannot be written.
  bool keepOverwritten(AppState& app, TBlockSerial& port);
  const ReadEvent* eventAt(std::int64_t index) const;
  std::int64_t highestIndex_ = -1;
  void showDialog(UserInterface& ui);
  // Writes the dialog's event: nothing when it stopped before the write.
  enum class WriteOutcome { None, Taken, Refused };
  WriteOutcome write(AppState& app);
  // The write, then the read of the list as after any write; a refused write is told in the
  // standard error box, with what that read had to say.
  void writeAndReadAgain(AppState& app);
};

// The value "AT+MDBAD=" carries for each item of RadioGroup1 (weeks, 0 = never).
inline constexpr int kAutoDeleteWeeks[] = {0, 1, 2, 4, 8};

}  // namespace quorvex::datebook
