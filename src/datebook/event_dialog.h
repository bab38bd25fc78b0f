// The event dialog `TfrmAddEvent` as a model: its controls, "Создать" building the write
// command, "Отмена", and the Enter/Escape chain of its controls. It is created once and
// reused, so its controls keep their values between uses; the openers of the date book
// section prepare it. It sends nothing itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/civil_date.h"
#include "core/controls.h"
#include "core/user_interface.h"

namespace quorvex::datebook {

inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;

using quorvex::DaysInMonth;
bool IsValidDate(const CalendarDate& date);
CalendarDate PreviousDay(const CalendarDate& date);

// "HH:MM" and "MM-DD-YYYY" as the write command carries them.
std::string TimeText(int hour, int minute);
std::string DateText(const CalendarDate& date);

struct AlarmFields {
  std::string time;
  std::string date;
  bool operator==(const AlarmFields&) const = default;
};

// The alarm of an event starting at startTime ("HH:MM") on startDate, leadMinutes before
// it. An alarm that falls before midnight of the start day goes onto the day (or days)
// before, so the hour always lies in 0..23.
AlarmFields AlarmFor(const std::string& startTime, const CalendarDate& startDate, int leadMinutes);

// The "AT+MDBW=" command of "Создать" for an event of these values: the title is cp1251 text,
// the alarm (when on) sounds leadMinutes before the start, repeatCode is the repeat list's
// position in decimal. Every write of a new event, by the dialog or an import, is built here.
std::string EventCommand(std::int32_t index, const std::string& title, const TimeOfDay& start,
                         const CalendarDate& date, int durationMinutes, bool alarmOn,
                         int leadMinutes, const std::string& repeatCode);

class TfrmAddEvent : public ModalDialog {
 public:
  TfrmAddEvent();

  std::string dialogName() const override { return "TfrmAddEvent"; }
  void closeByFrame() override { SpeedButton2Click(); }

  enum class Control {
    None,
    edtEventTitle,
    dtpStartTime,
    dtpStartDate,
    seDuration,
    seAl_time,
    cbRepeat
  };

  // ---- Controls, top to bottom.
  std::string Caption;
  Label Label1;  // "Заголовок события:"
  std::string edtEventTitle;
  Label GroupBox1;  // "Запуск события:"
  Label Label2, Label3;
  TimeOfDay dtpStartTime;
  CalendarDate dtpStartDate;
  RadioGroup RadioGroup1;  // "Статус:" выключено / включено
  Label GroupBox2;         // "Действия"
  Label Label4, Label7, Label5;
  SpinEdit seDuration;
  SpinEdit seAl_time;
  ComboBox cbRepeat;
  Label SpeedButton1, SpeedButton2;  // "Создать", "Отмена"
  Control ActiveControl = Control::edtEventTitle;

  // ---- Fields the openers set and read.
  std::int32_t EventIndex = 0;
  bool Confirmed = false;
  std::string WriteCommand;
  std::string RepeatCode;
  // Occupancy of the date book's indices, kept by the read for the whole run.
  std::vector<bool> UsedSlots;

  // Opens the dialog and shows it modally through the seam, or lets drive work it when
  // given; returns when it has closed (left open counts as the close box).
  void Show(UserInterface& ui, const std::function<void(TfrmAddEvent&)>& drive = {});

  // "Создать": an empty title shows a warning and leaves the dialog open (false);
  // otherwise the command is built, Confirmed set and the dialog closed.
  bool SpeedButton1Click(UserInterface& ui);
  // "Отмена".
  void SpeedButton2Click();
  void cbRepeatChange();
  // Typing over the repeat box, as the user does: the text, then the change handler.
  void typeRepeat(std::string text);

  // Enter moves on to the next control (in cbRepeat it presses "Создать"); Escape presses
  // "Отмена".
  void edtEventTitleKeyDown(int key, UserInterface& ui);
  void dtpStartTimeKeyDown(int key, UserInterface& ui);
  void dtpStartDateKeyDown(int key, UserInterface& ui);
  void seDurationKeyDown(int key, UserInterface& ui);
  void seAl_timeKeyDown(int key, UserInterface& ui);
  void cbRepeatKeyDown(int key, UserInterface& ui);
  void FormKeyDown(int key, UserInterface& ui);
  // A key pressed in the control that has the focus: its own handler.
  void KeyDown(int key, UserInterface& ui);

  // The index a new event takes: the first clear flag, else the number of flags.
  std::int32_t FirstFreeIndex() const;

 private:
  void enterMovesTo(int key, Control next);
};

}  // namespace quorvex::datebook
