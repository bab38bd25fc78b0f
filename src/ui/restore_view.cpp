#include "ui/restore_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

namespace {

constexpr int kActionColumn = 5;

QToolButton* Button(const char* name, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  b->setMinimumSize(100, 28);
  return b;
}

}  // namespace

RestoreDialog::RestoreDialog(backup::TfrmRestore& model, UserInterface& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QStringLiteral("TfrmRestore"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setSizeGripEnabled(true);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("lblSummary"));
  summary_->setWordWrap(true);
  list_ = new ListView(rows_, this);
  list_->setObjectName(QStringLiteral("lvRestore"));
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->horizontalHeader()->setStretchLastSection(true);
  btnWrite_ = Button("btnWrite", this);
  btnCancel_ = Button("btnCancel", this);

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
  resize(900, 480);

  connect(list_, &QTableWidget::itemChanged, this,
          [this](QTableWidgetItem* item) { checked(item); });
  connect(btnWrite_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnWriteClick(); });
    afterEvent();
  });
  connect(btnCancel_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnCancelClick(); });
    afterEvent();
  });
}

void RestoreDialog::sync() {
  syncing_ = true;
  setWindowTitle(ToQ(model_.Caption));
  btnWrite_->setText(ToQ(model_.btnWrite.caption));
  btnCancel_->setText(ToQ(model_.btnCancel.caption));
  const int revision = rows_.revision;
  rows_ = model_.Plan.PreviewList();
  rows_.revision = revision + 1;
  list_->sync();
  {
    const QSignalBlocker block(list_);
    const auto& plan = model_.Plan.rows();
    for (int r = 0; r < list_->rowCount() && static_cast<std::size_t>(r) < plan.size(); ++r) {
      QTableWidgetItem* first = list_->item(r, 0);
      if (first == nullptr) continue;
      const backup::RestoreRow& row = plan[static_cast<std::size_t>(r)];
      // A row that cannot be written keeps an empty, greyed box: the user sees it is not
      // forgotten but cannot go.
      first->setFlags(row.choosable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable
                                    : Qt::ItemFlags(Qt::NoItemFlags));
      first->setCheckState(row.chosen ? Qt::Checked : Qt::Unchecked);
    }
  }
  list_->resizeColumnsToContents();
  syncing_ = false;
  syncChoices();
  // Enter writes only when there is something to write; otherwise it cancels.
  (model_.btnWrite.enabled ? btnWrite_ : btnCancel_)->setFocus();
}

void RestoreDialog::syncChoices() {
  summary_->setText(ToQ(model_.Plan.Summary()));
  btnWrite_->setEnabled(model_.btnWrite.enabled);
  const auto& plan = model_.Plan.rows();
  for (int r = 0; r < list_->rowCount() && static_cast<std::size_t>(r) < plan.size(); ++r) {
    if (QTableWidgetItem* action = list_->item(r, kActionColumn))
      action->setText(ToQ(backup::ActionText(plan[static_cast<std::size_t>(r)])));
  }
}

void RestoreDialog::checked(QTableWidgetItem* item) {
  if (syncing_ || item == nullptr || item->column() != 0) return;
  const int row = item->row();
  const bool on = item->checkState() == Qt::Checked;
  RunHandler(ui_, [&] { model_.rowChecked(static_cast<std::size_t>(row), on); });
  syncing_ = true;
  {
    const QSignalBlocker block(list_);
    const auto& plan = model_.Plan.rows();
    if (static_cast<std::size_t>(row) < plan.size())
      item->setCheckState(plan[static_cast<std::size_t>(row)].chosen ? Qt::Checked : Qt::Unchecked);
  }
  syncing_ = false;
  syncChoices();
  // Enter writes only when there is something to write; otherwise it cancels.
  (model_.btnWrite.enabled ? btnWrite_ : btnCancel_)->setFocus();
}

void RestoreDialog::afterEvent() {
  if (model_.closed() && isVisible()) done(model_.Accepted ? QDialog::Accepted : QDialog::Rejected);
}

void RestoreDialog::reject() {
  // Esc and the close box: the model's cancel, as its frame would close it.
  if (!model_.closed()) RunHandler(ui_, [this] { model_.closeByFrame(); });
  QDialog::reject();
}

void RestoreDialog::run(QtUserInterface& qtUi) {
  sync();
  qtUi.runModal(*this);
}

RestoreDialog* InstallRestoreDialog(backup::TfrmRestore& model, QtUserInterface& ui,
                                    QWidget* parent) {
  auto* dialog = new RestoreDialog(model, ui, parent);
  QPointer<RestoreDialog> guarded = dialog;
  ui.registerDialog("TfrmRestore", [guarded, &ui](ModalDialog& d) {
    if (guarded)
      guarded->run(ui);
    else
      d.closeByFrame();
  });
  return dialog;
}

}  // namespace quorvex::ui
