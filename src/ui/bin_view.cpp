#include "ui/bin_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

namespace {

QToolButton* Button(const char* name, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  b->setMinimumSize(110, 28);
  return b;
}

}  // namespace

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
  btnRestore_ = Button("btnRestore", this);
  btnExportCsv_ = Button("btnExportCsv", this);
  btnExportMbox_ = Button("btnExportMbox", this);
  btnClose_ = Button("btnClose", this);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnRestore_);
  buttons->addWidget(btnExportCsv_);
  buttons->addWidget(btnExportMbox_);
  buttons->addStretch(1);
  buttons->addWidget(btnClose_);
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(8, 8, 8, 8);
  top->setSpacing(6);
  top->addWidget(summary_);
  top->addWidget(list_, 1);
  top->addLayout(buttons);
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
