#include "ui/preview_view.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "codec/ru.h"
#include "ui/list_dialog.h"
#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

PreviewDialog::PreviewDialog(ModalDialog& model, UserInterface& ui, QWidget* parent,
                             const PreviewLayout& layout)
    : QDialog(parent), dialog_(model), ui_(ui), layout_(layout) {
  setObjectName(QString::fromStdString(model.dialogName()));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setSizeGripEnabled(true);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("lblSummary"));
  summary_->setWordWrap(true);
  list_ = new ListView(rows_, this);
  list_->setObjectName(QString::fromLatin1(layout.listName));
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->horizontalHeader()->setStretchLastSection(true);
  btnWrite_ = TextButton("btnWrite", 100, this);
  btnWrite_->setText(ToQ(Ru("Записать")));
  btnCancel_ = TextButton("btnCancel", 100, this);
  btnCancel_->setText(ToQ(Ru("Отмена")));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnWrite_);
  buttons->addWidget(btnCancel_);
  StackListDialog(*this, summary_, list_, buttons);
  resize(layout.width, layout.height);

  connect(list_, &QTableWidget::itemChanged, this,
          [this](QTableWidgetItem* item) { checked(item); });
  // The last column stretches with the dialog, so what it cuts is known only when a tip is
  // asked for.
  list_->viewport()->installEventFilter(this);
  connect(btnWrite_, &QToolButton::clicked, this, [this] {
    runModelHandler([this] { writeClick(); });
    afterEvent();
  });
  connect(btnCancel_, &QToolButton::clicked, this, [this] {
    runModelHandler([this] { cancelClick(); });
    afterEvent();
  });
}

bool PreviewDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip && watched == list_->viewport()) tipLongTexts();
  return QDialog::eventFilter(watched, event);
}

void PreviewDialog::addBelowList(QWidget* widget) {
  auto* top = static_cast<QVBoxLayout*>(layout());
  top->insertWidget(top->indexOf(list_) + 1, widget);
}

void PreviewDialog::runModelHandler(const std::function<void()>& handler) {
  RunHandler(ui_, handler);
}

void PreviewDialog::sync() {
  syncing_ = true;
  setWindowTitle(ToQ(caption()));
  syncMore();
  const int revision = rows_.revision;
  rows_ = previewRows();
  rows_.revision = revision + 1;
  // A plan built anew is no list with rows appended: the view builds it anew.
  rows_.appendedFrom = rows_.appendedTo = -1;
  list_->sync();
  {
    const QSignalBlocker block(list_);
    for (int r = 0; r < list_->rowCount(); ++r) {
      const std::optional<Tick> t = tick(static_cast<std::size_t>(r));
      QTableWidgetItem* first = list_->item(r, 0);
      if (!t || first == nullptr) continue;
      // A row that cannot be written keeps an empty, greyed box: the user sees it is not
      // forgotten but cannot go.
      first->setFlags(t->choosable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable
                                   : Qt::ItemFlags(Qt::NoItemFlags));
      first->setCheckState(t->chosen ? Qt::Checked : Qt::Unchecked);
    }
  }
  fitColumns();
  syncing_ = false;
  syncTexts(false);
  focusDefault();
}

void PreviewDialog::syncTexts(bool cells) {
  summary_->setText(ToQ(summaryText()));
  btnWrite_->setEnabled(writeEnabled());
  if (cells) {
    const ListModel now = previewRows();
    const QSignalBlocker block(list_);
    for (int r = 0; r < list_->rowCount() && static_cast<std::size_t>(r) < now.rows.size(); ++r) {
      const ListRow& row = now.rows[static_cast<std::size_t>(r)];
      for (int c = 0; c < list_->columnCount(); ++c) {
        QTableWidgetItem* item = list_->item(r, c);
        const QString text = ToQ(now.cellText(row, static_cast<std::size_t>(c)));
        if (item != nullptr && item->text() != text) item->setText(text);
      }
    }
  }
  tipLongTexts();
}

void PreviewDialog::focusDefault() {
  // Enter writes only when there is something to write; otherwise it cancels.
  (writeEnabled() ? btnWrite_ : btnCancel_)->setFocus();
}

void PreviewDialog::fitColumns() {
  if (!layout_.fitsTexts) {
    list_->resizeColumnsToContents();
    return;
  }
  // The columns take their texts' width; where the dialog cannot grow that far, the last
  // column breaks its lines instead.
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
  const int minWidth = layout_.width;
  const int width = std::clamp(wanted, minWidth, std::max(minWidth, room));
  if (wanted > width) {
    list_->setColumnWidth(last, std::max(layout_.minLastWidth, width - others - chrome));
    list_->setWordWrap(true);
    list_->resizeRowsToContents();
  }
  resize(width, height());
}

void PreviewDialog::tipLongTexts() {
  const int last = list_->columnCount() - 1;
  if (last < 0) return;
  const int margin =
      2 * (list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 1);
  const int room = list_->columnWidth(last) - margin;
  for (int r = 0; r < list_->rowCount(); ++r) {
    QTableWidgetItem* item = list_->item(r, last);
    if (item == nullptr) continue;
    const QString text = item->text();
    const bool whole = list_->fontMetrics().horizontalAdvance(text) <= room;
    const QString tip = whole ? QString() : text;
    if (item->toolTip() != tip) item->setToolTip(tip);
  }
}

void PreviewDialog::checked(QTableWidgetItem* item) {
  if (syncing_ || item == nullptr || item->column() != 0) return;
  const auto row = static_cast<std::size_t>(item->row());
  if (!tick(row)) return;
  const bool on = item->checkState() == Qt::Checked;
  runModelHandler([&] { rowChecked(row, on); });
  // The model may keep the row as it was (a greyed box, even ticked by the program).
  if (const std::optional<Tick> t = tick(row)) {
    const QSignalBlocker block(list_);
    item->setCheckState(t->chosen ? Qt::Checked : Qt::Unchecked);
  }
  syncTexts(true);
  focusDefault();
}

void PreviewDialog::afterEvent() {
  if (dialog_.closed() && isVisible()) done(accepted() ? QDialog::Accepted : QDialog::Rejected);
}

void PreviewDialog::reject() {
  // Esc and the close box: the model's cancel, as its frame would close it.
  if (!dialog_.closed()) runModelHandler([this] { dialog_.closeByFrame(); });
  QDialog::reject();
}

void PreviewDialog::run(QtUserInterface& qtUi) {
  sync();
  qtUi.runModal(*this);
}

}  // namespace quorvex::ui
