#include "ui/list_dialog.h"

#include <QDialog>
#include <QToolButton>
#include <QVBoxLayout>

namespace quorvex::ui {

QToolButton* TextButton(const char* name, int minWidth, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  b->setMinimumSize(minWidth, 28);
  return b;
}

QVBoxLayout* StackListDialog(QDialog& dialog, QWidget* summary, QWidget* list, QLayout* buttons) {
  auto* top = new QVBoxLayout(&dialog);
  top->setContentsMargins(8, 8, 8, 8);
  top->setSpacing(6);
  top->addWidget(summary);
  top->addWidget(list, 1);
  top->addLayout(buttons);
  return top;
}

}  // namespace quorvex::ui
