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

// The "Файл" menu opened over the phone book, and the preview of a vCard import of a file
// with something of every kind (new cards, one already on the handset, a repeat, a card
// without a number, a name too long and characters the handset cannot hold), against the
// handset the settings name. The import is cancelled: nothing is written.
void SaveFileMenuShots(TfrmMain& model, MainWindowView& window, QtUserInterface& ui,
                       PhoneBookView& phoneBook, const QString& dir);

}  // namespace quorvex::ui
