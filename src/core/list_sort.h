// Sorting the three report lists by a clicked column, and the header's sort mark. One sort
// direction and one sort column serve all three lists, so a click on one list decides the
// direction the next click on any list will use.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/list_model.h"

namespace quorvex {

// The header images of the shared image list that mark the sort column.
inline constexpr int kSortDescendingImage = 24;
inline constexpr int kSortAscendingImage = 25;

struct ListSortState {
  bool SortDescending = true;   // the direction of the next sort is its negation
  std::int32_t SortColumn = 0;  // 0 the caption, n the sub-item n - 1
};

// Case-insensitive for the ASCII letters and the Cyrillic letters of code page 1251. ASCII
// bytes keep their order; every byte above 127 comes after them, and the Cyrillic letters
// come after every other byte in alphabet order, Ё (and ё) right after Е. Negative, zero or
// positive: the difference of the sort keys of the first differing bytes (for ASCII the
// difference of the bytes, letters folded to capitals), or of the lengths when one text is
// the start of the other.
int CompareText(std::string_view a, std::string_view b);

// Whether a cell holds an integer: digits, after an optional minus sign.
bool IsInteger(std::string_view text);

// Two cells of a column whose cells are all integers or empty: by value, empty first.
// Negative, zero or positive. Any number of digits compares right.
int CompareNumbers(std::string_view a, std::string_view b);

// Whether a column compares as numbers: it holds at least one integer and nothing but
// integers and empty cells. Any other column compares as text.
bool IsNumericColumn(const ListModel& list, std::int32_t column);

// The lists' compare: the texts of column SortColumn, as numbers when `numeric`, as text
// otherwise, negated for a descending sort.
int CompareRows(const ListRow& a, const ListRow& b, const ListSortState& state, bool numeric);

// Sorts every row of the list with CompareRows, numerically when the sort column is numeric
// (IsNumericColumn); equal rows keep their order. Selection and
// focus travel with their rows.
void SortRows(ListModel& list, const ListSortState& state);

// One column's header: the sort column shows its caption with `image` to its right, any
// other column shows its caption alone in its own alignment.
void SetHeaderSortMark(ListModel& list, int column, bool isSortColumn, int image);

// A click on the header of `column`: flips the shared direction, sorts the list by that
// column and marks it in the list's header.
void ColumnClick(ListModel& list, int column, ListSortState& state);

}  // namespace quorvex
