#include "backup/restore.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>

#include "backup/backup_file.h"
#include "backup/restore_texts.h"
#include "backup/whole_phone_read.h"
#include "codec/delphi_text.h"
#include "codec/reply_fields.h"
#include "core/bin_keep.h"
#include "core/held_boxes.h"
#include "core/stop_request.h"
#include "datebook/date_book_section.h"
#include "messages/message_rows.h"
#include "messages/new_message_dialog.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_bin.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::backup {

// ---- The preview.

void TfrmRestore::Show(UserInterface& ui, RestorePlan plan) {
  Caption = texts::DialogCaption();
  Plan = std::move(plan);
  btnWrite.caption = texts::WriteButton();
  btnCancel.caption = texts::CancelButton();
  Accepted = false;
  refresh();
  open();
  ShowModal(ui, *this);
}

void TfrmRestore::rowChecked(std::size_t row, bool chosen) {
  Plan.choose(row, chosen);
  refresh();
}

void TfrmRestore::refresh() {
  lblSummary.caption = Plan.Summary();
  btnWrite.enabled = Plan.chosenCount() > 0;
  ++revision;
}

void TfrmRestore::btnWriteClick() {
  if (!btnWrite.enabled) return;
  Accepted = true;
  close();
}

void TfrmRestore::btnCancelClick() {
  Accepted = false;
  close();
}

// ---- The write.

namespace {

using phonebook::TAbonentInfo;

// Free indices of one memory, as the write takes and frees them.
class Slots {
 public:
  Slots(std::int64_t first, std::int64_t last) : first_(first), last_(last) {}
  void take(std::int64_t i) { taken_.insert(i); }
  void free(std::int64_t i) { taken_.erase(i); }
  bool isFree(std::int64_t i) const { return i >= first_ && i <= last_ && !taken_.count(i); }
  // The old index when it is free, else the lowest free one; -1 when the memory is full.
  std::int64_t place(std::int64_t old) const {
    if (isFree(old)) return old;
    for (std::int64_t i = first_; i <= last_; ++i)
      if (!taken_.count(i)) return i;
    return -1;
  }

 private:
  std::int64_t first_, last_;
  std::set<std::int64_t> taken_;
};

int SectionOrder(const std::string& section) {
  if (section == kBinPhoneBook) return 0;
  if (section == kBinDateBook) return 1;
  return 2;
}

int ActionOrder(RestoreAction a) {
  return a == RestoreAction::Erase ? 0 : a == RestoreAction::Overwrite ? 1 : 2;
}

}  // namespace

