#include "ui/list_view.h"

#include <QHeaderView>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>

#include "ui/images.h"
#include "ui/qt_text.h"

namespace quorvex::ui {
namespace {

Qt::Alignment AlignmentOf(ListColumn::Align a) {
  switch (a) {
    case ListColumn::Align::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case ListColumn::Align::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

QTableWidgetItem* Cell(const std::string& text, int image, Qt::Alignment align) {
  auto* item = new QTableWidgetItem(ToQ(text));
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  item->setTextAlignment(align);
  if (image != kNoImage) item->setIcon(TypeImage(image));
  return item;
}

// The column's width, widened where this font needs more room for its caption than the
// width was meant for; a hidden column stays hidden.
int ShownWidth(const ListColumn& col, const QHeaderView& header) {
  if (col.width <= 1) return col.width;
  const int caption =
      header.fontMetrics().horizontalAdvance(ToQ(col.caption)) + 16 + (col.sortMark ? 20 : 0);
  return std::max(col.width, caption);
}

// A header that draws a column's sort mark after its caption rather than before it, the
// caption itself left-aligned.
class SortMarkHeader : public QHeaderView {
 public:
  explicit SortMarkHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    const QVariant mark = model()->headerData(logicalIndex, orientation(), kSortMarkRole);
    if (!mark.isValid() || !rect.isValid()) return;
    const QString caption = model()->headerData(logicalIndex, orientation()).toString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const int extent = 16;
    QRect image(rect.left() + 2 * margin + fontMetrics().horizontalAdvance(caption),
                rect.top() + (rect.height() - extent) / 2, extent, extent);
    // In a column too narrow for both the mark stays visible over the caption's end.
    if (image.right() > rect.right() - margin) image.moveRight(rect.right() - margin);
    painter->save();
    painter->setClipRect(rect);
    TypeImage(mark.toInt()).paint(painter, image);
    painter->restore();
  }
};

}  // namespace

ListView::ListView(ListModel& model, QWidget* parent) : QTableWidget(parent), model_(model) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setWordWrap(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setHorizontalHeader(new SortMarkHeader(this));
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setStretchLastSection(false);
  setIconSize(QSize(16, 16));

  connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
    if (!syncing_) takeSelection();
  });
  connect(this, &QTableWidget::cellClicked, this, [this](int, int) {
    if (onClick) onClick();
  });
  connect(this, &QTableWidget::cellDoubleClicked, this, [this](int, int) {
    if (onDoubleClick) onDoubleClick();
  });
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (onColumnClick) onColumnClick(column);
  });
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (onContextMenu) onContextMenu(viewport()->mapToGlobal(pos));
  });
  sync();
}

void ListView::takeSelection() {
  for (std::size_t r = 0; r < model_.rows.size(); ++r) {
    const QTableWidgetItem* it = item(static_cast<int>(r), 0);
    model_.rows[r].selected = it != nullptr && it->isSelected();
  }
  model_.focused = currentRow() < static_cast<int>(model_.rows.size()) ? currentRow() : -1;
}

void ListView::fillRow(std::size_t r) {
  const ListRow& row = model_.rows[r];
  const int rr = static_cast<int>(r);
  for (int c = 0; c < columnCount(); ++c) {
    const auto align = AlignmentOf(model_.columns[static_cast<std::size_t>(c)].align);
    QTableWidgetItem* cell;
    if (c == 0) {
      cell = Cell(row.caption, row.image, align);
    } else if (static_cast<std::size_t>(c - 1) < row.subItems.size()) {
      const ListCell& sub = row.subItems[static_cast<std::size_t>(c - 1)];
      cell = Cell(sub.text, sub.image, align);
    } else {
      cell = Cell("", kNoImage, align);
    }
    if (row.bold) {
      QFont f = font();
      f.setBold(true);
      cell->setFont(f);
    }
    if (row.textColor != 0) cell->setForeground(QColor::fromRgb(row.textColor));
    setItem(rr, c, cell);
  }
}

void ListView::sync() {
  if (model_.revision == syncedRevision_ &&
      columnCount() == static_cast<int>(model_.columns.size()))
    return;
  // Rows appended to what the widget shows (a read that shows its rows chunk by chunk): only
  // the new ones are built, so a long read does not rebuild the list at every chunk.
  if (model_.appendedFrom <= syncedRevision_ && syncedRevision_ <= model_.appendedTo &&
      model_.appendedTo == model_.revision &&
      columnCount() == static_cast<int>(model_.columns.size()) &&
      static_cast<std::size_t>(rowCount()) <= model_.rows.size()) {
    syncing_ = true;
    const QSignalBlocker block(this);
    const int from = rowCount();
    setRowCount(static_cast<int>(model_.rows.size()));
    for (std::size_t r = static_cast<std::size_t>(from); r < model_.rows.size(); ++r) fillRow(r);
    syncedRevision_ = model_.revision;
    syncing_ = false;
    return;
  }
  ++rebuilds_;
  syncing_ = true;
  const QSignalBlocker block(this);
  setColumnCount(static_cast<int>(model_.columns.size()));
  for (std::size_t c = 0; c < model_.columns.size(); ++c) {
    const ListColumn& col = model_.columns[c];
    auto* header = new QTableWidgetItem(ToQ(col.caption));
    if (col.sortMark) {
      header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      if (col.image != kNoImage) header->setData(kSortMarkRole, col.image);
    } else {
      // Only the sort column shows an image; the others keep their caption and alignment.
      header->setTextAlignment(AlignmentOf(col.align));
    }
    setHorizontalHeaderItem(static_cast<int>(c), header);
    // A column one pixel wide is hidden on purpose and stays so.
    horizontalHeader()->setSectionResizeMode(
        static_cast<int>(c), col.width <= 1 ? QHeaderView::Fixed : QHeaderView::Interactive);
  }
  horizontalHeader()->setMinimumSectionSize(1);
  for (std::size_t c = 0; c < model_.columns.size(); ++c)
    setColumnWidth(static_cast<int>(c), ShownWidth(model_.columns[c], *horizontalHeader()));

  setRowCount(static_cast<int>(model_.rows.size()));
  for (std::size_t r = 0; r < model_.rows.size(); ++r) fillRow(r);
  clearSelection();
  for (std::size_t r = 0; r < model_.rows.size(); ++r)
    if (model_.rows[r].selected)
      selectionModel()->select(QAbstractItemView::model()->index(static_cast<int>(r), 0),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (model_.focused >= 0 && model_.focused < rowCount())
    setCurrentCell(model_.focused, 0, QItemSelectionModel::NoUpdate);
  syncedRevision_ = model_.revision;
  syncing_ = false;
}

}  // namespace quorvex::ui
