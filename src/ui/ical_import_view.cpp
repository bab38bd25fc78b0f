#include "ui/ical_import_view.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
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

ICalImportDialog::ICalImportDialog(datebook::TfrmImportICal& model, UserInterface& ui,
                                   QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QStringLiteral("TfrmImportICal"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setSizeGripEnabled(true);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("lblSummary"));
  summary_->setWordWrap(true);
  list_ = new ListView(rows_, this);
  list_->setObjectName(QStringLiteral("lvImport"));
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->horizontalHeader()->setStretchLastSection(true);
  withoutRepeat_ = new QCheckBox(this);
  withoutRepeat_->setObjectName(QStringLiteral("cbWithoutRepeat"));
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
  top->addWidget(withoutRepeat_);
  top->addLayout(buttons);
  // Room for some twenty rows; the width follows the texts (fitColumns).
  resize(kMinWidth, 460);

  connect(withoutRepeat_, &QCheckBox::clicked, this, [this](bool checked) {
    RunHandler(ui_, [this, checked] {
      model_.cbWithoutRepeat.checked = checked;
      model_.cbWithoutRepeatClick();
    });
    sync();
  });
  connect(btnWrite_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnWriteClick(); });
    afterEvent();
  });
  connect(btnCancel_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnCancelClick(); });
    afterEvent();
  });
}

void ICalImportDialog::sync() {
  setWindowTitle(ToQ(model_.Caption));
  summary_->setText(ToQ(model_.Plan.Summary()));
  withoutRepeat_->setText(ToQ(model_.cbWithoutRepeat.caption));
  withoutRepeat_->setChecked(model_.cbWithoutRepeat.checked);
  const int revision = rows_.revision;
  rows_ = model_.Plan.PreviewList();
  rows_.revision = revision + 1;
  // A plan built anew (the check box) is no list with rows appended: the view builds it anew.
  rows_.appendedFrom = rows_.appendedTo = -1;
  list_->sync();
  fitColumns();
  btnWrite_->setEnabled(model_.btnWrite.enabled);
  // Enter writes only when there is something to write; otherwise it cancels.
  (model_.btnWrite.enabled ? btnWrite_ : btnCancel_)->setFocus();
}

void ICalImportDialog::fitColumns() {
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

void ICalImportDialog::afterEvent() {
  if (model_.closed() && isVisible()) done(model_.Accepted ? QDialog::Accepted : QDialog::Rejected);
}

void ICalImportDialog::reject() {
  // Esc and the close box: the model's cancel, as its frame would close it.
  if (!model_.closed()) RunHandler(ui_, [this] { model_.closeByFrame(); });
  QDialog::reject();
}

void ICalImportDialog::run(QtUserInterface& qtUi) {
  sync();
  qtUi.runModal(*this);
}

ICalImportDialog* InstallICalImportDialog(datebook::TfrmImportICal& model, QtUserInterface& ui,
                                          QWidget* parent) {
  auto* dialog = new ICalImportDialog(model, ui, parent);
  QPointer<ICalImportDialog> guarded = dialog;
  ui.registerDialog("TfrmImportICal", [guarded, &ui](ModalDialog& d) {
    if (guarded)
      guarded->run(ui);
    else
      d.closeByFrame();
  });
  return dialog;
}

}  // namespace quorvex::ui
