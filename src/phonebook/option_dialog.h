// The options dialog `TfrmOption`: the choice of the phone book file format. Only the first
// format exists, so the choice is shown but disabled; the dialog stores nothing else.
#pragma once

#include <string>
#include <vector>

#include "core/controls.h"
#include "core/user_interface.h"

namespace quorvex::phonebook {

class TfrmOption : public ModalDialog {
 public:
  TfrmOption();

  std::string dialogName() const override { return "TfrmOption"; }
  void closeByFrame() override { SpeedButton2Click(); }

  std::string Caption;
  RadioGroup rgFileFormat;

  void Show(UserInterface& ui);
  // "Применить": says which format the save will write, then closes.
  void SpeedButton1Click(UserInterface& ui);
  // "Отмена".
  void SpeedButton2Click() { close(); }
};

}  // namespace quorvex::phonebook
