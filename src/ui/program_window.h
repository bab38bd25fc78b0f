// The program's window put together in one place: the main window's model and view, and the
// three sections bound to it with their dialogs registered. The program, the screenshot
// program, the window benchmark and the widget tests all build it here.
#pragma once

#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/section_bindings.h"
#include "serial/port_settings.h"
#include "ui/datebook_view.h"
#include "ui/main_window_view.h"
#include "ui/phonebook_view.h"
#include "ui/qt_user_interface.h"
#include "ui/sms_view.h"

namespace quorvex::ui {

// The three sections bound to a window's model, with their views: their dialogs registered
// with the window's view. Destroy it before the view.
struct ProgramSections {
  ProgramSections(TfrmMain& model, MainWindowView& view, QtUserInterface& ui)
      : bound(model),
        phoneBook(InstallPhoneBook(bound.phoneBook, view, ui)),
        messagesView(view, ui),
        dateBookView(view, ui, bound.dateBook) {}
  ProgramSections(const ProgramSections&) = delete;
  ProgramSections& operator=(const ProgramSections&) = delete;

  SectionBindings bound;
  std::unique_ptr<PhoneBookView> phoneBook;
  SmsView messagesView;
  DateBookView dateBookView;
};

struct ProgramWindow {
  explicit ProgramWindow(QtUserInterface& ui, std::string settingsPath = kPortSettingsFile)
      : model(ui, std::move(settingsPath)), view(model, ui), sections(model, view, ui) {}
  ProgramWindow(const ProgramWindow&) = delete;
  ProgramWindow& operator=(const ProgramWindow&) = delete;

  // Declared in the order of building; the sections go before the view, the view before
  // the model.
  TfrmMain model;
  MainWindowView view;
  ProgramSections sections;
};

}  // namespace quorvex::ui
