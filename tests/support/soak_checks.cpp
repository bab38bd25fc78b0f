// What an operation must have left: the boxes the user saw, the handset's state against the
// one before, the lists against the handset, and a window no longer busy.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/cp1251.h"
#include "codec/ucs2.h"
#include "soak_loop.h"
#include "soak_state.h"

namespace quorvex::soak {

bool Soak::failureShown() const {
  if (!ui_.errors.empty()) return true;
  return std::any_of(ui_.boxes.begin(), ui_.boxes.end(), [](const Shown& b) {
    return b.kind == MsgKind::Error || b.kind == MsgKind::Warning;
  });
}

bool Soak::successShown() const {
  return std::any_of(ui_.boxes.begin(), ui_.boxes.end(), [](const Shown& b) {
    return b.kind == MsgKind::Information || b.kind == MsgKind::Message;
  });
}

void Soak::judge(Op op, Fault fault, bool struck) {
  const bool asHealthy = fault == Fault::None || fault == Fault::Split || !struck;
  expect(!dialogRefused_, "the dialog refused the soak's input");
  dialogRefused_ = false;
  if (asHealthy) {
    expect(ui_.errors.empty(), "an error on a healthy handset");
    judgeSuccess(op);
    return;
  }
  if (fault != Fault::ErrorOn) {
    expect(failureShown(), "the failure reached the user in no message");
    expect(!successShown(), "a failure told as success");
  }
  judgeConfined(op);
}

void Soak::judgeSuccess(Op op) {
  switch (AreaOf(op)) {
    case Area::PhoneBook:
      return judgePhoneBook(op);
    case Area::DateBook:
      return judgeDateBook(op);
    case Area::Messages:
      return judgeMessages(op);
    case Area::Other:
      break;
  }
  switch (op) {
    case Op::Info:
      noBoxes();
      expect(window_.info.edtIMEI == after_.imei, "IMEI " + window_.info.edtIMEI);
      expect(window_.info.edtIMSI == after_.imsi, "IMSI " + window_.info.edtIMSI);
      expect(window_.info.edtModel == std::string("Motorola ") + kModel,
             "model " + window_.info.edtModel);
      checkGauges();
      break;
    case Op::Battery:
      noBoxes();
      checkGauges();
      break;
    case Op::Terminal: {
      noBoxes();
      const std::string& log = window_.terminal.mmTerminal;
      expect(log.size() > logBefore_.size() && log.compare(0, logBefore_.size(), logBefore_) == 0,
             "the log did not grow by the reply");
      expect(log.find(after_.imei, logBefore_.size()) != std::string::npos,
             "the reply holds no IMEI");
      // The user clears the log now and then, as it would otherwise grow for the whole run.
      if (rng_() % 4 == 0) window_.click("sbClear");
      break;
    }
    case Op::Clock: {
      expect(ui_.boxes.size() == 1 && ui_.boxes[0].kind == MsgKind::Message,
             "no box telling the clock was set");
      const long off = static_cast<long>(after_.clockOffset);
      expect(std::labs(off - ui_.clockShift) <= 3, "the handset's clock is " + std::to_string(off) +
                                                       " s off, not " +
                                                       std::to_string(ui_.clockShift));
      break;
    }
    default:
      break;
  }
}

void Soak::judgePhoneBook(Op op) {
  switch (op) {
    case Op::PbRead:
      noBoxes();
      expect(after_ == before_, "a read changed the handset");
      expect(BookOf(window_.ListView1) == BookOf(after_),
             "the list " + Keys(BookOf(window_.ListView1)) + " is not the handset's " +
                 Keys(BookOf(after_)));
      pbStale_ = false;
      break;
    case Op::PbAdd: {
      noBoxes();
      expect(!target_.empty(), "the record dialog was not shown");
      sim::HandsetState want = before_;
      if (!target_.empty()) {
        const int idx = std::stoi(target_);
        expect(before_.entries.count(idx) == 0, "the dialog offered a taken index " + target_);
        expect(after_.entries.count(idx) == 1, "no entry at " + target_);
        if (after_.entries.count(idx) == 1) {
          const sim::PhoneEntry& e = after_.entries.at(idx);
          expect(e.name == name_ && e.number == number_, "the entry at " + target_ + " differs");
          want.entries[idx] = e;
        }
      }
      expect(after_ == want, "the add changed more than its entry");
      expect(BookOf(window_.ListView1) == BookOf(after_), "the list is not the handset's");
      break;
    }
    case Op::PbEdit: {
      noBoxes();
      const int idx = std::stoi(target_);
      sim::HandsetState want = before_;
      want.entries[idx].name = name_;
      expect(after_.entries.count(idx) == 1 && after_.entries.at(idx).name == name_,
             "the entry at " + target_ + " was not renamed");
      expect(after_.entries.count(idx) == 1 &&
                 after_.entries.at(idx).number == want.entries.at(idx).number,
             "the edit changed the number at " + target_);
      // The name is the user's change, and the group for an entry outside every group (the
      // dialog wants one picked); everything else the entry keeps.
      // The SIM keeps a number and a name only.
      if (before_.entries.at(idx).category == 0 && idx <= before_.phoneSize)
        want.entries[idx].category = 1;
      expect(after_ == want, "the edit changed more than the name");
      expect(BookOf(window_.ListView1) == BookOf(after_), "the list is not the handset's");
      break;
    }
    case Op::PbDelete: {
      noBoxes();
      sim::HandsetState want = before_;
      want.entries.erase(std::stoi(target_));
      expect(after_ == want, "the delete of " + target_ + " left another state");
      expect(BookOf(window_.ListView1) == BookOf(after_), "the list is not the handset's");
      break;
    }
    default:
      break;
  }
}

void Soak::judgeDateBook(Op op) {
  switch (op) {
    case Op::DbRead:
      noBoxes();
      expect(after_ == before_, "a read changed the handset");
      expect(DiaryOf(window_.lvEvent) == DiaryOf(after_),
             "the list " + Keys(DiaryOf(window_.lvEvent)) + " is not the handset's " +
                 Keys(DiaryOf(after_)));
      dbStale_ = false;
      break;
    case Op::DbAdd: {
      noBoxes();
      expect(!target_.empty(), "the event dialog was not shown");
      sim::HandsetState want = before_;
      if (!target_.empty()) {
        const int idx = std::stoi(target_);
        expect(before_.events.count(idx) == 0, "the dialog chose a taken index " + target_);
        expect(after_.events.count(idx) == 1 && after_.events.at(idx).title == title_,
               "no event " + title_ + " at " + target_);
        if (after_.events.count(idx) == 1) want.events[idx] = after_.events.at(idx);
      }
      expect(after_ == want, "the add changed more than its event");
      expect(DiaryOf(window_.lvEvent) == DiaryOf(after_), "the list is not the handset's");
      break;
    }
    case Op::DbDelete: {
      noBoxes();
      sim::HandsetState want = before_;
      want.events.erase(std::stoi(target_));
      expect(after_ == want, "the delete of " + target_ + " left another state");
      expect(DiaryOf(window_.lvEvent) == DiaryOf(after_), "the list is not the handset's");
      break;
    }
    default:
      break;
  }
}

void Soak::judgeMessages(Op op) {
  switch (op) {
    case Op::SmsRead: {
      noBoxes();
      sim::HandsetState want = before_;
      // Reading the incoming folder is reading the messages: the handset marks them read.
      if (smsFolder_ == sms::kIncoming)
        for (auto& [i, m] : want.messages) {
          const auto now = after_.messages.find(i);
          if (m.store == sim::MessageStore::Incoming && now != after_.messages.end())
            m.status = now->second.status;
        }
      expect(after_ == want, "a read changed the handset");
      const Folder shown = FolderOf(window_.lvSMS), held = FolderOf(after_, smsFolder_);
      expect(shown == held, "the list " + Keys(shown) + " of folder " + std::to_string(smsFolder_) +
                                " is not the handset's " + Keys(held));
      smsStale_ = false;
      break;
    }
    case Op::SmsStore:
    case Op::SmsSend:
      judgeNewMessage();
      break;
    case Op::SmsDelete: {
      noBoxes();
      sim::HandsetState want = before_;
      want.messages.erase(std::stoi(target_));
      expect(after_ == want, "the delete of " + target_ + " left another state");
      expect(FolderOf(window_.lvSMS) == FolderOf(after_, smsFolder_),
             "the list is not the handset's");
      break;
    }
    case Op::SmsMark: {
      noBoxes();
      const int idx = std::stoi(target_);
      const bool unread = before_.messages.count(idx) == 1 &&
                          before_.messages.at(idx).status == sim::MessageStatus::RecUnread;
      const std::vector<std::string> sent = handset_->transcript();
      if (unread) {
        expect(std::find(sent.begin(), sent.end(), "AT+MMAR=" + target_) != sent.end(),
               "no AT+MMAR for the unread message " + target_);
      } else {
        expect(sent.empty(), "a command for a message read already");
      }
      sim::HandsetState want = before_;
      want.messages[idx].status = sim::MessageStatus::RecRead;
      expect(after_ == want, "the mark of " + target_ + " left another state");
      break;
    }
    default:
      break;
  }
}

void Soak::judgeNewMessage() {
  expect(ui_.boxes.size() == 1 && ui_.boxes[0].kind == MsgKind::Information,
         "not one information box");
  std::vector<int> added;
  for (const auto& [i, m] : after_.messages)
    if (before_.messages.count(i) == 0) added.push_back(i);
  sim::HandsetState want = before_;
  want.nextReference = after_.nextReference;
  if (action_ == 2) {
    expect(added.empty(), "a message sent and deleted stayed");
  } else if (added.size() != 1) {
    expect(false, "not one new message");
  } else {
    const sim::Message& m = after_.messages.at(added[0]);
    expect(m.number == number_ && m.text == text_, "the new message differs");
    expect(m.store == sim::MessageStore::Outgoing &&
               m.status ==
                   (action_ == 0 ? sim::MessageStatus::StoUnsent : sim::MessageStatus::StoSent),
           "the new message is in the wrong folder");
    want.messages[added[0]] = m;
  }
  expect(after_ == want, "the message changed more than itself");
  // The folder shown no longer tells the handset's.
  smsStale_ = true;
}

void Soak::checkGauges() {
  expect(window_.info.ggStatusCharge.Position == after_.batteryLevel, "battery gauge");
  expect(window_.info.ggStatusSignal.Position == 2 * after_.rssi - 113, "signal gauge");
}

// A failed operation may have done its own change, or part of it, and nothing else.
void Soak::judgeConfined(Op op) {
  sim::HandsetState was = before_, is = after_;
  const auto forget = [](auto& map, const std::string& key) {
    if (!key.empty()) map.erase(std::stoi(key));
  };
  // The date book's and the messages' writes do not look at the reply to the character set
  // command, so a handset that refused it takes the text's UCS2 digits as the text.
  const bool charsetRefused = refused_.rfind("AT+CSCS", 0) == 0;
  const auto sameText = [&](const std::string& got, const std::string& want) {
    return got == want || (charsetRefused && got == TextToUcs2Hex(want));
  };
  switch (op) {
    case Op::PbAdd:
      if (!target_.empty() && is.entries.count(std::stoi(target_)) == 1)
        expect(is.entries.at(std::stoi(target_)).name == name_, "a wrong entry was written");
      forget(is.entries, target_);
      break;
    case Op::PbEdit:
      if (is.entries.count(std::stoi(target_)) == 1 && was.entries.count(std::stoi(target_)) == 1) {
        const std::string& n = is.entries.at(std::stoi(target_)).name;
        expect(n == name_ || n == was.entries.at(std::stoi(target_)).name,
               "the entry got a name nobody gave it");
      }
      forget(was.entries, target_);
      forget(is.entries, target_);
      break;
    case Op::PbDelete:
      forget(was.entries, target_);
      forget(is.entries, target_);
      break;
    case Op::DbAdd:
      if (!target_.empty() && is.events.count(std::stoi(target_)) == 1)
        expect(sameText(is.events.at(std::stoi(target_)).title, title_),
               "a wrong event was written");
      forget(is.events, target_);
      break;
    case Op::DbDelete:
      forget(was.events, target_);
      forget(is.events, target_);
      break;
    case Op::SmsRead:
      for (auto& [i, m] : was.messages) {
        const auto now = is.messages.find(i);
        if (m.store == sim::MessageStore::Incoming && now != is.messages.end())
          m.status = now->second.status;
      }
      break;
    case Op::SmsStore:
    case Op::SmsSend:
      for (auto it = is.messages.begin(); it != is.messages.end();) {
        if (was.messages.count(it->first) == 0) {
          expect(it->second.number == number_ && sameText(it->second.text, text_),
                 "a wrong message was stored");
          it = is.messages.erase(it);
        } else {
          ++it;
        }
      }
      is.nextReference = was.nextReference;
      break;
    case Op::SmsDelete:
      forget(was.messages, target_);
      forget(is.messages, target_);
      break;
    case Op::SmsMark:
      if (is.messages.count(std::stoi(target_)) == 1 && was.messages.count(std::stoi(target_)) == 1)
        is.messages[std::stoi(target_)].status = was.messages[std::stoi(target_)].status;
      break;
    case Op::Clock:
      is.clockOffset = was.clockOffset;
      break;
    default:
      break;
  }
  expect(is == was, "the failed operation changed what it had no business with");
}

void Soak::checkIdle() {
  for (Section s :
       {Section::Terminal, Section::PhoneInfo, Section::PhoneBook, Section::DateBook, Section::SMS})
    expect(window_.control(SectionButton(s)).enabled,
           std::string("left busy: ") + SectionButton(s) + " disabled");
  // "Добавить" stays disabled while the phone book list is empty, busy or not, and the
  // hidden "Записать все" is never enabled.
  for (const std::string& name : BusyControls(window_.section()))
    if (name != "sbAddRecord" && window_.control(name).visible)
      expect(window_.control(name).enabled, "left busy: " + name + " disabled");
  expect(!ui_.cursorBusy, "left busy: the hourglass stays");
}

std::string FailureList(const Report& report) {
  std::string out;
  for (const std::string& f : report.failures) out += "FAILED " + f + "\n";
  // The texts the operations showed are the handset's code page; the list is read on a
  // terminal.
  return Cp1251ToUtf8(out);
}

}  // namespace quorvex::soak
