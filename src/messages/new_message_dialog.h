// The new message dialog TfrmSaveSMS as plain data: its controls' state, the fields its
// callers set and read, and its handlers. One instance lives for the whole run; its text,
// action and language stay as the user left them unless a caller resets them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/controls.h"
#include "core/user_interface.h"

namespace quorvex::sms {

struct ComboItem {
  std::string caption;
  int image = 0;
  int selectedImage = 0;
  int overlayImage = 0;
  int indent = -1;
};

struct TfrmSaveSMS {
  TfrmSaveSMS();

  // Fixed captions.
  std::string Caption;              // "Новое сообщение"
  std::string Label1Caption;        // "Получатель:"
  std::string Label2Caption;        // "Текст сообщения:"
  std::string SpeedButton1Caption;  // "Ok"
  std::string SpeedButton2Caption;  // "Отмена"
  static constexpr int cbAbonentsDropDownCount = 8;

  // Controls.
  std::vector<ComboItem> cbAbonentsItems;
  std::string cbAbonentsText;
  int cbAbonentsItemIndex = -1;
  std::string Memo1;
  bool Memo1Focused = false;
  std::string Label3Caption;   // "Осталось символов: N"
  quorvex::RadioGroup RadioGroup;  // "Действие"
  quorvex::RadioGroup rgLanguage;  // "Язык сообщения"

  // Fields.
  bool Confirmed = false;
  std::string MessageHex;
  std::string Recipient;
  std::string WriteCommand;
  std::vector<std::string> RecipientNames;
  std::vector<std::string> RecipientNumbers;
  std::vector<std::uint8_t> RecipientIcons;

  // Whether the dialog is shown; the handlers that close it clear it.
  bool visible = false;
  int revision = 0;  // bumped by every change a handler makes, for the view

  // 160 for "английский", 70 for "русский".
  int limit() const;

  void clearRecipients();  // cbAbonents' items and text

  // "Ok": validates (a box through ui when it refuses, the dialog stays open), builds the
  // store command and closes. Returns whether it closed.
  bool SpeedButton1Click(UserInterface& ui);
  // "Отмена": closes; Confirmed stays as the caller set it.
  void SpeedButton2Click();
  // The counter, after every change of the text.
  void Memo1Change();
  // The key filter: returns the key as it goes on to the memo, 0 for a refused key and 8
  // (backspace) for any key once the text holds the limit.
  char Memo1KeyPress(char key) const;
  // A typed key as the memo takes it: filtered, then appended, removing the last character
  // on a backspace; the counter follows.
  void TypeKey(char key);
  // Pasted text bypasses the filter.
  void SetMemoText(std::string text);
  void rgLanguageClick(int itemIndex);
};

// The store command for a number and a text: the number in quotes, CR, the UCS2 hex text
// and Ctrl-Z; the port adds the final CR when it sends it.
std::string StoreCommand(const std::string& number, const std::string& text);
// The same with the text already in UCS2 hex, as the handset sent it.
std::string StoreCommandHex(const std::string& number, const std::string& hexText);

}  // namespace quorvex::sms
