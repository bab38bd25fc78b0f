// The message section's Qt side: the new message dialog over its core model, and the hooks
// that put it and the section's running reads on the screen.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <vector>

#include "app/sms_binding.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace quorvex::ui {

class MainWindowView;
class QtUserInterface;

class SaveSmsDialog : public QDialog {
 public:
  SaveSmsDialog(QtUserInterface& ui, QWidget* parent);

  // Mirrors an opened dialog model and forwards what the user does to it until it closes.
  void attach(SaveSmsModal& modal);
  // Shows the attached dialog modally; returns when its model has closed.
  void run(SaveSmsModal& modal);
  // Copies the model's state into the widgets.
  void sync();

  QComboBox* cbAbonents() const { return cbAbonents_; }
  QPlainTextEdit* memo1() const { return memo1_; }
  QLabel* label3() const { return label3_; }
  QRadioButton* action(int i) const { return actions_.at(static_cast<std::size_t>(i)); }
  QRadioButton* language(int i) const { return languages_.at(static_cast<std::size_t>(i)); }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void okClicked();
  // A key typed into the memo; returns true when the filter dealt with it itself.
  bool filterKey(QKeyEvent& key);

  QtUserInterface& ui_;
  SaveSmsModal* modal_ = nullptr;
  QLabel *label1_, *label2_, *label3_;
  QComboBox* cbAbonents_;
  QPlainTextEdit* memo1_;
  QGroupBox *radioGroup_, *rgLanguage_;
  std::vector<QRadioButton*> actions_, languages_;
  QPushButton *ok_, *cancel_;
  bool syncing_ = false;
};

// Registers the new message dialog with the user interface. Destroy it before the window.
class SmsView {
 public:
  SmsView(MainWindowView& window, QtUserInterface& ui);
  ~SmsView();
  SmsView(const SmsView&) = delete;
  SmsView& operator=(const SmsView&) = delete;

  SaveSmsDialog* saveSmsDialog() const { return dialog_; }

 private:
  QtUserInterface& ui_;
  QPointer<SaveSmsDialog> dialog_;
};

}  // namespace quorvex::ui
