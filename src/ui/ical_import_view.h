// The preview of a calendar import over its core model: the rows of the plan (where each
// event goes, what is cut or converted, what is skipped and why), the counts, the check box
// that lets events whose repeat the handset cannot keep go in without it, and "Записать" /
// "Отмена". Nothing is written from here: the buttons only answer the model, and the date
// book section writes once the dialog has closed.
#pragma once

#include <QDialog>

#include "core/list_model.h"
#include "datebook/ical_import.h"

class QCheckBox;
class QLabel;
class QToolButton;

namespace quorvex::ui {

class ListView;
class QtUserInterface;

class ICalImportDialog : public QDialog {
 public:
  ICalImportDialog(datebook::TfrmImportICal& model, UserInterface& ui, QWidget* parent);

  // Mirrors the model's plan, shows the dialog modally and returns when the model closed.
  void run(QtUserInterface& qtUi);
  void sync();

  ListView* list() const { return list_; }
  QLabel* summary() const { return summary_; }
  QCheckBox* withoutRepeat() const { return withoutRepeat_; }
  QToolButton* writeButton() const { return btnWrite_; }
  QToolButton* cancelButton() const { return btnCancel_; }

 protected:
  void reject() override;

 private:
  static constexpr int kMinWidth = 720;
  static constexpr int kMinStateWidth = 240;

  void afterEvent();
  void fitColumns();

  datebook::TfrmImportICal& model_;
  UserInterface& ui_;
  ListModel rows_;
  QLabel* summary_;
  ListView* list_;
  QCheckBox* withoutRepeat_;
  QToolButton *btnWrite_, *btnCancel_;
};

// Registers the dialog as the view of "TfrmImportICal" with the seam; the dialog belongs to
// parent.
ICalImportDialog* InstallICalImportDialog(datebook::TfrmImportICal& model, QtUserInterface& ui,
                                          QWidget* parent);

}  // namespace quorvex::ui
