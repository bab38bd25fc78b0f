#include "ui/ical_import_view.h"

#include <QCheckBox>

#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

// Room for some twenty rows; the width follows the texts, and the notes of the last column
// need more room than the vCard preview's.
ICalImportDialog::ICalImportDialog(datebook::TfrmImportICal& model, UserInterface& ui,
                                   QWidget* parent)
    : PreviewOf(model, ui, parent, {"lvImport", 720, 460, true, 240}) {
  withoutRepeat_ = new QCheckBox(this);
  withoutRepeat_->setObjectName(QStringLiteral("cbWithoutRepeat"));
  addBelowList(withoutRepeat_);
  connect(withoutRepeat_, &QCheckBox::clicked, this, [this](bool checked) {
    runModelHandler([this, checked] {
      model_.cbWithoutRepeat.checked = checked;
      model_.cbWithoutRepeatClick();
    });
    sync();
  });
}

void ICalImportDialog::syncMore() {
  withoutRepeat_->setText(ToQ(model_.cbWithoutRepeat.caption));
  withoutRepeat_->setChecked(model_.cbWithoutRepeat.checked);
}

ICalImportDialog* InstallICalImportDialog(datebook::TfrmImportICal& model, QtUserInterface& ui,
                                          QWidget* parent) {
  return InstallDialogView<ICalImportDialog>(model, ui, parent);
}

}  // namespace quorvex::ui
