// The preview of a vCard import over its core model: the rows of the plan (where each
// number goes, what is cut, what is skipped and why), the counts, and "Записать" /
// "Отмена". Nothing is written from here: the buttons only answer the model, and the
// phone book section writes once the dialog has closed.
#pragma once

#include <QDialog>

#include "core/list_model.h"
#include "phonebook/vcard_import.h"

class QLabel;
class QToolButton;

namespace quorvex::ui {

class ListView;
class QtUserInterface;

class VCardImportDialog : public QDialog {
 public:
  VCardImportDialog(phonebook::TfrmImportVCard& model, UserInterface& ui, QWidget* parent);

  // Mirrors the model's plan, shows the dialog modally and returns when the model closed.
  void run(QtUserInterface& qtUi);
  void sync();

  ListView* list() const { return list_; }
  QLabel* summary() const { return summary_; }
  QToolButton* writeButton() const { return btnWrite_; }
  QToolButton* cancelButton() const { return btnCancel_; }

 protected:
  void reject() override;

 private:
  static constexpr int kMinWidth = 640;
  static constexpr int kMinStateWidth = 200;

  void afterEvent();
  void fitColumns();

  phonebook::TfrmImportVCard& model_;
  UserInterface& ui_;
  ListModel rows_;
  QLabel* summary_;
  ListView* list_;
  QToolButton *btnWrite_, *btnCancel_;
};

// Registers the dialog as the view of "TfrmImportVCard" with the seam; the dialog belongs to
// parent.
VCardImportDialog* InstallVCardImportDialog(phonebook::TfrmImportVCard& model, QtUserInterface& ui,
                                            QWidget* parent);

}  // namespace quorvex::ui
