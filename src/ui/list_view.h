// A report-view list that mirrors a ListModel: columns with widths and alignment, rows with
// caption, sub-items and images, grid lines, whole-row and multiple selection. What the user
// selects goes back into the model.
#pragma once

#include <QTableWidget>
#include <functional>

#include "core/list_model.h"

namespace quorvex::ui {

// The header item data that holds the sort mark's image index; the header draws that image
// to the right of the caption.
inline constexpr int kSortMarkRole = Qt::UserRole + 1;

class ListView : public QTableWidget {
 public:
  ListView(ListModel& model, QWidget* parent = nullptr);

  // Rebuilds rows and columns when the model changed since the last call; rows only appended
  // since then are added.
  void sync();
  ListModel& listModel() { return model_; }
  // How many times sync built the list anew rather than adding rows.
  int rebuilds() const { return rebuilds_; }

  std::function<void()> onClick;
  std::function<void()> onDoubleClick;
  std::function<void(int column)> onColumnClick;
  std::function<void(const QPoint& globalPos)> onContextMenu;

 private:
  void takeSelection();
  void fillRow(std::size_t r);

  ListModel& model_;
  int syncedRevision_ = -1;
  int rebuilds_ = 0;
  bool syncing_ = false;
};

}  // namespace quorvex::ui
