#include "phonebook/option_dialog.h"

#include "codec/ru.h"

namespace quorvex::phonebook {

TfrmOption::TfrmOption() {
  Caption = Ru("Настройки программы...");
  rgFileFormat.caption = Ru("Выбор формат файла для справочника");
  rgFileFormat.items = {Ru("как в MPT"), Ru("собственный (картинки для С450/С550)")};
  rgFileFormat.itemIndex = 0;
  rgFileFormat.enabled = false;
}

void TfrmOption::Show(UserInterface& ui) {
  open();
  ShowModal(ui, *this);
}

void TfrmOption::SpeedButton1Click(UserInterface& ui) {
  if (rgFileFormat.itemIndex == 0) {
    ui.messageBox(Ru("Сохраняться будет как в МПТ."), MsgKind::Message, MsgButtons::Ok);
  } else if (rgFileFormat.itemIndex == 1) {
    ui.messageBox(Ru("Сохраняться будет в собственном формате."), MsgKind::Message, MsgButtons::Ok);
  }
  close();
}

}  // namespace quorvex::phonebook
