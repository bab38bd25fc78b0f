// The preview of a restore from a backup over its core model TfrmRestore: a row per entry of
// the backup and of the handset with its state and what the write will do, a check box per
// row (ticked as the model chose, greyed where the row cannot be written), the counts, and
// "Записать" / "Отмена". Nothing is written from here: the restore writes once the dialog
// has closed.
#pragma once

#include "backup/restore.h"
#include "ui/preview_view.h"

namespace quorvex::ui {

class RestoreDialog : public PreviewOf<backup::TfrmRestore> {
 public:
  RestoreDialog(backup::TfrmRestore& model, UserInterface& ui, QWidget* parent);

 protected:
  std::optional<Tick> tick(std::size_t row) const override;
  void rowChecked(std::size_t row, bool on) override;
  void syncMore() override;
};

// Registers the dialog as the view of "TfrmRestore" with the seam; the dialog belongs to
// parent.
RestoreDialog* InstallRestoreDialog(backup::TfrmRestore& model, QtUserInterface& ui,
                                    QWidget* parent);

}  // namespace quorvex::ui
