// The preview of a restore from a backup over its core model TfrmRestore: a row per entry of
// the backup and of the handset with its state and what the write will do, a check box per
// row (ticked as the model chose, greyed where the row cannot be written), the counts, and
// "Записать" / "Отмена". Nothing is written from here: the restore writes once the dialog
// has closed.
#pragma once

#include <QDialog>

#include "backup/restore.h"
#include "core/list_model.h"

class QLabel;
class QToolButton;
class QTableWidgetItem;

namespace quorvex::ui {

class ListView;
class QtUserInterface;

class RestoreDialog : public QDialog {
 public:
  RestoreDialog(backup::TfrmRestore& model, UserInterface& ui, QWidget* parent);

  // Mirrors the model, shows the dialog modally and returns when the model closed.
  void run(QtUserInterface& qtUi);
  void sync();

  ListView* list() const { return list_; }
  QLabel* summary() const { return summary_; }
  QToolButton* writeButton() const { return btnWrite_; }
  QToolButton* cancelButton() const { return btnCancel_; }

 protected:
  void reject() override;

 private:
  void afterEvent();
  void checked(QTableWidgetItem* item);
  // The texts a tick changes: the row's action, the counts, the write button.
  void syncChoices();

  backup::TfrmRestore& model_;
  UserInterface& ui_;
  ListModel rows_;
  QLabel* summary_;
  ListView* list_;
  QToolButton *btnWrite_, *btnCancel_;
  bool syncing_ = false;
};

// Registers the dialog as the view of "TfrmRestore" with the seam; the dialog belongs to
// parent.
RestoreDialog* InstallRestoreDialog(backup::TfrmRestore& model, QtUserInterface& ui,
                                    QWidget* parent);

}  // namespace quorvex::ui
