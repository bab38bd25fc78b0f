#include "datebook/ical_import.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "codec/delphi_text.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "core/stop_request.h"
#include "datebook/date_book_reply.h"
#include "datebook/event_dialog.h"
#include "datebook/ical_export.h"

namespace quorvex::datebook {

using text::IntToStr;
using S = ICalImportRow::Status;

namespace {

std::string Key(const std::string& title, const std::string& date, const std::string& time) {
  return title + '\x01' + date + ' ' + time;
}

// What a handset that names no length, or names one no title field has, holds.
int UsableTitleLength(int reported) {
  return reported >= 1 && reported <= 1000 ? reported : kDefaultTitleLength;
}

std::string LeadText(const ICalImportRow& r) {
  if (!r.alarm) return Ru("нет");
  return r.lead == 0 ? Ru("в начале") : Ru("за ") + IntToStr(r.lead) + Ru(" мин");
}

}  // namespace

ICalImportPlan::ICalImportPlan(const ICalImportInput& input, bool withoutRepeat)
    : fileNotes_(input.file.notes) {
  std::map<std::string, std::int64_t> onHandset;
  std::set<std::int64_t> taken;
  for (const ReadEvent& e : input.onHandset) {
    onHandset.emplace(Key(e.entry.Title, e.entry.StartDate, e.entry.StartTime), e.index);
    taken.insert(e.index);
  }
  std::vector<std::int64_t> free;
  for (std::int64_t i = 0; i <= input.highestIndex; ++i)
    if (taken.count(i) == 0) free.push_back(i);
  std::size_t next = 0;
  std::set<std::string> planned;
  const int titleLength = UsableTitleLength(input.titleLength);

  rows_.reserve(input.file.events.size());
  for (std::size_t k = 0; k < input.file.events.size(); ++k) {
    const CalendarEvent& ev = input.file.events[k];
    ICalImportRow row;
    row.event = static_cast<int>(k);
    row.notes = ev.notes;
    row.title = ev.title;
    if (row.title.size() > static_cast<std::size_t>(titleLength)) {
      row.title.resize(static_cast<std::size_t>(titleLength));
      row.notes.push_back(Ru("Заголовок обрезан до ") + IntToStr(titleLength) + Ru(" знаков"));
    }
    if (!ev.unusable.empty()) {
      row.status = S::Unusable;
      row.statusText = Ru("Пропущено: ") + ev.unusable;
      rows_.push_back(std::move(row));
      continue;
    }
    row.startTime = TimeText(ev.time.hour, ev.time.minute);
    row.startDate = DateText(ev.date);
    row.duration = ev.duration;
    row.alarm = ev.alarm;
    row.lead = ev.lead;
    row.repeatCode = ev.repeatLost.empty() ? ev.repeatCode : "0";
    const std::string key = Key(row.title, row.startDate, row.startTime);
    if (ev.cancelled) {
      row.status = S::Cancelled;
      row.statusText = Ru("Пропущено: событие отменено");
    } else if (const auto found = onHandset.find(key); found != onHandset.end()) {
      row.status = S::OnHandset;
      row.index = found->second;
      row.statusText = Ru("Пропущено: уже есть в телефоне под номером ") + IntToStr(row.index);
    } else if (planned.count(key) > 0) {
      row.status = S::EarlierInFile;
      row.statusText = Ru("Пропущено: такое событие уже есть выше в файле");
    } else if (!ev.repeatLost.empty() && !withoutRepeat) {
      row.status = S::RepeatLost;
      row.statusText = Ru("Не импортируется: ") + ev.repeatLost;
    } else if (next >= free.size()) {
      planned.insert(key);
      row.status = S::NoRoom;
      row.statusText = Ru("Не помещается: в ежедневнике нет свободного места");
    } else {
      planned.insert(key);
      if (!ev.repeatLost.empty()) row.notes.push_back(Ru("Без повтора. ") + ev.repeatLost);
      row.status = S::Write;
      row.index = free[next++];
      row.statusText = Ru("Будет записано под номером ") + IntToStr(row.index);
      row.command = EventCommand(static_cast<std::int32_t>(row.index), row.title, ev.time, ev.date,
                                 ev.duration, ev.alarm, ev.lead, row.repeatCode);
    }
    rows_.push_back(std::move(row));
  }
}

int ICalImportPlan::count(ICalImportRow::Status status) const {
  return static_cast<int>(std::count_if(
      rows_.begin(), rows_.end(), [status](const ICalImportRow& r) { return r.status == status; }));
}

int ICalImportPlan::altered() const {
  return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const ICalImportRow& r) {
    return r.status == S::Write && !r.notes.empty();
  }));
}

