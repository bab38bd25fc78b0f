// The preview of a calendar import over its core model: the rows of the plan (where each
// event goes, what is cut or converted, what is skipped and why), the counts, the check box
// that lets events whose repeat the handset cannot keep go in without it, and "Записать" /
// "Отмена". Nothing is written from here: the buttons only answer the model, and the date
// book section writes once the dialog has closed.
#pragma once

#include "datebook/ical_import.h"
#include "ui/preview_view.h"

class QCheckBox;

namespace quorvex::ui {

class ICalImportDialog : public PreviewOf<datebook::TfrmImportICal> {
 public:
  ICalImportDialog(datebook::TfrmImportICal& model, UserInterface& ui, QWidget* parent);

  QCheckBox* withoutRepeat() const { return withoutRepeat_; }

 protected:
  void syncMore() override;

 private:
  QCheckBox* withoutRepeat_;
};

// Registers the dialog as the view of "TfrmImportICal" with the seam; the dialog belongs to
// parent.
ICalImportDialog* InstallICalImportDialog(datebook::TfrmImportICal& model, QtUserInterface& ui,
                                          QWidget* parent);

}  // namespace quorvex::ui
