#include "ui/vcard_import_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "codec/ru.h"
#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

namespace {

QToolButton* Button(const char* name, const std::string& caption, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(ToQ(caption));
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  b->setMinimumSize(100, 28);
  return b;
}

}  // namespace

VCardImportDialog::VCardImportDialog(phonebook::TfrmImportVCard& model, UserInterface& ui,
                                     QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QStringLiteral("TfrmImportVCard"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setSizeGripEnabled(true);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("lblSummary"));
  summary_->setWordWrap(true);
  list_ = new ListView(rows_, this);
  list_->setObjectName(QStringLiteral("lvImport"));
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->horizontalHeader()->setStretchLastSection(true);
  btnWrite_ = Button("btnWrite", Ru("Записать"), this);
  btnCancel_ = Button("btnCancel", Ru("Отмена"), this);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnWrite_);
  buttons->addWidget(btnCancel_);
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(8, 8, 8, 8);
  top->setSpacing(6);
  top->addWidget(summary_);
  top->addWidget(list_, 1);
  top->addLayout(buttons);
  // Room for some twenty rows; the width follows the texts (fitColumns).
  resize(kMinWidth, 460);

  connect(btnWrite_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnWriteClick(); });
    afterEvent();
  });
  connect(btnCancel_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnCancelClick(); });
    afterEvent();
  });
}

void VCardImportDialog::sync() {
  setWindowTitle(ToQ(model_.Caption));
  summary_->setText(ToQ(model_.Plan.Summary()));
  const int revision = rows_.revision;
  rows_ = model_.Plan.PreviewList();
  rows_.revision = revision + 1;
  list_->sync();
  fitColumns();
  btnWrite_->setEnabled(model_.btnWrite.enabled);
  // Enter writes only when there is something to write; otherwise it cancels.
  (model_.btnWrite.enabled ? btnWrite_ : btnCancel_)->setFocus();
}

void VCardImportDialog::fitColumns() {
  // Every text of the preview is what will be written, or why not: none may be cut. The
  // columns take their texts' width; where the dialog cannot grow that far, the last column
  // ("Состояние") breaks its lines instead.
  list_->setWordWrap(false);
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  for (int r = 0; r < list_->rowCount(); ++r)
    list_->setRowHeight(r, list_->verticalHeader()->defaultSectionSize());
  list_->resizeColumnsToContents();
  const int last = list_->columnCount() - 1;
  if (last < 0) return;
  int others = 0;
  for (int c = 0; c < last; ++c) others += list_->columnWidth(c);
  const int chrome = list_->verticalScrollBar()->sizeHint().width() + 2 * list_->frameWidth() +
                     layout()->contentsMargins().left() + layout()->contentsMargins().right();
  const QScreen* screen = this->screen();
  const int room = (screen ? screen->availableGeometry().width() : 1280) - 40;
  const int wanted = others + list_->columnWidth(last) + chrome;
  const int width = std::clamp(wanted, kMinWidth, std::max(kMinWidth, room));
  if (wanted > width) {
    list_->setColumnWidth(last, std::max(kMinStateWidth, width - others - chrome));
    list_->setWordWrap(true);
    list_->resizeRowsToContents();
  }
  resize(width, height());
}

void VCardImportDialog::afterEvent() {
  if (model_.closed() && isVisible()) done(model_.Accepted ? QDialog::Accepted : QDialog::Rejected);
}

void VCardImportDialog::reject() {
  // Esc and the close box: the model's cancel, as its frame would close it.
  if (!model_.closed()) RunHandler(ui_, [this] { model_.closeByFrame(); });
  QDialog::reject();
}

void VCardImportDialog::run(QtUserInterface& qtUi) {
  sync();
  qtUi.runModal(*this);
}

VCardImportDialog* InstallVCardImportDialog(phonebook::TfrmImportVCard& model, QtUserInterface& ui,
                                            QWidget* parent) {
  return InstallDialogView<VCardImportDialog>(model, ui, parent);
}

}  // namespace quorvex::ui