std::string ICalImportPlan::Summary() const {
  std::string s = Ru("Будет записано: ") + IntToStr(count(S::Write)) + Ru("; уже в телефоне: ") +
                  IntToStr(count(S::OnHandset)) + Ru("; повторов в файле: ") +
                  IntToStr(count(S::EarlierInFile)) + Ru("; не помещается: ") +
                  IntToStr(count(S::NoRoom)) + Ru("; с повтором, которого телефон не хранит: ") +
                  IntToStr(count(S::RepeatLost)) + Ru("; пропущено: ") +
                  IntToStr(count(S::Unusable) + count(S::Cancelled)) + Ru("; с изменениями: ") +
                  IntToStr(altered()) + ".";
  for (const std::string& note : fileNotes_) s += " " + note + ".";
  return s;
}

ListModel ICalImportPlan::PreviewList() const {
  ListModel list;
  using A = ListColumn::Align;
  list.columns = {
      {"#", 45, A::Left, kNoImage},
      {Ru("Заголовок"), 150, A::Left, kNoImage},
      {Ru("Начало"), 60, A::Left, kNoImage},
      {Ru("Дата"), 80, A::Left, kNoImage},
      {Ru("Длительность"), 60, A::Center, kNoImage},
      {Ru("Повтор"), 90, A::Center, kNoImage},
      {Ru("Напоминание"), 80, A::Center, kNoImage},
      {Ru("Состояние"), 300, A::Left, kNoImage},
  };
  const std::size_t shown = std::min(rows_.size(), kPreviewRows);
  for (std::size_t k = 0; k < shown; ++k) {
    const ICalImportRow& r = rows_[k];
    ListRow& row = list.add(r.status == S::Write ? IntToStr(r.index) : "");
    const bool usable = r.status != S::Unusable;
    row.subItems.push_back({r.title, kNoImage});
    row.subItems.push_back({r.startTime, kNoImage});
    row.subItems.push_back({r.startDate, kNoImage});
    row.subItems.push_back({usable ? IntToStr(r.duration) : "", kNoImage});
    row.subItems.push_back({usable ? RepeatText(r.repeatCode) : "", kNoImage});
    row.subItems.push_back({usable ? LeadText(r) : "", kNoImage});
    std::string status = r.statusText;
    for (const std::string& note : r.notes) status += "; " + note;
    row.subItems.push_back({status, kNoImage});
  }
  if (shown < rows_.size()) {
    ListRow& row = list.add("");
    row.subItems.push_back({"...", kNoImage});
    for (int c = 0; c < 5; ++c) row.subItems.push_back({"", kNoImage});
    row.subItems.push_back({Ru("И ещё событий: ") + IntToStr(rows_.size() - shown) +
                                Ru(" (их счёт — в строке над списком)"),
                            kNoImage});
  }
  return list;
}

void TfrmImportICal::Show(UserInterface& ui, ICalImportInput input) {
  Caption = Ru("Импорт ежедневника из iCalendar");
  cbWithoutRepeat.caption =
      Ru("Импортировать без повтора события, повтор которых телефон не хранит");
  cbWithoutRepeat.checked = false;
  input_ = std::move(input);
  plan();
  Accepted = false;
  open();
  ShowModal(ui, *this);
}

void TfrmImportICal::plan() {
  Plan = ICalImportPlan(input_, cbWithoutRepeat.checked);
  btnWrite.enabled = Plan.count(S::Write) > 0;
}

