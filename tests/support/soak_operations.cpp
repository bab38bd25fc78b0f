// The operations, as the user does them: the buttons, keys, menus and dialogs of the window.
#include <string>
#include <vector>

#include "codec/ru.h"
#include "soak_loop.h"

namespace quorvex::soak {

void Soak::perform(Op op) {
  target_.clear();
  switch (op) {
    case Op::PbRead:
      window_.click("sbPhoneBook");
      if (rng_() % 2)
        window_.click("sbReadAll");
      else
        window_.FormKeyDown(Key::F5, {});
      break;
    case Op::PbAdd:
      addEntry();
      break;
    case Op::PbEdit:
      editEntry();
      break;
    case Op::PbDelete:
      deleteEntry();
      break;
    case Op::DbRead:
      // Showing the section reads the date book; a shown section reads on its button.
      if (window_.section() != Section::DateBook || rng_() % 2)
        window_.click("sbDateBook");
      else
        window_.click("sbReadAllEvents");
      break;
    case Op::DbAdd:
      addEvent();
      break;
    case Op::DbDelete:
      deleteRow(window_.lvEvent, "sbDeleteEvent");
      break;
    case Op::SmsRead: {
      window_.click("sbSMS");
      int folder = nextFolder_;
      nextFolder_ = -1;
      if (folder < 0) folder = 1 + static_cast<int>(rng_() % 4);
      smsFolder_ = folder;
      window_.tvSMSSelected = folder;
      window_.fire("tvSMSClick");
      break;
    }
    case Op::SmsStore:
    case Op::SmsSend:
      newMessage(op);
      break;
    case Op::SmsDelete:
      deleteRow(window_.lvSMS, "sbDeleteSMS");
      break;
    case Op::SmsMark:
      markMessage();
      break;
    case Op::Info:
      window_.click("sbPhoneInfo");
      break;
    case Op::Battery:
      if (window_.section() == Section::PhoneInfo && rng_() % 2)
        window_.FormKeyDown(Key::F5, {});
      else
        window_.click("SpeedButton1");
      break;
    case Op::Terminal:
      window_.click("sbTerminal");
      window_.terminal.cbCommandChange("AT+CGSN");
      logBefore_ = window_.terminal.mmTerminal;
      window_.click("btnSendCommand");
      break;
    case Op::Clock:
      ui_.clockShift = static_cast<long>(rng_() % (48 * 3600)) - 24 * 3600;
      window_.click("SpeedButton11");
      break;
  }
}

void Soak::addEntry() {
  window_.click("sbPhoneBook");
  name_ = Ru("Абонент ") + std::to_string(++serial_);
  number_ = "+7916" + std::to_string(1000000 + serial_);
  ui_.script = [this](ModalDialog& m) {
    auto* d = dynamic_cast<phonebook::TfrmAddRecord*>(&m);
    if (d == nullptr) return;
    target_ = d->cbRecordNum.text;
    d->typePhoneNumber(number_);
    d->typeAbonentName(name_);
    d->SpeedButton1Click(ui_);
    if (!d->closed()) {
      dialogRefused_ = true;
      d->SpeedButton2Click();
    }
  };
  window_.click("sbAddRecord");
}

void Soak::editEntry() {
  window_.click("sbPhoneBook");
  const int row = static_cast<int>(rng_() % window_.ListView1.rows.size());
  selectRow(window_.ListView1, row);
  target_ = window_.ListView1.rows[static_cast<std::size_t>(row)].caption;
  name_ = uniqueText("Soak ");
  ui_.script = [this](ModalDialog& m) {
    auto* d = dynamic_cast<phonebook::TfrmAddRecord*>(&m);
    if (d == nullptr) return;
    d->edtAbonentName.text = name_;
    // An entry outside every caller group shows an empty group box, and the dialog wants
    // every box filled: the user picks the first group.
    if (d->cbGroup.text.empty()) d->cbGroup.select(0);
    d->SpeedButton1Click(ui_);
    if (!d->closed()) {
      dialogRefused_ = true;
      d->SpeedButton2Click();
    }
  };
  window_.fire("ListView1DblClick");
}

void Soak::deleteEntry() {
  window_.click("sbPhoneBook");
  const int row = static_cast<int>(rng_() % window_.ListView1.rows.size());
  selectRow(window_.ListView1, row);
  target_ = window_.ListView1.rows[static_cast<std::size_t>(row)].caption;
  // The user opens the popup over the selection; the key and the item then act alike.
  window_.popup("PopupMenu1");
  if (rng_() % 2)
    window_.FormKeyDown(Key::Delete, {});
  else
    window_.clickMenu("pmDelete");
}

// The date book's and the messages' delete: a row of the list, then the section's button.
void Soak::deleteRow(ListModel& list, const char* button) {
  const int row = static_cast<int>(rng_() % list.rows.size());
  selectRow(list, row);
  target_ = list.rows[static_cast<std::size_t>(row)].caption;
  window_.click(button);
}

void Soak::addEvent() {
  title_ = uniqueText(rng_() % 2 ? "Meeting " : "\xC2\xF1\xF2\xF0\xE5\xF7\xE0 ");
  ui_.script = [this](ModalDialog& m) {
    auto* d = dynamic_cast<datebook::TfrmAddEvent*>(&m);
    if (d == nullptr) return;
    target_ = std::to_string(d->EventIndex);
    d->edtEventTitle = title_;
    if (!d->SpeedButton1Click(ui_)) {
      dialogRefused_ = true;
      d->SpeedButton2Click();
    }
  };
  window_.click("sbAddEvent");
}

void Soak::newMessage(Op op) {
  window_.click("sbSMS");
  number_ = "+7903" + std::to_string(2000000 + ++serial_);
  text_ = "Soak message " + std::to_string(serial_) + " at the handset";
  action_ = op == Op::SmsStore ? 0 : 1 + static_cast<int>(rng_() % 2);
  ui_.script = [this](ModalDialog& m) {
    auto* d = dynamic_cast<SaveSmsModal*>(&m);
    if (d == nullptr) return;
    d->form().cbAbonentsText = number_;
    d->form().SetMemoText(text_);
    d->form().RadioGroup.itemIndex = action_;
    if (!d->ok(ui_)) {
      dialogRefused_ = true;
      d->cancel();
    }
  };
  window_.click("sbSMSNew");
}

void Soak::markMessage() {
  // Mostly an unread message, now and then one read already (its item is disabled).
  std::vector<int> unread;
  for (std::size_t r = 0; r < window_.lvSMS.rows.size(); ++r) {
    const auto m = before_.messages.find(std::stoi(window_.lvSMS.rows[r].caption));
    if (m != before_.messages.end() && m->second.status == sim::MessageStatus::RecUnread)
      unread.push_back(static_cast<int>(r));
  }
  const int row = !unread.empty() && rng_() % 4 != 0
                      ? unread[rng_() % unread.size()]
                      : static_cast<int>(rng_() % window_.lvSMS.rows.size());
  selectRow(window_.lvSMS, row);
  target_ = window_.lvSMS.rows[static_cast<std::size_t>(row)].caption;
  window_.popup("pmSMS");
  window_.clickMenu("pmMarkasRead");
}

}  // namespace quorvex::soak
