// The date book on Qt: the event dialog over its core model, and the glue that puts the
// date book section into the window (the dialog registered with the seam, the section's
// state mirrored at every repaint while an operation runs).
#pragma once

#include <QDialog>
#include <QPointer>
#include <map>
#include <string>

#include "app/datebook_binding.h"
#include "datebook/event_dialog.h"
#include "ui/ical_import_view.h"
#include "ui/qt_user_interface.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

namespace quorvex::ui {

class MainWindowView;

// `TfrmAddEvent`: created once, hidden between uses. Every edit goes into the model at
// once, so a key handler of the model always sees what the controls show; Enter and Escape
// in the six input controls go to the model's key handlers, which move the focus, press
// "Создать" or "Отмена".
class EventDialogView : public QDialog {
 public:
  EventDialogView(UserInterface& ui, QWidget* parent);

  // Mirrors the model, shows the dialog and puts the focus where the model has it; the
  // model's handlers then close it. Returns at once: run() waits, the tests drive it.
  void begin(datebook::TfrmAddEvent& model);
  // begin(), then the modal loop until the model is closed.
  void run(datebook::TfrmAddEvent& model);

  // A control by its component name (edtEventTitle, dtpStartTime, ...); nullptr for none.
  QWidget* control(const std::string& name) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  using Control = datebook::TfrmAddEvent::Control;
  void sync();
  void afterEvent();
  // Every edit goes into the model as it happens; Enter and Escape go to its key handlers.
  void connectModel();
  void watch(QWidget* w, Control c);
  QWidget* widgetOf(Control c) const;

  UserInterface& ui_;
  datebook::TfrmAddEvent* model_ = nullptr;
  QLineEdit* title_;
  QTimeEdit* time_;
  QDateEdit* date_;
  QRadioButton* alarmOff_;
  QRadioButton* alarmOn_;
  QSpinBox* duration_;
  QSpinBox* lead_;
  QComboBox* repeat_;
  QPushButton* create_;
  QPushButton* cancel_;
  std::map<std::string, QWidget*> controls_;
  std::map<QObject*, Control> watched_;
  bool syncing_ = false;
};

// Puts the date book into the window for the whole run: registers the event dialog with
// the seam and gives the section the locale's decimal separator.
class DateBookView {
 public:
  DateBookView(MainWindowView& window, QtUserInterface& ui, DateBookBinding& binding);
  ~DateBookView();
  DateBookView(const DateBookView&) = delete;
  DateBookView& operator=(const DateBookView&) = delete;

  EventDialogView& eventDialog() { return *dialog_; }
  ICalImportDialog* importDialog() const { return importICal_; }

 private:
  QtUserInterface& ui_;
  EventDialogView* dialog_;  // owned by the window
  QPointer<ICalImportDialog> importICal_;
};

}  // namespace quorvex::ui
