#include "ui/restore_view.h"

#include <QToolButton>

#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

RestoreDialog::RestoreDialog(backup::TfrmRestore& model, UserInterface& ui, QWidget* parent)
    : PreviewOf(model, ui, parent, {"lvRestore", 900, 480, false, 0}) {}

std::optional<PreviewDialog::Tick> RestoreDialog::tick(std::size_t row) const {
  const auto& plan = model_.Plan.rows();
  if (row >= plan.size()) return std::nullopt;
  return Tick{plan[row].choosable, plan[row].chosen};
}

void RestoreDialog::rowChecked(std::size_t row, bool on) {
  model_.rowChecked(row, on);
}

void RestoreDialog::syncMore() {
  writeButton()->setText(ToQ(model_.btnWrite.caption));
  cancelButton()->setText(ToQ(model_.btnCancel.caption));
}

RestoreDialog* InstallRestoreDialog(backup::TfrmRestore& model, QtUserInterface& ui,
                                    QWidget* parent) {
  return InstallDialogView<RestoreDialog>(model, ui, parent);
}

}  // namespace quorvex::ui
