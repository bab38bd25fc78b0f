#include "core/list_sort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvex {
namespace {

struct TextCase {
  const char* a;
  const char* b;
  int expected;
};

TEST(CompareText, FoldsAsciiLettersOnlyAndComparesBytesUnsigned) {
  const TextCase cases[] = {
      {"", "", 0},
      {"Smith", "SMITH", 0},
      {"smith", "Smyth", 'I' - 'Y'},
      // Letters fold up, so '_' (after 'Z', before 'a') sorts after every letter.
      {"_", "a", '_' - 'A'},
      {"[", "Z", '[' - 'Z'},
      // Cyrillic is not folded: capital А (C0) before small а (E0).
      {"\xC0", "\xE0", 0xC0 - 0xE0},
      {"\xC8\xE2\xE0\xED", "\xC8\xE2\xE0\xED", 0},
      // Bytes above 127 are greater than every ASCII byte.
      {"\xC0", "z", 0xC0 - 'Z'},
      {"\xFF", "\x01", 0xFF - 0x01},
      // One text the start of the other: the difference of the lengths.
      {"ab", "abcd", -2},
      {"ABC", "ab", 1},
      {"", "x", -1},
      // Numbers and dates are texts.
      {"10", "9", '1' - '9'},
      {"+79161234567", "89161234567", '+' - '8'},
      {"01.02.2026", "31.01.2025", '0' - '3'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " | " + c.b);
    EXPECT_EQ(CompareText(c.a, c.b), c.expected);
    EXPECT_EQ(CompareText(c.b, c.a), -c.expected);
  }
}

TEST(CompareText, EmbeddedZeroByteIsCompared) {
  EXPECT_LT(CompareText(std::string("a\0b", 3), std::string("a\0c", 3)), 0);
}

ListModel Messages(const std::vector<std::vector<std::string>>& rows) {
  ListModel list;
  list.columns = {{"#", 1}, {"Number", 100}, {"Size", 40, ListColumn::Align::Right}};
  for (const auto& r : rows) {
    ListRow& row = list.add(r[0]);
    for (std::size_t i = 1; i < r.size(); ++i) row.subItems.push_back({r[i], kNoImage});
  }
  return list;
}

std::vector<std::string> Column(const ListModel& list, std::size_t c) {
  std::vector<std::string> out;
  for (const ListRow& row : list.rows) out.push_back(list.cellText(row, c));
  return out;
}

TEST(ColumnClick, FirstClickAscendingWithImage25SecondDescendingWith24) {
  ListModel list = Messages({{"1", "8", "9"}, {"2", "+7", "10"}, {"3", "7", "2"}});
  ListSortState state;
  ColumnClick(list, 2, state);
  EXPECT_FALSE(state.SortDescending);
  EXPECT_EQ(state.SortColumn, 2);
  EXPECT_EQ(Column(list, 2), (std::vector<std::string>{"10", "2", "9"}));
  EXPECT_EQ(list.columns[2].image, kSortAscendingImage);
  EXPECT_TRUE(list.columns[2].sortMark);

  ColumnClick(list, 2, state);
  EXPECT_TRUE(state.SortDescending);
  EXPECT_EQ(Column(list, 2), (std::vector<std::string>{"9", "2", "10"}));
  EXPECT_EQ(list.columns[2].image, kSortDescendingImage);
}

TEST(ColumnClick, PlusNumbersBeforeDigitNumbers) {
  ListModel list = Messages({{"1", "89161234567"}, {"2", "+79161234567"}, {"3", "1"}});
  ListSortState state;
  ColumnClick(list, 1, state);
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"+79161234567", "1", "89161234567"}));
}

TEST(ColumnClick, OtherColumnsLoseTheMarkAndKeepTheirAlignment) {
  ListModel list = Messages({{"1", "a", "1"}, {"2", "b", "2"}});
  ListSortState state;
  ColumnClick(list, 2, state);
  ColumnClick(list, 1, state);
  EXPECT_TRUE(state.SortDescending);
  for (std::size_t c : {0u, 2u}) {
    SCOPED_TRACE(c);
    EXPECT_FALSE(list.columns[c].sortMark);
    EXPECT_EQ(list.columns[c].image, kNoImage);
  }
  EXPECT_EQ(list.columns[2].align, ListColumn::Align::Right);
  EXPECT_TRUE(list.columns[1].sortMark);
  EXPECT_EQ(list.columns[1].image, kSortDescendingImage);
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"b", "a"}));
}

TEST(ColumnClick, DirectionIsSharedBetweenLists) {
  ListModel phoneBook = Messages({{"1", "a"}, {"2", "b"}});
  ListModel messages = Messages({{"1", "x"}, {"2", "y"}});
  ListModel events = Messages({{"1", "p"}, {"2", "q"}});
  ListSortState state;
  ColumnClick(phoneBook, 1, state);
  ColumnClick(messages, 1, state);
  EXPECT_EQ(Column(messages, 1), (std::vector<std::string>{"y", "x"}));
  EXPECT_EQ(messages.columns[1].image, kSortDescendingImage);
  // The first list's header stays as its own click left it.
  EXPECT_EQ(phoneBook.columns[1].image, kSortAscendingImage);
  ColumnClick(events, 0, state);
  EXPECT_EQ(Column(events, 1), (std::vector<std::string>{"p", "q"}));
  EXPECT_EQ(events.columns[0].image, kSortAscendingImage);
}

TEST(ColumnClick, LatinCaseIgnoredCyrillicCaseKept) {
  ListModel list = Messages({{"1", "b"}, {"2", "ABC"}, {"3", "abc"}, {"4", "B"}});
  ListSortState state;
  ColumnClick(list, 1, state);
  // Equal texts keep the order they had.
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"2", "3", "1", "4"}));

  ListModel cyr = Messages({{"1", "\xE0"}, {"2", "\xC1"}, {"3", "\xC0"}, {"4", "\xE1"}});
  ListSortState fresh;
  ColumnClick(cyr, 1, fresh);
  EXPECT_EQ(Column(cyr, 1), (std::vector<std::string>{"\xC0", "\xC1", "\xE0", "\xE1"}));
}

TEST(ColumnClick, SelectionAndFocusTravelWithTheirRows) {
  ListModel list = Messages({{"1", "c"}, {"2", "a"}, {"3", "b"}});
  list.rows[0].selected = true;
  list.rows[0].bold = true;
  list.focused = 0;
  ListSortState state;
  ColumnClick(list, 1, state);
  ASSERT_EQ(list.selectedIndex(), 2);
  EXPECT_EQ(list.selectedCount(), 1);
  EXPECT_EQ(list.focused, 2);
  EXPECT_EQ(list.rows[2].caption, "1");
  EXPECT_TRUE(list.rows[2].bold);
}

TEST(ColumnClick, RowsWithoutTheSubItemSortAsEmptyAndLaterRowsAreAppended) {
  ListModel list = Messages({{"1", "b", "5"}, {"2"}, {"3", "a", "4"}});
  const int before = list.revision;
  ListSortState state;
  ColumnClick(list, 2, state);
  EXPECT_GT(list.revision, before);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"2", "3", "1"}));
  list.add("0").subItems = {{"z", kNoImage}, {"0", kNoImage}};
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"2", "3", "1", "0"}));
}

TEST(ColumnClick, EmptyListStillMarksTheHeader) {
  ListModel list = Messages({});
  ListSortState state;
  ColumnClick(list, 0, state);
  EXPECT_EQ(list.focused, -1);
  EXPECT_EQ(list.columns[0].image, kSortAscendingImage);
}

}  // namespace
}  // namespace quorvex
