#include "phonebook/add_record_dialog.h"

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "phonebook/records.h"

namespace quorvex::phonebook {

namespace {

template <typename Control>
void TypeKeys(Control& control, std::string_view keys) {
  for (const char key : keys) {
    if (key == kKeyBackspace) {
      if (!control.text.empty()) control.text.pop_back();
      continue;
    }
    if (control.maxLength > 0 && static_cast<int>(control.text.size()) >= control.maxLength)
      continue;
    control.text.push_back(key);
  }
}

}  // namespace

TfrmAddRecord::TfrmAddRecord() {
  Caption = Ru("Добавить запись");
  Label8.caption = Ru("Модель телефона:");
  cbRecordNum.maxLength = 4;
  edtPhoneNumber.maxLength = 40;
  edtAbonentName.maxLength = 24;
  cbType.setItems({TypeItems().begin(), TypeItems().end()});
  cbIDs.setItems({AlertItems().begin(), AlertItems().end()});
  cbIDs.maxLength = 2;
  Label6.caption = Ru("Категория:");
  cbGroup.setItems(DesignGroupNames());
  cbGroup.select(0);
  Label7.caption = Ru("Иконка:");
  cbIcon.setItems({IconCaptions().begin(), IconCaptions().end()});
  cbIcon.text = "255";
}

void TfrmAddRecord::Show(UserInterface& ui, const std::function<void()>& shown) {
  // A dialog closed without "Записать" must never leave an earlier command to be sent.
  DialogAccepted = false;
  RecordCommand.clear();
  open();
  FormShow();
  if (shown) shown();
  ShowModal(ui, *this);
}

void TfrmAddRecord::FormShow() {
  cbIDs.selectLast();
  const Family family = FamilyOf(PhoneModel);
  if (family == Family::None) return;
  const bool grouped = HasGroups(family);
  Label6.visible = grouped;
  Label7.visible = grouped;
  cbGroup.visible = grouped;
  cbIcon.visible = grouped;
  Bevel1.visible = grouped;
}

void TfrmAddRecord::SpeedButton1Click(UserInterface& ui) {
  RecordCommand.clear();
  if (cbRecordNum.text.empty() || cbIDs.text.empty() || cbGroup.text.empty() ||
      cbType.text.empty() || edtPhoneNumber.text.empty() || edtAbonentName.text.empty()) {
    ui.messageBox(Ru("Необходимо заполнить все поля!"), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  DialogEntry e;
  e.index = text::StrToInt(cbRecordNum.text);
  // Our own check: an index outside the table, or one another entry holds, would write where
  // the list cannot show it or overwrite a contact without a trace.
  if (e.index < 1 || e.index > RecordCount) {
    ui.messageBox(
        Ru("Номер записи должен быть в пределах от 1 до ") + text::IntToStr(RecordCount) + "!",
        MsgKind::Error, MsgButtons::Ok);
    return;
  }
  if (static_cast<std::size_t>(e.index) <= Taken.size() && Taken[e.index - 1]) {
    ui.messageBox(Ru("Запись с номером ") + text::IntToStr(e.index) +
                      Ru(" уже есть в справочнике! Выберите свободный номер."),
                  MsgKind::Error, MsgButtons::Ok);
    return;
  }
  e.number = edtPhoneNumber.text;
  e.nameHex = NameHexFor(edtAbonentName.text, KeptNameHex);
  e.type = typeCode();
  e.alert = static_cast<std::uint8_t>(alertCode());
  e.group = cbGroup.itemIndex + 1;
  if (cbIcon.itemIndex >= 0 && cbIcon.itemIndex <= 14) {
    e.icon = text::IntToStr(cbIcon.itemIndex);
  } else if (cbIcon.itemIndex == 15) {
    e.icon = "255";
  }
  e.iconText = cbIcon.text;
  RecordCommand = DialogWriteCommand(e, FamilyOf(PhoneModel));
  DialogAccepted = true;
  cbIcon.enabled = true;
  close();
}

std::uint8_t TfrmAddRecord::typeCode() const {
  return static_cast<std::uint8_t>(cbType.itemIndex < 0 && KeptType >= 0 ? KeptType
                                                                         : cbType.itemIndex);
}

std::int32_t TfrmAddRecord::alertCode() const {
  if (cbIDs.text == AlertItems()[0]) return 0;
  if (cbIDs.text == AlertItems()[2]) return 255;
  return text::StrToInt(cbIDs.text);
}

void TfrmAddRecord::SpeedButton2Click() {
  DialogAccepted = false;
  close();
}

void TfrmAddRecord::cbIDsKeyPress(char& key) {
  if ((key < '0' || key > '9') && key != kKeyBackspace) key = 0;
}

void TfrmAddRecord::FormKeyDown(int key, UserInterface& ui) {
  if (key == kKeyEscape) SpeedButton2Click();
  if (key == kKeyEnter) SpeedButton1Click(ui);
}

void TfrmAddRecord::typeRecordNum(std::string_view keys) {
  cbRecordNum.itemIndex = -1;
  TypeKeys(cbRecordNum, keys);
}

void TfrmAddRecord::typeIDs(std::string_view keys) {
  std::string kept;
  for (char key : keys) {
    cbIDsKeyPress(key);
    if (key != 0) kept.push_back(key);
  }
  cbIDs.itemIndex = -1;
  TypeKeys(cbIDs, kept);
}

void TfrmAddRecord::typePhoneNumber(std::string_view keys) {
  TypeKeys(edtPhoneNumber, keys);
}

void TfrmAddRecord::typeAbonentName(std::string_view keys) {
  TypeKeys(edtAbonentName, keys);
}

}  // namespace quorvex::phonebook