RestoreResult WriteChosen(AppState& app, RestorePlan& plan, ProgressBar& bar) {
  UserInterface& ui = app.ui();
  RestoreResult result;
  std::vector<RestoreRow*> steps;
  for (RestoreRow& r : plan.rows())
    if (r.chosen && r.choosable && r.action != RestoreAction::None) steps.push_back(&r);
  std::stable_sort(steps.begin(), steps.end(), [](const RestoreRow* a, const RestoreRow* b) {
    const int sa = SectionOrder(a->section), sb = SectionOrder(b->section);
    return sa != sb ? sa < sb : ActionOrder(a->action) < ActionOrder(b->action);
  });
  result.total = static_cast<int>(steps.size());
  const auto tell = [&](RestoreResult::Outcome outcome, std::string text) {
    result.outcome = outcome;
    result.text = std::move(text);
    ui.messageBox(
        result.text,
        outcome == RestoreResult::Outcome::Refused ? MsgKind::Error : MsgKind::Information,
        MsgButtons::Ok);
    return result;
  };
  if (steps.empty()) return tell(RestoreResult::Outcome::Nothing, texts::NothingToWrite());

  std::vector<BinRecord> kept;
  for (const RestoreRow* r : steps) {
    if (r->action == RestoreAction::Write || !r->onHandset) continue;
    BinRecord b = *r->onHandset;
    b.id = 0;
    b.time.clear();
    b.operation = "restore";
    kept.push_back(std::move(b));
  }
  if (!KeepInBin(app, std::move(kept), texts::NothingWritten())) {
    result.outcome = RestoreResult::Outcome::NoBin;
    return result;
  }

  // What each memory holds now: the handset's entries that the plan paired or found alone.
  const HandsetShape& shape = plan.shape();
  Slots phone(std::max(shape.phoneFirst, 1), shape.phoneLast);
  Slots sim(shape.simFirst, shape.simLast);
  Slots events(0, shape.dateBookHighest);
  for (const RestoreRow& r : plan.rows()) {
    if (!r.onHandset) continue;
    if (r.section == kBinPhoneBook)
      (r.onHandset->memory == "SM" ? sim : phone).take(r.onHandset->index);
    if (r.section == kBinDateBook) events.take(r.onHandset->index);
  }

  StoppableOperation op(app.stop(), ui, texts::Activity());
  struct BarReset {
    ProgressBar& bar;
    ~BarReset() {
      bar.setPosition(0);
      bar.Figure.clear();
    }
  } reset{bar};
  bar.setRange(0, result.total);
  app.LoadPortSettings();
  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
  // The date book stays locked for this link only while the restore writes it.
  struct DateBookLock {
    TBlockSerial& port;
    bool locked = false;
    void unlock() {
      if (locked) port.RunAtCommand("AT+MDBL=0");
      locked = false;
    }
    ~DateBookLock() {
      try {
        unlock();
      } catch (...) {
      }
    }
  } lock{*port};

  sms::StorageSelection storage(*port);
  const phonebook::Family family = shape.family();
  std::string section;
  std::string refused;
  for (RestoreRow* r : steps) {
    if (r->section != section) {
      lock.unlock();
      section = r->section;
      if (section == kBinPhoneBook) {
        if (port->RunAtCommand("AT+CPBS=AD") != kExactOk ||
            port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) {
          refused = texts::NoAccess(section);
          break;
        }
      } else {
        port->RunAtCommand("AT+CSCS=UCS2");
        if (section == kBinDateBook) {
          if (!ReplyHasOk(port->RunAtCommand("AT+MDBL=1"))) {
            refused = texts::NoAccess(section);
            break;
          }
          lock.locked = true;
        }
      }
    }
    bool ok = false;
    if (section == kBinPhoneBook) {
      Slots& slots = r->memory == "SM" ? sim : phone;
      if (r->action == RestoreAction::Erase) {
        port->RunAtCommand(phonebook::EraseCommand(static_cast<std::int32_t>(r->onHandset->index)));
        ok = port->CommandOk();
        if (ok) slots.free(r->onHandset->index);
      } else {
        TAbonentInfo entry = *r->entry;
        const std::int64_t target =
            r->action == RestoreAction::Overwrite ? r->onHandset->index : slots.place(r->index);
        if (target < 0) {
          refused = r->caption + " - " + texts::NoRoom(r->memory);
          break;
        }
        entry.Index = static_cast<std::int32_t>(target);
        port->RunAtCommand(phonebook::RecordWriteCommand(entry, family));
        ok = port->CommandOk();
        if (ok) slots.take(target);
      }
    } else if (section == kBinDateBook) {
      if (r->action == RestoreAction::Erase) {
        ok = ReplyHasOk(
            port->RunAtCommand("AT+MDBWE=" + text::IntToStr(r->onHandset->index) + ",0,0"));
        if (ok) events.free(r->onHandset->index);
      } else {
        const std::int64_t target =
            r->action == RestoreAction::Overwrite ? r->onHandset->index : events.place(r->index);
        if (target < 0) {
          refused = r->caption + " - " + texts::NoRoom(r->memory);
          break;
        }
        ok = ReplyHasOk(port->RunAtCommand(
            datebook::EventWriteCommand(target, r->event->titleHex, r->event->entry)));
        if (ok) events.take(target);
      }
    } else {
      const std::string& memory =
          r->action == RestoreAction::Erase ? r->onHandset->memory : r->message->memory;
      // Without its memory selected a store would land in another folder.
      if (storage.select(memory)) {
        const std::string reply =
            r->action == RestoreAction::Erase
                ? port->RunAtCommand("AT+CMGD=" + text::IntToStr(r->onHandset->index))
                : port->RunAtCommand(sms::StoreCommandFor(*r->message));
        ok = ReplyHasOk(reply);
      }
    }
    if (!ok) {
      refused = r->caption;
      break;
    }
    ++result.done;
    bar.setPosition(result.done);
    bar.showFigure(result.done, result.total);
    ui.processEvents(false);
    if (result.done < result.total && op.stopRequested()) {
      lock.unlock();
      result.outcome = RestoreResult::Outcome::Stopped;
      result.text = StoppedText("записано", result.done, result.total);
      op.stopped(result.text);
      return result;
    }
  }
  lock.unlock();
  if (!refused.empty())
    return tell(RestoreResult::Outcome::Refused,
                texts::RefusedAt(result.done, result.total, refused));
  return tell(RestoreResult::Outcome::Written, texts::WrittenAll(result.done, result.total));
}

