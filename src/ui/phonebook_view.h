// The phone book section's Qt side: the record dialog and the options dialog over their core
// models, and the wiring of the section into the window (its handlers, its dialogs and the
// progress the read shows while it pumps).
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <memory>

#include "app/phonebook_binding.h"
#include "ui/caller_icons.h"
#include "ui/vcard_import_view.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace quorvex::ui {

class KeyPreview;
class MainWindowView;
class QtUserInterface;

class AddRecordDialog : public QDialog {
 public:
  AddRecordDialog(phonebook::TfrmAddRecord& model, UserInterface& ui, QWidget* parent);

  // Mirrors the model, shows the dialog modally and returns when the model has closed.
  void run(QtUserInterface& qtUi);
  // Copies the model into the widgets.
  void sync();

  QComboBox* recordNum() const { return cbRecordNum_; }
  QLineEdit* phoneNumber() const { return edtPhoneNumber_; }
  QLineEdit* abonentName() const { return edtAbonentName_; }
  QComboBox* type() const { return cbType_; }
  QComboBox* ids() const { return cbIDs_; }
  QComboBox* group() const { return cbGroup_; }
  QComboBox* icon() const { return cbIcon_; }
  QToolButton* writeButton() const { return sbWrite_; }
  QToolButton* cancelButton() const { return sbCancel_; }

 protected:
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void afterEvent();
  // Every edit goes into the model as it happens; the buttons and keys run its handlers.
  void connectModel();
  void bindEditable(QComboBox* box, ComboBox& control);
  void bindEdit(QLineEdit* edit, Edit& control);
  void bindPick(QComboBox* box, ComboBox& control);

  phonebook::TfrmAddRecord& model_;
  UserInterface& ui_;
  QLabel *label8_, *label6_, *label7_;
  QComboBox *cbRecordNum_, *cbType_, *cbIDs_, *cbGroup_, *cbIcon_;
  QLineEdit *edtPhoneNumber_, *edtAbonentName_;
  QFrame* bevel1_;
  QToolButton *sbWrite_, *sbCancel_;
  KeyPreview* preview_;
  bool syncing_ = false;
};

class OptionDialog : public QDialog {
 public:
  OptionDialog(phonebook::TfrmOption& model, UserInterface& ui, QWidget* parent);
  void run(QtUserInterface& qtUi);
  void sync();

  QToolButton* applyButton() const { return sbApply_; }
  QToolButton* cancelButton() const { return sbCancel_; }

 protected:
  void reject() override;

 private:
  void afterEvent();

  phonebook::TfrmOption& model_;
  UserInterface& ui_;
  QGroupBox* rgFileFormat_;
  std::vector<QRadioButton*> items_;
  QToolButton *sbApply_, *sbCancel_;
};

// The phone book section as the window runs it.
class PhoneBookView {
 public:
  PhoneBookView(std::shared_ptr<PhoneBookBinding> binding, MainWindowView& window,
                QtUserInterface& ui);
  ~PhoneBookView();
  PhoneBookView(const PhoneBookView&) = delete;
  PhoneBookView& operator=(const PhoneBookView&) = delete;

  PhoneBookBinding& binding() { return *binding_; }
  phonebook::PhoneBookSection& section() { return binding_->section; }
  AddRecordDialog* addRecordDialog() const { return addRecord_; }
  OptionDialog* optionDialog() const { return option_; }
  VCardImportDialog* importDialog() const { return importVCard_; }

 private:
  std::shared_ptr<PhoneBookBinding> binding_;
  QPointer<AddRecordDialog> addRecord_;
  QPointer<OptionDialog> option_;
  QPointer<VCardImportDialog> importVCard_;
};

// Shows the bound phone book in the window and registers its dialogs; call it once the
// window's view exists. The result must be destroyed before the window.
std::unique_ptr<PhoneBookView> InstallPhoneBook(std::shared_ptr<PhoneBookBinding> binding,
                                                MainWindowView& window, QtUserInterface& ui);

}  // namespace quorvex::ui
