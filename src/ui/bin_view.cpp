#include "ui/bin_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QToolButton>

#include "ui/list_dialog.h"
#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

BinDialog::BinDialog(TfrmBin& model, UserInterface& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QStringLiteral("TfrmBin"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setSizeGripEnabled(true);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("lblSummary"));
  list_ = new ListView(model_.lvBin, this);
  list_->setObjectName(QStringLiteral("lvBin"));
  list_->horizontalHeader()->setStretchLastSection(true);
  btnRestore_ = TextButton("btnRestore", 110, this);
  btnExportCsv_ = TextButton("btnExportCsv", 110, this);
  btnExportMbox_ = TextButton("btnExportMbox", 110, this);
  btnClose_ = TextButton("btnClose", 110, this);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnRestore_);
  buttons->addWidget(btnExportCsv_);
  buttons->addWidget(btnExportMbox_);
  buttons->addStretch(1);
  buttons->addWidget(btnClose_);
  StackListDialog(*this, summary_, list_, buttons);
  resize(820, 420);

  list_->onClick = [this] {
    model_.lvBinSelectItem();
    sync();
  };
  connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
    model_.lvBinSelectItem();
    btnRestore_->setEnabled(model_.btnRestore.enabled);
    btnExportCsv_->setEnabled(model_.btnExportCsv.enabled);
    btnExportMbox_->setEnabled(model_.btnExportMbox.enabled);
  });
  connect(btnRestore_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnRestoreClick(ui_); });
    afterEvent();
  });
  connect(btnExportCsv_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnExportClick(ui_, sms::MessageFormat::Csv); });
    afterEvent();
  });
  connect(btnExportMbox_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.btnExportClick(ui_, sms::MessageFormat::Mbox); });
    afterEvent();
  });
  connect(btnClose_, &QToolButton::clicked, this, [this] {
    model_.btnCloseClick();
    afterEvent();
  });
}

void BinDialog::sync() {
  setWindowTitle(ToQ(model_.Caption));
  summary_->setText(ToQ(model_.lblSummary.caption));
  list_->sync();
  for (auto [button, state] : {std::pair{btnRestore_, &model_.btnRestore},
                               {btnExportCsv_, &model_.btnExportCsv},
                               {btnExportMbox_, &model_.btnExportMbox},
                               {btnClose_, &model_.btnClose}}) {
    button->setText(ToQ(state->caption));
    button->setEnabled(state->enabled);
  }
}

void BinDialog::afterEvent() {
  if (model_.closed() && isVisible()) {
    done(QDialog::Accepted);
    return;
  }
  sync();
}

void BinDialog::reject() {
  if (!model_.closed()) model_.closeByFrame();
  QDialog::reject();
}

void BinDialog::run(QtUserInterface& qtUi) {
  sync();
  qtUi.runModal(*this);
}

BinDialog* InstallBinDialog(TfrmBin& model, QtUserInterface& ui, QWidget* parent) {
  return InstallDialogView<BinDialog>(model, ui, parent);
}

}  // namespace quorvex::ui
