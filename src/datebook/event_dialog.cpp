#include "datebook/event_dialog.h"

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "datebook/date_book_reply.h"

namespace quorvex::datebook {

using text::IntToStr;

bool IsValidDate(const CalendarDate& d) {
  return d.year >= 1 && d.year <= 9999 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

CalendarDate PreviousDay(const CalendarDate& d) {
  if (d.day > 1) return {d.year, d.month, d.day - 1};
  if (d.month > 1) return {d.year, d.month - 1, DaysInMonth(d.year, d.month - 1)};
  return {d.year - 1, 12, 31};
}

namespace {
// A one-digit value gets one leading "0"; anything longer stays as it is.
std::string TwoDigits(int v) {
  std::string s = IntToStr(v);
  return s.size() == 1 ? "0" + s : s;
}
}  // namespace

std::string TimeText(int hour, int minute) {
  return TwoDigits(hour) + ":" + TwoDigits(minute);
}

std::string DateText(const CalendarDate& d) {
  return TwoDigits(d.month) + "-" + TwoDigits(d.day) + "-" + IntToStr(d.year);
}

AlarmFields AlarmFor(const std::string& startTime, const CalendarDate& startDate, int leadMinutes) {
  const int h = text::StrToInt(text::Copy(startTime, 1, 2));
  const int m = text::StrToInt(text::Copy(startTime, 4, 2));
  // The lead reaches back in whole minutes; an alarm before midnight of the start day
  // belongs to the day before, never to a negative hour the handset cannot take.
  std::int64_t minutes = static_cast<std::int64_t>(h) * 60 + m - leadMinutes;
  CalendarDate date = startDate;
  bool moved = false;
  while (minutes < 0) {
    minutes += 24 * 60;
    date = PreviousDay(date);
    moved = true;
  }
  return {TimeText(static_cast<int>(minutes / 60), static_cast<int>(minutes % 60)),
          moved ? DateText(date) : DateText(startDate)};
}

std::string EventCommand(std::int32_t index, const std::string& title, const TimeOfDay& start,
                         const CalendarDate& date, int durationMinutes, bool alarmOn,
                         int leadMinutes, const std::string& repeatCode) {
  DateBookEntry fields;
  fields.EntryFlag = "1";
  fields.AlarmFlag = alarmOn ? "1" : "0";
  fields.StartTime = TimeText(start.hour, start.minute);
  fields.StartDate = DateText(date);
  fields.Duration = IntToStr(durationMinutes);
  const AlarmFields alarm =
      alarmOn ? AlarmFor(fields.StartTime, date, leadMinutes) : AlarmFields{"00:00", "00-00-2000"};
  fields.AlarmTime = alarm.time;
  fields.AlarmDate = alarm.date;
  fields.RepeatCode = repeatCode;
  return EventWriteCommand(index, TextToUcs2Hex(title), fields);
}

TfrmAddEvent::TfrmAddEvent() {
  Caption = Ru("Новое событие");
  Label1.caption = Ru("Заголовок события:");
  GroupBox1.caption = Ru("Запуск события:");
  Label2.caption = Ru("Время:");
  Label3.caption = Ru("Дата:");
  RadioGroup1.caption = Ru("Статус:");
  RadioGroup1.items = {Ru("выключено"), Ru("включено")};
  RadioGroup1.itemIndex = 1;
  GroupBox2.caption = Ru("Действия");
  Label4.caption = Ru("Длительность (мин):");
  Label7.caption = Ru("Начать за ... (мин):");
  Label5.caption = Ru("Повтор:");
  seDuration.minValue = seAl_time.minValue = 1;
  seDuration.maxValue = seAl_time.maxValue = 1440;
  seDuration.value = seAl_time.value = 1;
  cbRepeat.items.assign(RepeatTexts().begin(), RepeatTexts().end());
  cbRepeat.select(1);
  SpeedButton1.caption = Ru("Создать");
  SpeedButton2.caption = Ru("Отмена");
}

void TfrmAddEvent::Show(UserInterface& ui, const std::function<void(TfrmAddEvent&)>& drive) {
  open();
  ActiveControl = Control::edtEventTitle;
  if (!drive) {
    ShowModal(ui, *this);
    return;
  }
  drive(*this);
  if (!closed()) closeByFrame();
}

bool TfrmAddEvent::SpeedButton1Click(UserInterface& ui) {
  if (edtEventTitle.empty()) {
    ui.messageBox(Ru("Введите заголовок события!"), MsgKind::Warning, MsgButtons::Ok);
    return false;
  }
  Confirmed = true;
  RepeatCode = IntToStr(cbRepeat.itemIndex);
  WriteCommand = EventCommand(EventIndex, edtEventTitle, dtpStartTime, dtpStartDate,
                              seDuration.value, RadioGroup1.itemIndex == 1, seAl_time.value,
                              RepeatCode);
  close();
  return true;
}

void TfrmAddEvent::SpeedButton2Click() {
  Confirmed = false;
  close();
}

void TfrmAddEvent::cbRepeatChange() {
  RepeatCode = IntToStr(cbRepeat.itemIndex);
}

void TfrmAddEvent::typeRepeat(std::string text) {
  cbRepeat.type(std::move(text));
  cbRepeatChange();
}

void TfrmAddEvent::enterMovesTo(int key, Control next) {
  if (key == kKeyEnter) ActiveControl = next;
  if (key == kKeyEscape) SpeedButton2Click();
}

void TfrmAddEvent::edtEventTitleKeyDown(int key, UserInterface&) {
  enterMovesTo(key, Control::dtpStartTime);
}
void TfrmAddEvent::dtpStartTimeKeyDown(int key, UserInterface&) {
  enterMovesTo(key, Control::dtpStartDate);
}
void TfrmAddEvent::dtpStartDateKeyDown(int key, UserInterface&) {
  enterMovesTo(key, Control::seDuration);
}
void TfrmAddEvent::seDurationKeyDown(int key, UserInterface&) {
  enterMovesTo(key, Control::seAl_time);
}
void TfrmAddEvent::seAl_timeKeyDown(int key, UserInterface&) {
  enterMovesTo(key, Control::cbRepeat);
}
void TfrmAddEvent::cbRepeatKeyDown(int key, UserInterface& ui) {
  if (key == kKeyEnter) SpeedButton1Click(ui);
  if (key == kKeyEscape) SpeedButton2Click();
}
void TfrmAddEvent::FormKeyDown(int key, UserInterface&) {
  if (key == kKeyEscape) SpeedButton2Click();
}

void TfrmAddEvent::KeyDown(int key, UserInterface& ui) {
  switch (ActiveControl) {
    case Control::edtEventTitle:
      return edtEventTitleKeyDown(key, ui);
    case Control::dtpStartTime:
      return dtpStartTimeKeyDown(key, ui);
    case Control::dtpStartDate:
      return dtpStartDateKeyDown(key, ui);
    case Control::seDuration:
      return seDurationKeyDown(key, ui);
    case Control::seAl_time:
      return seAl_timeKeyDown(key, ui);
    case Control::cbRepeat:
      return cbRepeatKeyDown(key, ui);
    case Control::None:
      break;
  }
  FormKeyDown(key, ui);
}

std::int32_t TfrmAddEvent::FirstFreeIndex() const {
  for (std::size_t i = 0; i < UsedSlots.size(); ++i)
    if (!UsedSlots[i]) return static_cast<std::int32_t>(i);
  return static_cast<std::int32_t>(UsedSlots.size());
}

}  // namespace quorvex::datebook
