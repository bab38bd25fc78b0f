#include "ui/vcard_import_view.h"

#include "ui/qt_user_interface.h"

namespace quorvex::ui {

// Room for some twenty rows; every text of the preview is what will be written, or why
// not, so the width follows the texts.
VCardImportDialog::VCardImportDialog(phonebook::TfrmImportVCard& model, UserInterface& ui,
                                     QWidget* parent)
    : PreviewOf(model, ui, parent, {"lvImport", 640, 460, true, 200}) {}

VCardImportDialog* InstallVCardImportDialog(phonebook::TfrmImportVCard& model, QtUserInterface& ui,
                                            QWidget* parent) {
  return InstallDialogView<VCardImportDialog>(model, ui, parent);
}

}  // namespace quorvex::ui
