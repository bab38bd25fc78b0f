// The bin dialog ("Корзина") over its core model TfrmBin: the records newest first with
// multiple selection, "Восстановить", the two message exports and "Закрыть".
#pragma once

#include <QDialog>

#include "app/bin_dialog.h"

class QLabel;
class QToolButton;

namespace quorvex::ui {

class ListView;
class QtUserInterface;

class BinDialog : public QDialog {
 public:
  BinDialog(TfrmBin& model, UserInterface& ui, QWidget* parent);

  // Mirrors the model, shows the dialog modally and returns when the model closed.
  void run(QtUserInterface& qtUi);
  void sync();

  ListView* list() const { return list_; }

 protected:
  void reject() override;

 private:
  void afterEvent();

  TfrmBin& model_;
  UserInterface& ui_;
  QLabel* summary_;
  ListView* list_;
  QToolButton *btnRestore_, *btnExportCsv_, *btnExportMbox_, *btnClose_;
};

// Registers the dialog as the view of "TfrmBin" with the seam; the dialog belongs to parent.
BinDialog* InstallBinDialog(TfrmBin& model, QtUserInterface& ui, QWidget* parent);

}  // namespace quorvex::ui