// ---- Reading the handset and the whole operation.

HandsetNow ReadHandsetNow(AppState& app, phonebook::PhoneBookSection& book,
                          datebook::DateBookSection& dates, sms::SmsSection& messages,
                          WholeReadProgress& progress) {
  HandsetNow now;
  now.contents = ReadWholePhone(app, {book, dates, messages}, progress);
  now.complete = progress.complete;
  now.shape.model = book.Model;
  now.shape.phoneFirst = book.PhoneFirst;
  now.shape.phoneLast = book.PhoneLast;
  now.shape.simFirst = book.SimFirst;
  now.shape.simLast = book.SimLast;
  now.shape.groupCount = book.GroupNames.size();
  now.shape.dateBookHighest = dates.HighestIndex();
  return now;
}

RestoreResult RestoreBackup(AppState& app, phonebook::PhoneBookSection& book,
                            datebook::DateBookSection& dates, sms::SmsSection& messages,
                            const PhoneBackup& backup, TfrmRestore& dialog, ProgressBar& bar) {
  UserInterface& ui = app.ui();
  RestoreResult result;
  WholeReadProgress progress;
  HandsetNow now;
  std::string said;  // what the part that ended the read said of it
  {
    HeldBoxes held(app);
    now = ReadHandsetNow(app, book, dates, messages, progress);
    if (!now.complete) said = held.take();
  }
  if (!now.complete) {
    // One box for what ended the read and that nothing was compared. A failure stays an
    // error, so that a script does not take it for a restore that found nothing to write.
    result.outcome = RestoreResult::Outcome::NotRead;
    result.text = OneBoxText(said, texts::NotReadWhole());
    if (progress.stopped)
      ui.messageBox(result.text, MsgKind::Warning, MsgButtons::Ok);
    else
      ui.showStandardError(result.text);
    return result;
  }
  dialog.Show(ui, RestorePlan(backup, now.contents, now.shape));
  if (!dialog.Accepted) return result;
  result = WriteChosen(app, dialog.Plan, bar);
  if (result.done > 0) {
    book.SpeedButton3Click();
    dates.SpeedButton5Click();
    messages.SpeedButton12Click();
  }
  return result;
}

RestoreResult RestoreFromBackupClick(AppState& app, phonebook::PhoneBookSection& book,
                                     datebook::DateBookSection& dates, sms::SmsSection& messages,
                                     TfrmRestore& dialog, ProgressBar& bar) {
  const std::optional<std::string> path = app.ui().chooseOpenFile(kRestoreFileFilter);
  if (!path) return {};
  const PhoneBackup backup = ReadBackupFile(*path);
  return RestoreBackup(app, book, dates, messages, backup, dialog, bar);
}

}  // namespace quorvex::backup
