#include "core/list_sort.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace quorvex {

namespace {

unsigned char Folded(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

const std::string& Text(const ListRow& row, std::int32_t column) {
  static const std::string kNone;
  if (column <= 0) return row.caption;
  const auto sub = static_cast<std::size_t>(column - 1);
  return sub < row.subItems.size() ? row.subItems[sub].text : kNone;
}

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = static_cast<int>(Folded(a[i])) - static_cast<int>(Folded(b[i]));
    if (d != 0) return d;
  }
  // The difference of the lengths, held inside an int for texts too long to count in one.
  const auto d = static_cast<std::int64_t>(a.size()) - static_cast<std::int64_t>(b.size());
  return static_cast<int>(std::clamp<std::int64_t>(d, -0x7fffffff, 0x7fffffff));
}

int CompareRows(const ListRow& a, const ListRow& b, const ListSortState& state) {
  const int r = CompareText(Text(a, state.SortColumn), Text(b, state.SortColumn));
  return state.SortDescending ? -r : r;
}

void SortRows(ListModel& list, const ListSortState& state) {
  // Sort positions rather than rows: comparing moves no strings, and the focused row is
  // found again afterwards by where it went.
  std::vector<std::size_t> order(list.rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    return CompareRows(list.rows[x], list.rows[y], state) < 0;
  });
  std::vector<ListRow> sorted;
  sorted.reserve(order.size());
  int focused = -1;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (static_cast<int>(order[k]) == list.focused) focused = static_cast<int>(k);
    sorted.push_back(std::move(list.rows[order[k]]));
  }
  list.rows = std::move(sorted);
  list.focused = focused;
  ++list.revision;
}

void SetHeaderSortMark(ListModel& list, int column, bool isSortColumn, int image) {
  if (column < 0 || static_cast<std::size_t>(column) >= list.columns.size()) return;
  ListColumn& col = list.columns[static_cast<std::size_t>(column)];
  col.sortMark = isSortColumn;
  col.image = isSortColumn ? image : kNoImage;
  ++list.revision;
}

void ColumnClick(ListModel& list, int column, ListSortState& state) {
  state.SortDescending = !state.SortDescending;
  state.SortColumn = column;
  SortRows(list, state);
  const int image = state.SortDescending ? kSortDescendingImage : kSortAscendingImage;
  for (std::size_t i = 0; i < list.columns.size(); ++i)
    SetHeaderSortMark(list, static_cast<int>(i), static_cast<int>(i) == column, image);
}

}  // namespace quorvex