void TfrmImportICal::cbWithoutRepeatClick() {
  plan();
}

void TfrmImportICal::btnWriteClick() {
  if (!btnWrite.enabled) return;
  Accepted = true;
  close();
}

void TfrmImportICal::btnCancelClick() {
  Accepted = false;
  close();
}

namespace {

constexpr int kSettleMs = 500;
// How often the window gets its events while a file parses: often enough to feel live.
constexpr int kParsePumpMs = 20;

// The rows to write, one at a time with the read's progress; the first the handset refuses
// or that fails on the line stops the rest. Each event written joins the section's events
// and rows at once, so that a stopped import leaves no free index behind that is not free.
// What ended the writes.
enum class WriteEnd { AllWritten, Refused, LineFailed, UserStopped };

WriteEnd WriteRows(DateBookSection& s, UserInterface& ui, TBlockSerial& port,
                   const ICalImportPlan& plan, ICalImportResult& result, StoppableOperation& op) {
  const int total = result.total;
  s.pbReadEvent.setRange(0, total);
  s.pbReadEvent.setPosition(0);
  s.lblReadEvent.caption = "0";
  s.lblAllEvent.caption = Ru("из ") + IntToStr(total);
  ui.processEvents(false);
  const std::vector<ICalImportRow>& rows = plan.rows();
  const auto leaveOut = [&](std::size_t from) {
    for (std::size_t k = from; k < rows.size(); ++k)
      if (rows[k].status == S::Write) result.leftOut.push_back(rows[k]);
  };
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const ICalImportRow& row = rows[k];
    if (row.status != S::Write) continue;
    std::string why;
    WriteEnd end = WriteEnd::Refused;
    try {
      if (!ReplyHasOk(port.RunAtCommand(row.command)))
        why = Ru("Телефон не принял событие \"") + row.title + Ru("\" под номером ") +
              IntToStr(row.index) + ".";
    } catch (const Exception& e) {
      why = e.what();
      end = WriteEnd::LineFailed;
    }
    if (!why.empty()) {
      result.outcome = ICalImportResult::Outcome::Stopped;
      leaveOut(k);
      ui.messageBox(why + "\r\n" + Ru("Импорт остановлен: записано ") + IntToStr(result.written) +
                        Ru(" из ") + IntToStr(total) + ".",
                    MsgKind::Error, MsgButtons::Ok);
      return end;
    }
    ReadEvent written;
    written.index = row.index;
    written.entry = ParseDateBookEntry("+MDBR: " + row.command.substr(8), &written.titleHex);
    s.Events.push_back(written);
    AddEventRow(s.lvEvent, row.index, written.entry);
    std::vector<bool>& slots = s.frmAddEvent.UsedSlots;
    if (row.index < static_cast<std::int64_t>(slots.size()))
      slots[static_cast<std::size_t>(row.index)] = true;
    ++result.written;
    s.pbReadEvent.setPosition(result.written);
    s.pbReadEvent.showFigure(result.written, total);
    s.lblReadEvent.caption = IntToStr(result.written);
    ui.processEvents(false);
    if (result.written < total && op.stopRequested()) {
      result.outcome = ICalImportResult::Outcome::Stopped;
      leaveOut(k + 1);
      op.stopped(StoppedText("записано", result.written, total));
      return WriteEnd::UserStopped;
    }
  }
  result.outcome = ICalImportResult::Outcome::Written;
  return WriteEnd::AllWritten;
}

}  // namespace

