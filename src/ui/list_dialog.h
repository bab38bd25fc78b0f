// The parts the dialogs of a list share (the previews, the bin): its text buttons, and the
// stack of a summary above the list, which takes the height, and the buttons' row below.
#pragma once

class QDialog;
class QLayout;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace quorvex::ui {

QToolButton* TextButton(const char* name, int minWidth, QWidget* parent);
QVBoxLayout* StackListDialog(QDialog& dialog, QWidget* summary, QWidget* list, QLayout* buttons);

}  // namespace quorvex::ui
