#include "messages/new_message_dialog.h"

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "codec/ucs2.h"

namespace quorvex::sms {

namespace {
constexpr int kLimitLatin = 160;
constexpr int kLimitCyrillic = 70;
constexpr char kEnter = 13;
constexpr char kBackspace = 8;

std::string CounterCaption(int left) {
  return Ru("Осталось символов: ") + text::IntToStr(left);
}
}  // namespace

TfrmSaveSMS::TfrmSaveSMS()
    : Caption(Ru("Новое сообщение")),
      Label1Caption(Ru("Получатель:")),
      Label2Caption(Ru("Текст сообщения:")),
      SpeedButton1Caption("Ok"),
      SpeedButton2Caption(Ru("Отмена")),
      Label3Caption(CounterCaption(kLimitLatin)),
      RadioGroup{{{}, Ru("Действие")},
                 {Ru("Только сохранение"), Ru("Сохранить и отправить"), Ru("Отправить и удалить")},
                 0},
      rgLanguage{{{}, Ru("Язык сообщения")}, {Ru("английский"), Ru("русский")}, 0} {}

int TfrmSaveSMS::limit() const {
  return rgLanguage.itemIndex == 1 ? kLimitCyrillic : kLimitLatin;
}

void TfrmSaveSMS::clearRecipients() {
  cbAbonentsItems.clear();
  cbAbonentsText.clear();
  cbAbonentsItemIndex = -1;
  ++revision;
}

bool TfrmSaveSMS::SpeedButton1Click(UserInterface& ui) {
  if (cbAbonentsText.empty()) {
    ui.messageBox(Ru("Введите номер для отправки"), MsgKind::Warning, MsgButtons::Ok);
    return false;
  }
  if (Memo1.empty()) {
    ui.messageBox(Ru("Сообщение пустое..."), MsgKind::Information, MsgButtons::Ok);
    return false;
  }
  Confirmed = true;
  MessageHex = TextToUcs2Hex(Memo1);
  Recipient = cbAbonentsText;
  for (std::size_t i = 0; i < cbAbonentsItems.size() && i < RecipientNames.size(); ++i) {
    if (RecipientNames[i] == cbAbonentsText) {
      Recipient = i < RecipientNumbers.size() ? RecipientNumbers[i] : std::string();
      break;
    }
  }
  WriteCommand = StoreCommandHex(Recipient, MessageHex);
  visible = false;
  ++revision;
  return true;
}

void TfrmSaveSMS::SpeedButton2Click() {
  visible = false;
  ++revision;
}

void TfrmSaveSMS::Memo1Change() {
  Label3Caption = CounterCaption(limit() - static_cast<int>(Memo1.size()));
  ++revision;
}

char TfrmSaveSMS::Memo1KeyPress(char key) const {
  const auto code = static_cast<unsigned char>(key);
  if (key == kEnter) key = 0;
  if (rgLanguage.itemIndex != 1 && code >= 192) key = 0;
  if (static_cast<int>(Memo1.size()) == limit()) key = kBackspace;
  return key;
}

void TfrmSaveSMS::TypeKey(char key) {
  key = Memo1KeyPress(key);
  if (key == 0) return;
  if (key == kBackspace) {
    if (Memo1.empty()) return;
    Memo1.pop_back();
  } else {
    Memo1.push_back(key);
  }
  Memo1Change();
}

void TfrmSaveSMS::SetMemoText(std::string text) {
  Memo1 = std::move(text);
  Memo1Change();
}

void TfrmSaveSMS::rgLanguageClick(int itemIndex) {
  rgLanguage.itemIndex = itemIndex;
  Label3Caption = CounterCaption(limit());
  Memo1.clear();
  Memo1Focused = true;
  ++revision;
}

std::string StoreCommand(const std::string& number, const std::string& text) {
  return StoreCommandHex(number, TextToUcs2Hex(text));
}

std::string StoreCommandHex(const std::string& number, const std::string& hexText) {
  return "AT+CMGW=\"" + number + "\"" + "\r" + hexText + '\x1a';
}

}  // namespace quorvex::sms
