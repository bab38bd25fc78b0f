// The preview of a vCard import over its core model: the rows of the plan (where each
// number goes, what is cut, what is skipped and why), the counts, and "Записать" /
// "Отмена". Nothing is written from here: the buttons only answer the model, and the
// phone book section writes once the dialog has closed.
#pragma once

#include "phonebook/vcard_import.h"
#include "ui/preview_view.h"

namespace quorvex::ui {

class VCardImportDialog : public PreviewOf<phonebook::TfrmImportVCard> {
 public:
  VCardImportDialog(phonebook::TfrmImportVCard& model, UserInterface& ui, QWidget* parent);
};

// Registers the dialog as the view of "TfrmImportVCard" with the seam; the dialog belongs to
// parent.
VCardImportDialog* InstallVCardImportDialog(phonebook::TfrmImportVCard& model, QtUserInterface& ui,
                                            QWidget* parent);

}  // namespace quorvex::ui
