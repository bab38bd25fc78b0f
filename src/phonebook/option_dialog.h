// The options dialog `TfrmOption`: the choice of the phone book file format. Only the first
// format exists, so the choice is shown but disabled; the dialog stores nothing else.
#pragma once

#include <string>
#include <vector>

#include "core/user_interface.h"
#include "phonebook/controls.h"

namespace quorvex::phonebook {

struct RadioGroupControl : Widget {
  std::string caption;
  std::vector<std::string> items;
  int itemIndex = 0;
};

class TfrmOption : public ModalDialog {
 public:
  TfrmOption();

  std::string dialogName() const override { return "TfrmOption"; }
  void closeByFrame() override { SpeedButton2Click(); }

  std::string Caption;
  RadioGroupControl rgFileFormat;

  void Show(UserInterface& ui);
  // "Применить": says which format the save will write, then closes.
  void SpeedButton1Click(UserInterface& ui);
  // "Отмена".
  void SpeedButton2Click() { close(); }
};

}  // namespace quorvex::phonebook