ICalImportResult ImportICalClick(DateBookSection& s, AppState& app, TfrmImportICal& dialog) {
  UserInterface& ui = app.ui();
  ICalImportResult result;
  if (!s.LastReadComplete || s.HighestIndex() < 0) {
    ui.messageBox(Ru("Перед импортом прочитайте ежедневник: свободные места берутся из "
                     "последнего чтения."),
                  MsgKind::Information, MsgButtons::Ok);
    result.outcome = ICalImportResult::Outcome::NotRead;
    return result;
  }
  const std::optional<std::string> path = ui.chooseOpenFile(kICalFilter);
  if (!path) return result;
  result.path = *path;
  std::optional<CalendarFile> file;
  {
    // A large file parses for seconds: on a thread of its own, while the window shows how far
    // it got and takes the stop. The handset is not touched, so nothing is left to undo.
    StoppableOperation op(app.stop(), ui, Ru("Чтение календаря…"));
    ui.setBusyCursor(true);
    if (s.SetControlsEnabled) s.SetControlsEnabled(false);
    s.pbReadEvent.setRange(0, 100);
    s.pbReadEvent.setPosition(0);
    s.pbReadEvent.Figure.clear();
    struct Idle {
      DateBookSection& s;
      UserInterface& ui;
      ~Idle() {
        s.pbReadEvent.setPosition(0);
        if (s.SetControlsEnabled) s.SetControlsEnabled(true);
        ui.setBusyCursor(false);
      }
    } idle{s, ui};
    try {
      file = ReadCalendarFileAside(*path, kParsePumpMs, [&](int percent) {
        s.pbReadEvent.setPosition(percent);
        ui.processEvents(false);
        return !op.stopRequested();
      });
    } catch (const ICalFormatError& e) {
      ui.messageBox(Ru("Файл не читается как календарь iCalendar:\r\n") + *path + "\r\n" + e.what(),
                    MsgKind::Error, MsgButtons::Ok);
      result.outcome = ICalImportResult::Outcome::NotCalendar;
      return result;
    }
    if (!file) {
      op.stopped(Ru("Остановлено: файл не дочитан, ничего не записано."));
      return result;
    }
  }
  dialog.Show(ui, {std::move(*file), s.Events, s.HighestIndex(), s.TitleLength});
  if (!dialog.Accepted) return result;

  result.total = dialog.Plan.count(S::Write);
  for (const ICalImportRow& row : dialog.Plan.rows())
    if (row.status != S::Write) result.leftOut.push_back(row);
  {
    StoppableOperation op(app.stop(), ui, Ru("Импорт ежедневника…"));
    if (s.SetControlsEnabled) s.SetControlsEnabled(false);
    struct Finish {
      DateBookSection& s;
      UserInterface& ui;
      ~Finish() {
        s.pbReadEvent.setPosition(0);
        s.pbReadEvent.Figure.clear();
        if (s.SetControlsEnabled) s.SetControlsEnabled(true);
        // As after an add: the handset settles before the next command.
        ui.pause(kSettleMs);
      }
    } finish{s, ui};
    app.LoadPortSettings();
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
    port->RunAtCommand("AT+CSCS=UCS2");
    if (!ReplyHasOk(port->RunAtCommand("AT+MDBL=1"))) {
      port->RunAtCommand("AT+MDBL=0");
      result.outcome = ICalImportResult::Outcome::Refused;
      for (const ICalImportRow& row : dialog.Plan.rows())
        if (row.status == S::Write) result.leftOut.push_back(row);
      ui.messageBox(Ru("Нет доступа у ежедневнику. Ничего не записано."), MsgKind::Error,
                    MsgButtons::Ok);
      return result;
    }
    const WriteEnd end = WriteRows(s, ui, *port, dialog.Plan, result, op);
    // After a line failure, already told, the unlock is tried but the link is not read again.
    if (end == WriteEnd::LineFailed) {
      try {
        port->RunAtCommand("AT+MDBL=0");
      } catch (const Exception&) {
      }
      return result;
    }
    port->RunAtCommand("AT+MDBL=0");
    if (end == WriteEnd::UserStopped) return result;
  }
  s.sbReadAllEventsClick(app);
  if (result.outcome == ICalImportResult::Outcome::Written)
    ui.messageBox(Ru("Записано в ежедневник: ") + IntToStr(result.written) + Ru(" из ") +
                      IntToStr(result.total) + ".",
                  MsgKind::Information, MsgButtons::Ok);
  return result;
}

}  // namespace quorvex::datebook
