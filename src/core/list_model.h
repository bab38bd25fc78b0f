// A report-view list as plain data: the three lists of the window (phone book, date book,
// messages) are instances; the Qt view mirrors one and forwards clicks and selection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvex {

inline constexpr int kNoImage = -1;

struct ListColumn {
  std::string caption;
  int width = 50;
  enum class Align { Left, Center, Right } align = Align::Left;
  int image = kNoImage;  // header image (the sort mark), from the shared image list
  // The sort column: its header shows the caption left-aligned with the image to its right,
  // whatever the column's own alignment (which its cells keep).
  bool sortMark = false;
};

struct ListCell {
  std::string text;
  int image = kNoImage;
};

struct ListRow {
  std::string caption;
  int image = kNoImage;
  std::vector<ListCell> subItems;
  bool selected = false;
  // Drawing hints the view honours (bold unread messages, highlighted phone book entries).
  bool bold = false;
  std::uint32_t textColor = 0;  // 0 = the default colour, else 0xRRGGBB
};

struct ListModel {
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  int focused = -1;  // row with the focus, -1 none
  int revision = 0;  // bumped by every change, so a view knows when to refresh
  // The revisions between which every change only appended rows: a view that shows one of
  // them adds the rows it lacks instead of building the list anew. Any other change moves
  // revision past appendedTo, and the view builds the list anew again.
  int appendedFrom = -1, appendedTo = -1;

  void clear() {
    rows.clear();
    focused = -1;
    ++revision;
  }
  ListRow& add(std::string caption) {
    return addRow(ListRow{std::move(caption), kNoImage, {}, false, false, 0});
  }
  // A row filled in before the view is next synced (the rows of a read as they arrive).
  ListRow& addRow(ListRow row) {
    rows.push_back(std::move(row));
    noteAppended();
    return rows.back();
  }
  template <class It>
  void append(It first, It last) {
    rows.insert(rows.end(), first, last);
    noteAppended();
  }
  // The first selected row (the list's Selected), -1 when none.
  int selectedIndex() const {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].selected) return static_cast<int>(i);
    return -1;
  }
  int selectedCount() const {
    int n = 0;
    for (const auto& r : rows) n += r.selected ? 1 : 0;
    return n;
  }
  void selectOnly(int index) {
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].selected = static_cast<int>(i) == index;
    focused = index;
    ++revision;
  }
  // Text of column c of a row: 0 the caption, 1.. the sub-items; empty when absent.
  std::string cellText(const ListRow& row, std::size_t c) const {
    if (c == 0) return row.caption;
    return c - 1 < row.subItems.size() ? row.subItems[c - 1].text : std::string();
  }

 private:
  void noteAppended() {
    if (appendedTo != revision) appendedFrom = revision;
    appendedTo = ++revision;
  }
};

}  // namespace quorvex
