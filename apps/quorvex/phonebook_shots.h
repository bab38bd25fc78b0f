// The phone book's pictures for quorvex-screenshots: the section after a read of a handset
// of each family with groups and without, and the record dialog as each family shows it.
#pragma once

#include <QString>

#include "app/main_window.h"
#include "ui/main_window_view.h"
#include "ui/phonebook_view.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

void SavePhoneBookShots(TfrmMain& model, MainWindowView& window, QtUserInterface& ui,
                        PhoneBookView& phoneBook, const QString& dir);

}  // namespace quorvex::ui
