#include "core/list_sort.h"

#include <gtest/gtest.h>

#include "codec/ru.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quorvex {
namespace {

struct TextCase {
  const char* a;
  const char* b;
  int expected;
};

TEST(CompareText, FoldsAsciiAndCyrillicLettersAndComparesOtherBytesUnsigned) {
  // The sort keys of the Cyrillic letters: above every byte, in alphabet order.
  const int kA = 0x100, kYe = kA + 5, kYo = kA + 6, kZhe = kA + 7, kYa = kA + 32;
  const TextCase cases[] = {
      {"", "", 0},
      {"Smith", "SMITH", 0},
      {"smith", "Smyth", 'I' - 'Y'},
      // Letters fold up, so '_' (after 'Z', before 'a') sorts after every letter.
      {"_", "a", '_' - 'A'},
      {"[", "Z", '[' - 'Z'},
      // Cyrillic is folded: capital А (C0) equals small а (E0), Я (DF) equals я (FF).
      {"\xC0", "\xE0", 0},
      {"\xDF", "\xFF", 0},
      {"\xC8\xE2\xE0\xED", "\xE8\xC2\xC0\xCD", 0},
      // Ё and ё between Е and Ж.
      {"\xA8", "\xB8", 0},
      {"\xC5", "\xA8", kYe - kYo},
      {"\xB8", "\xC6", kYo - kZhe},
      {"\xE5", "\xB8", kYe - kYo},
      // Bytes above 127 are greater than every ASCII byte, Cyrillic letters than every byte.
      {"\xC0", "z", kA - 'Z'},
      {"\xFF", "\x01", kYa - 0x01},
      {"\xB9", "z", 0xB9 - 'Z'},  // the number sign
      {"\xC0", "\xB9", kA - 0xB9},
      // One text the start of the other: the difference of the lengths.
      {"ab", "abcd", -2},
      {"ABC", "ab", 1},
      {"", "x", -1},
      {"\xC5\xE6", "\xE5", 1},
      // As text, numbers and dates compare by their characters.
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
  EXPECT_EQ(Column(list, 2), (std::vector<std::string>{"2", "9", "10"}));
  EXPECT_EQ(list.columns[2].image, kSortAscendingImage);
  EXPECT_TRUE(list.columns[2].sortMark);

  ColumnClick(list, 2, state);
  EXPECT_TRUE(state.SortDescending);
  EXPECT_EQ(Column(list, 2), (std::vector<std::string>{"10", "9", "2"}));
  EXPECT_EQ(list.columns[2].image, kSortDescendingImage);
}

std::vector<std::string> RuAll(const std::vector<const char*>& utf8) {
  std::vector<std::string> out;
  for (const char* t : utf8) out.push_back(Ru(t));
  return out;
}

struct SortCase {
  const char* what;
  std::vector<const char*> cells;      // UTF-8, in list order
  std::vector<const char*> ascending;  // the first click's order; equal cells keep theirs
  bool ties = false;                   // some cells compare equal
};

// One column of each kind, sorted by a first click (ascending) and a second (descending).
TEST(ColumnClick, SortsEachKindOfColumn) {
  const SortCase cases[] = {
      {"integers by value", {"10", "9", "1", "2", "100", "0"}, {"0", "1", "2", "9", "10", "100"}},
      {"empty cells before the numbers", {"5", "", "40", ""}, {"", "", "5", "40"}, true},
      {"signs and leading zeros",
       {"-3", "007", "-10", "0", "12", "-0", "6"},
       {"-10", "-3", "0", "-0", "6", "007", "12"},
       true},
      {"more digits than 64 bits hold",
       {"123456789012345678901234", "99999999999999999999", "5", "18446744073709551616"},
       {"5", "18446744073709551616", "99999999999999999999", "123456789012345678901234"}},
      {"one text makes the column text", {"10", "9", "a", "2"}, {"10", "2", "9", "a"}},
      {"a lone sign is text", {"10", "-", "9"}, {"-", "10", "9"}},
      {"a plus makes a number text",
       {"89161234567", "+79161234567", "1"},
       {"+79161234567", "1", "89161234567"}},
      {"Cyrillic in alphabet order, Ё after Е",
       {"Ёжиков", "Бабушка", "Евгений", "Жанна", "Абрамов", "ёлка", "Ельцин", "Эдуард"},
       {"Абрамов", "Бабушка", "Евгений", "Ельцин", "Ёжиков", "ёлка", "Жанна", "Эдуард"}},
      {"Cyrillic case folded",
       {"петров", "Иванов", "ПЕТРОВ", "иванов", "ЯКОВ", "юрий"},
       {"Иванов", "иванов", "петров", "ПЕТРОВ", "юрий", "ЯКОВ"},
       true},
      {"Latin, then other bytes, then Cyrillic",
       {"Яна", "Zoe", "№5", "anna", "Юля"},
       {"anna", "Zoe", "№5", "Юля", "Яна"}},
      {"ASCII as before",
       {"b", "_", "B", "a", "[", "1", "Ab", "a b"},
       {"1", "a", "a b", "Ab", "b", "B", "[", "_"},
       true},
  };
  for (const SortCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::vector<std::string>> rows;
    int n = 0;
    for (const std::string& cell : RuAll(c.cells)) rows.push_back({std::to_string(++n), cell});
    ListModel list = Messages(rows);
    ListSortState state;
    ColumnClick(list, 1, state);
    const std::vector<std::string> ascending = RuAll(c.ascending);
    EXPECT_EQ(Column(list, 1), ascending);

    ColumnClick(list, 1, state);
    ASSERT_TRUE(state.SortDescending);
    const std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
    // Equal cells keep their order in either direction, so only a column without equal
    // cells comes out in the exact reverse.
    if (!c.ties) {
      EXPECT_EQ(Column(list, 1), descending);
    }
  }
}

TEST(ColumnClick, TheRowNumberColumnSortsAsNumbers) {
  ListModel list = Messages({{"10", "x"}, {"2", "y"}, {"1", "z"}, {"101", "w"}});
  ListSortState state;
  ColumnClick(list, 0, state);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"1", "2", "10", "101"}));
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"z", "y", "x", "w"}));
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

TEST(ColumnClick, EqualTextsOfEitherCaseKeepTheirOrder) {
  ListModel list = Messages({{"1", "b"}, {"2", "ABC"}, {"3", "abc"}, {"4", "B"}});
  ListSortState state;
  ColumnClick(list, 1, state);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"2", "3", "1", "4"}));

  ListModel cyr = Messages({{"1", "\xE0"}, {"2", "\xC1"}, {"3", "\xC0"}, {"4", "\xE1"}});
  ListSortState fresh;
  ColumnClick(cyr, 1, fresh);
  EXPECT_EQ(Column(cyr, 0), (std::vector<std::string>{"1", "3", "2", "4"}));
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
