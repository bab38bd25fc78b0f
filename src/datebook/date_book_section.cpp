#include "datebook/date_book_section.h"

#include <exception>
#include <memory>

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "core/held_boxes.h"
#include "datebook/date_book_reply.h"

namespace quorvex::datebook {

using text::IntToStr;
using text::Pos;
using text::Trim;

namespace {

constexpr int kSettleMs = 500;

std::string FreeCaption() {
  return Ru("Свободно: ");
}

std::string AllCaption(std::int64_t count) {
  return Ru("из ") + IntToStr(count);
}

// A sub-item by position; a row built from a short reply lacks the last ones, which read
// as empty.
std::string SubItem(const ListRow& row, std::size_t k) {
  return k < row.subItems.size() ? row.subItems[k].text : std::string();
}

// "HH:MM" (seconds allowed) as a time of day.
TimeOfDay ParseTimeText(const std::string& s) {
  const auto fail = [&]() -> TimeOfDay { throw EConvertError("'" + s + "' is not a valid time"); };
  int parts[3] = {0, 0, 0};
  int count = 0, digits = 0;
  for (char c : s) {
    if (c == ':') {
      if (digits == 0 || ++count > 2) return fail();
      digits = 0;
    } else if (c >= '0' && c <= '9' && digits < 2) {
      parts[count] = parts[count] * 10 + (c - '0');
      ++digits;
    } else {
      return fail();
    }
  }
  if (digits == 0 || count == 0 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return fail();
  return {parts[0], parts[1], parts[2]};
}

// "MM-DD-YYYY" by position, as the list shows it.
CalendarDate ParseDateText(const std::string& s) {
  CalendarDate d;
  d.year = text::StrToInt(text::Copy(s, 7, 4));
  d.month = text::StrToInt(text::Copy(s, 1, 2));
  d.day = text::StrToInt(text::Copy(s, 4, 2));
  if (!IsValidDate(d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

std::optional<std::int64_t> IndexOf(const std::string& caption) {
  try {
    return text::StrToInt(caption);
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

}  // namespace

std::vector<ListColumn> EventColumns() {
  using A = ListColumn::Align;
  return {
      {"#", 1, A::Left, kNoImage},
      {Ru("Заголовок"), 150, A::Left, kNoImage},
      {Ru("Начало"), 60, A::Left, kNoImage},
      {Ru("Начать за ... "), 80, A::Center, kNoImage},
      {Ru("Дата"), 80, A::Left, kNoImage},
      {Ru("Длительность"), 60, A::Center, kNoImage},
      {Ru("Повтор"), 90, A::Center, kNoImage},
      {Ru("Состояние"), 70, A::Center, kNoImage},
  };
}

void AddEventRow(ListModel& list, std::int64_t index, const DateBookEntry& e) {
  ListRow& row = list.add(IntToStr(index));
  for (const std::string* field : {&e.Title, &e.StartTime, &e.AlarmTime, &e.StartDate, &e.Duration})
    row.subItems.push_back({*field, kNoImage});
  const std::string repeat = RepeatText(e.RepeatCode);
  if (!repeat.empty()) row.subItems.push_back({repeat, kNoImage});
  const std::string state = AlarmStateText(e.AlarmFlag);
  if (!state.empty()) row.subItems.push_back({state, kNoImage});
}

DateBookSection::DateBookSection() {
  lvEvent.columns = EventColumns();
  Label5.caption = Ru("Чтение записи:");
  lblReadEvent.caption = "0";
  lblAllEvent.caption = AllCaption(0);
  Label8.caption = FreeCaption();
  sbReadAllEvents.caption = Ru("Прочитать события");
  sbAddEvent.caption = Ru("Добавить событие");
  sbDeleteEvent.caption = Ru("Удалить");
  SpeedButton5.caption = Ru("Очистить список");
  SpeedButton2.caption = Ru("Применить параметры");
  CheckBox1.caption = Ru("Показать календарь");
  CheckBox1.checked = true;
  RadioGroup1.caption = Ru("Автоудаление сообщений");
  RadioGroup1.items = {Ru("никогда не удалять"), Ru("после 1-ой недели"), Ru("после 2-х недель"),
                       Ru("после 4-х недель"), Ru("после 8-и недель")};
  RadioGroup1.itemIndex = 1;
}

void DateBookSection::ShowSection(AppState& app) {
  const LocalTime today = app.ui().now();
  MonthCalendar1Date = {today.year, today.month, today.day};
  CheckBox1.checked = true;
  CheckBox1Click();
  lblReadEvent.caption = "0";
  lblAllEvent.caption = AllCaption(0);
  sbReadAllEventsClick(app);
}

void DateBookSection::readAll(AppState& app, TBlockSerial& port, std::int64_t& highest,
                              std::int64_t& used, StoppableOperation& op) {
  if (!ReplyHasOk(port.RunAtCommand("AT+CSCS=UCS2"))) return;
  if (!ReplyHasOk(port.RunAtCommand("AT+MDBL=1"))) {
    app.ui().messageBox(Ru("Нет доступа у ежедневнику."), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  const std::string info = Trim(port.RunAtCommand("AT+MDBR=?"));
  if (!ReplyHasOk(info)) {
    app.ui().messageBox(Ru("Невозможно прочитать содержимое ежедневника."), MsgKind::Error,
                        MsgButtons::Ok);
    return;
  }
  const DateBookInfo parsed = ParseDateBookInfo(info);
  if (parsed.HighestIndex > kMaxDateBookIndex) {
    // A garbled count would have the read ask for every index up to it.
    app.ui().messageBox(Ru("Невозможно прочитать содержимое ежедневника."), MsgKind::Error,
                        MsgButtons::Ok);
    return;
  }
  highest = parsed.HighestIndex;
  used = parsed.UsedCount;
  highestIndex_ = highest;
  TitleLength = parsed.Third;

  pbReadEvent.Min = 0;
  pbReadEvent.Max = parsed.HighestIndex;
  pbReadEvent.setPosition(0);
  lblReadEvent.caption = "0";
  lblAllEvent.caption = AllCaption(highest + 1);
  std::vector<bool>& slots = frmAddEvent.UsedSlots;
  slots.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, highest)));

  for (std::int64_t i = 0; i <= highest; ++i) {
    const std::string reply = Trim(port.RunAtCommand("AT+MDBR=" + IntToStr(i)));
    const bool holds = Pos("MDBR", reply) > 0;
    if (i < static_cast<std::int64_t>(slots.size())) slots[static_cast<std::size_t>(i)] = holds;
    if (holds) {
      std::string titleHex;
      const DateBookEntry e = ParseDateBookEntry(reply, &titleHex);
      Events.push_back({i, e, titleHex});
      AddEventRow(lvEvent, i, e);
    }
    pbReadEvent.showFigure(i + 1, highest + 1);
    app.ui().processEvents(false);
    pbReadEvent.setPosition(static_cast<int>(i));
    lblReadEvent.caption = IntToStr(i + 1);
    // The clean-up unlocks the date book; nothing else goes after the stop.
    if (i < highest && op.stopRequested()) {
      op.stopped(StoppedText("прочитано", i + 1, highest + 1));
      // An index not read may hold an event: a new one must not be given it.
      for (std::size_t k = static_cast<std::size_t>(i) + 1; k < slots.size(); ++k) slots[k] = true;
      return;
    }
  }
  port.RunAtCommand("AT+MDBL=0");
  LastReadComplete = true;
}

void DateBookSection::sbReadAllEventsClick(AppState& app) {
  StoppableOperation op(app.stop(), app.ui(), Ru("Чтение ежедневника…"));
  if (SetControlsEnabled) SetControlsEnabled(false);
  lvEvent.clear();
  Events.clear();
  LastReadComplete = false;
  std::int64_t highest = 0, used = 0;
  std::unique_ptr<TBlockSerial> port;
  std::exception_ptr failure;
  try {
    app.LoadPortSettings();
    port = app.OpenHandset(true);
    readAll(app, *port, highest, used, op);
  } catch (...) {
    failure = std::current_exception();
  }
  // The clean-up runs in full whatever stopped the read: the window must become idle and
  // the handset unlocked where the link still allows it. The first error is the one shown.
  if (SetControlsEnabled) SetControlsEnabled(true);
  if (port) {
    try {
      port->RunAtCommand("AT+MDBL=0");
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    port.reset();
  }
  pbReadEvent.setPosition(0);
  pbReadEvent.Figure.clear();
  Label8.caption = FreeCaption() + FreeShareText(highest, used, DecimalSeparator) + "%";
  if (failure) {
    LastReadComplete = false;
    std::rethrow_exception(failure);
  }
}

void DateBookSection::SpeedButton5Click() {
  lvEvent.clear();
  Label8.caption = FreeCaption();
}

void DateBookSection::CheckBox1Click() {
  MonthCalendar1.visible = CheckBox1.checked;
}

void DateBookSection::showDialog(UserInterface& ui) {
  frmAddEvent.Show(ui, ShowEventDialog);
}

const ReadEvent* DateBookSection::eventAt(std::int64_t index) const {
  for (const ReadEvent& e : Events)
    if (e.index == index) return &e;
  return nullptr;
}

bool DateBookSection::keepOverwritten(AppState& app, TBlockSerial& port) {
  std::vector<BinRecord> kept;
  if (const ReadEvent* was = eventAt(frmAddEvent.EventIndex))
    kept.push_back(EventBinRecord(*was, "edit"));
  if (KeepInBin(app, std::move(kept), Ru("Событие не записано."))) return true;
  port.RunAtCommand("AT+MDBL=0");
  return false;
}

DateBookSection::WriteOutcome DateBookSection::write(AppState& app) {
  app.LoadPortSettings();
  struct SettleAfter {
    UserInterface& ui;
    ~SettleAfter() { ui.pause(kSettleMs); }
  } settle{app.ui()};
  auto port = app.OpenHandset(true);
  port->RunAtCommand("AT+CSCS=UCS2");
  port->RunAtCommand("AT+MDBL=1");
  if (!keepOverwritten(app, *port)) return WriteOutcome::None;
  const bool taken = ReplyHasOk(port->RunAtCommand(frmAddEvent.WriteCommand));
  port->RunAtCommand("AT+MDBL=0");
  return taken ? WriteOutcome::Taken : WriteOutcome::Refused;
}

void DateBookSection::writeAndReadAgain(AppState& app) {
  const WriteOutcome outcome = write(app);
  if (outcome == WriteOutcome::None) return;
  if (outcome == WriteOutcome::Taken) {
    sbReadAllEventsClick(app);
    return;
  }
  // The list is read again all the same, to show what the handset holds; whatever that read
  // has to say goes into the one box that tells of the refusal.
  std::string said;
  {
    HeldBoxes held(app);
    sbReadAllEventsClick(app);
    said = held.take();
  }
  const std::string refused = Ru("Событие не записано: телефон не принял команду.");
  app.ui().showStandardError(OneBoxText(refused, said));
}

void DateBookSection::sbAddEventClick(AppState& app) {
  TfrmAddEvent& d = frmAddEvent;
  d.Confirmed = false;
  const LocalTime now = app.ui().now();
  d.dtpStartDate = {now.year, now.month, now.day};
  d.dtpStartTime = {now.hour, now.minute, now.second};
  d.cbRepeat.select(2);
  d.EventIndex = d.FirstFreeIndex();
  showDialog(app.ui());
  if (!d.Confirmed) return;
  writeAndReadAgain(app);
}

void DateBookSection::lvEventDblClick(AppState& app) {
  if (lvEvent.rows.empty()) return;
  const int selected = lvEvent.selectedIndex();
  if (selected < 0 || selected != lvEvent.focused) return;
  TfrmAddEvent& d = frmAddEvent;
  d.Confirmed = false;
  const ListRow row = lvEvent.rows[static_cast<std::size_t>(selected)];
  const std::string title = SubItem(row, 0);
  const std::string dateText = SubItem(row, 3);
  const std::string timeText = SubItem(row, 1);
  const std::string durationText = SubItem(row, 4);
  const std::string repeatText = SubItem(row, 5);
  const std::string stateText = SubItem(row, 6);

  const CalendarDate startDate = ParseDateText(dateText);
  const TimeOfDay startTime = ParseTimeText(timeText);
  const int duration = text::StrToInt(durationText);
  const std::int32_t index = text::StrToInt(row.caption);

  d.edtEventTitle = title;
  d.EventIndex = index;
  d.seDuration.setValue(duration);
  d.dtpStartTime = startTime;
  d.dtpStartDate = startDate;
  for (std::size_t k = 0; k < d.cbRepeat.items.size(); ++k)
    if (d.cbRepeat.items[k] == repeatText) d.cbRepeat.select(static_cast<int>(k));
  if (stateText == Ru("вкл.")) d.RadioGroup1.itemIndex = 1;
  if (stateText == Ru("выкл.")) d.RadioGroup1.itemIndex = 0;
  // The row carries the alarm time, not the lead, so the lead starts over.
  d.seAl_time.setValue(1);

  showDialog(app.ui());
  if (!d.Confirmed) return;
  writeAndReadAgain(app);
}

void DateBookSection::sbDeleteEventClick(AppState& app) {
  const std::string nothing = Ru("Нет выбранной записи...");
  if (lvEvent.selectedCount() == 0) {
    app.ui().messageBox(nothing, MsgKind::Error, MsgButtons::Ok);
    return;
  }
  try {
    app.LoadPortSettings();
    {
      auto port = app.OpenHandset(true);
      port->RunAtCommand("AT+MDBL=1");
      std::vector<BinRecord> kept;
      for (const ListRow& row : lvEvent.rows) {
        if (!row.selected) continue;
        const std::optional<std::int64_t> index = IndexOf(row.caption);
        if (const ReadEvent* e = index ? eventAt(*index) : nullptr)
          kept.push_back(EventBinRecord(*e, "delete"));
      }
      if (!KeepInBin(app, std::move(kept), Ru("Ничего не удалено."))) {
        port->RunAtCommand("AT+MDBL=0");
        return;
      }
      for (const ListRow& row : lvEvent.rows)
        if (row.selected) port->RunAtCommand("AT+MDBWE=" + row.caption + ",0,0");
      port->RunAtCommand("AT+MDBL=0");
    }
    app.ui().pause(kSettleMs);
    sbReadAllEventsClick(app);
  } catch (...) {
    app.ui().messageBox(nothing, MsgKind::Error, MsgButtons::Ok);
  }
}

void DateBookSection::SpeedButton2Click(AppState& app) {
  app.LoadPortSettings();
  std::string command = "AT+MDBAD=";
  const int k = RadioGroup1.itemIndex;
  if (k >= 0 && k < static_cast<int>(std::size(kAutoDeleteWeeks)))
    command += IntToStr(kAutoDeleteWeeks[k]);
  auto port = app.OpenHandset(true);
  port->RunAtCommand(command);
}

void DateBookSection::pmEventPopup() {
  const bool any = !lvEvent.rows.empty() && lvEvent.selectedCount() > 0;
  ppmEditEvent.enabled = any;
  ppmDelete.enabled = any;
  ppmReadAllEvents.enabled = ppmAddEvent.enabled = ppmClear.enabled = true;
}

}  // namespace quorvex::datebook
