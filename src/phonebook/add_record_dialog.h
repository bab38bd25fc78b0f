// The record dialog `TfrmAddRecord` as a model: its controls, its show step, the checks and
// the command "Записать" builds, "Отмена", the key filter of the alert box and the dialog's
// Enter/Esc. It is created once and reused, so its controls keep their contents between
// uses; each caller prepares them before showing it. It sends nothing itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/controls.h"
#include "core/user_interface.h"

namespace quorvex::phonebook {

inline constexpr char kKeyBackspace = 8;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;

class TfrmAddRecord : public ModalDialog {
 public:
  TfrmAddRecord();

  std::string dialogName() const override { return "TfrmAddRecord"; }
  void closeByFrame() override { SpeedButton2Click(); }

  // ---- Controls, top to bottom.
  std::string Caption;
  Label Label8;
  ComboBox cbRecordNum;
  Edit edtPhoneNumber;
  Edit edtAbonentName;
  ComboBox cbType;
  ComboBox cbIDs;
  Label Label6;  // "Категория:"
  ComboBox cbGroup;
  Label Label7;  // "Иконка:"
  ComboBox cbIcon;
  Widget Bevel1;

  // ---- Fields the callers set and read.
  std::string PhoneModel;
  std::string RecordCommand;
  // The main window's flag, set only by the two buttons.
  bool DialogAccepted = false;
  // The table the index must lie in: 1..RecordCount, and not at an index whose entry another
  // row holds (Taken[i - 1]). Set by the caller before showing.
  int RecordCount = 0;
  std::vector<bool> Taken;
  // The entry's own type code, written while no item of cbType is selected: a row whose type
  // has no item (an entry of the SIM type shows "SIM") keeps its type through an edit. -1:
  // none. Set by the caller before showing.
  int KeptType = -1;
  // The handset's own hex of the name an edit starts from: while the name box holds what it
  // decodes to, the command carries it as it is, so a name with letters code page 1251
  // cannot hold survives an edit of its other fields. Empty for an add. Set by the caller.
  std::string KeptNameHex;

  // Opens the dialog, runs FormShow, then `shown` (what a caller sets over FormShow's
  // defaults), and shows it modally through the seam. Returns when it has closed; closing by
  // the frame counts as "Отмена".
  void Show(UserInterface& ui, const std::function<void()>& shown = {});

  void FormShow();
  // "Записать": on a missing field or an index outside the table an error box, and the
  // dialog stays open. A typed index or alert that is no number raises EConvertError (the
  // window's error box), the dialog stays open too.
  void SpeedButton1Click(UserInterface& ui);
  // "Отмена".
  void SpeedButton2Click();
  // The type code the command carries: the selected item's, or KeptType with none selected.
  std::uint8_t typeCode() const;
  // The alert code the alert box names: 0 silent, 255 default, else the typed number (raises
  // EConvertError on a text that is none).
  std::int32_t alertCode() const;
  // The alert box takes only digits and backspace; any other key becomes 0 (discarded).
  void cbIDsKeyPress(char& key);
  void FormKeyDown(int key, UserInterface& ui);

  // Typing as the user types: key by key through the box's key filter and length limit.
  // The typed text is no longer one of the items.
  void typeRecordNum(std::string_view keys);
  void typeIDs(std::string_view keys);
  void typePhoneNumber(std::string_view keys);
  void typeAbonentName(std::string_view keys);
};

}  // namespace quorvex::phonebook
