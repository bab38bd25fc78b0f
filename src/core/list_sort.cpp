#include "core/list_sort.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace quorvex {

namespace {

// Code page 1251: the capitals А..Я at C0..DF, the small letters at E0..FF, Ё at A8, ё at B8.
constexpr unsigned char kCapitalA = 0xC0, kSmallA = 0xE0, kCapitalYo = 0xA8, kSmallYo = 0xB8;
constexpr unsigned char kCapitalIe = 0xC5;  // Е, which Ё follows
constexpr int kCyrillicBase = 0x100;        // above every byte value

// The sort key of every byte: ASCII letters folded to capitals, other bytes as they are,
// Cyrillic letters folded to capitals and numbered in alphabet order above all bytes.
struct SortKeys {
  std::uint16_t key[256];
  constexpr SortKeys() : key() {
    for (int b = 0; b < 256; ++b) key[b] = static_cast<std::uint16_t>(b);
    for (int b = 'a'; b <= 'z'; ++b) key[b] = static_cast<std::uint16_t>(b - ('a' - 'A'));
    for (int i = 0; i < 32; ++i) {
      // The letters after Е move up one place to make room for Ё.
      const int rank = kCyrillicBase + i + (kCapitalA + i > kCapitalIe ? 1 : 0);
      key[kCapitalA + i] = static_cast<std::uint16_t>(rank);
      key[kSmallA + i] = static_cast<std::uint16_t>(rank);
    }
    const int yo = kCyrillicBase + (kCapitalIe - kCapitalA) + 1;
    key[kCapitalYo] = static_cast<std::uint16_t>(yo);
    key[kSmallYo] = static_cast<std::uint16_t>(yo);
  }
};
constexpr SortKeys kKeys;

int Key(char c) {
  return kKeys.key[static_cast<unsigned char>(c)];
}

const std::string& Text(const ListRow& row, std::int32_t column) {
  static const std::string kNone;
  if (column <= 0) return row.caption;
  const auto sub = static_cast<std::size_t>(column - 1);
  return sub < row.subItems.size() ? row.subItems[sub].text : kNone;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digits of an integer without its sign and leading zeros ("" for zero).
std::string_view Magnitude(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  while (!text.empty() && text.front() == '0') text.remove_prefix(1);
  return text;
}

int Sign(int v) {
  return (v > 0) - (v < 0);
}

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = Key(a[i]) - Key(b[i]);
    if (d != 0) return d;
  }
  // The difference of the lengths, held inside an int for texts too long to count in one.
  const auto d = static_cast<std::int64_t>(a.size()) - static_cast<std::int64_t>(b.size());
  return static_cast<int>(std::clamp<std::int64_t>(d, -0x7fffffff, 0x7fffffff));
}

bool IsInteger(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

int CompareNumbers(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty())
    return Sign(static_cast<int>(!a.empty()) - static_cast<int>(!b.empty()));
  const std::string_view ma = Magnitude(a), mb = Magnitude(b);
  // Zero has no sign, whether written "0" or "-0".
  const bool negA = a.front() == '-' && !ma.empty(), negB = b.front() == '-' && !mb.empty();
  if (negA != negB) return negA ? -1 : 1;
  int r = ma.size() != mb.size() ? (ma.size() < mb.size() ? -1 : 1) : Sign(ma.compare(mb));
  return negA ? -r : r;
}

bool IsNumericColumn(const ListModel& list, std::int32_t column) {
  bool any = false;
  for (const ListRow& row : list.rows) {
    const std::string& t = Text(row, column);
    if (t.empty()) continue;
    if (!IsInteger(t)) return false;
    any = true;
  }
  return any;
}

int CompareRows(const ListRow& a, const ListRow& b, const ListSortState& state, bool numeric) {
  const std::string& x = Text(a, state.SortColumn);
  const std::string& y = Text(b, state.SortColumn);
  const int r = numeric ? CompareNumbers(x, y) : CompareText(x, y);
  return state.SortDescending ? -r : r;
}

void SortRows(ListModel& list, const ListSortState& state) {
  // Sort positions rather than rows: comparing moves no strings, and the focused row is
  // found again afterwards by where it went.
  std::vector<std::size_t> order(list.rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const bool numeric = IsNumericColumn(list, state.SortColumn);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    return CompareRows(list.rows[x], list.rows[y], state, numeric) < 0;
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
