// Header clicks on the three lists of the window: the section's rows sorted and shown, the
// sort column's mark after its caption, and the handlers afterwards acting on the row the
// user sees.
#include <QHeaderView>
#include <QImage>
#include <algorithm>

#include "codec/ru.h"
#include "ui/list_view.h"
#include "window_fixture.h"

namespace quorvex::ui {
namespace {

ListRow Row(std::vector<std::string> texts) {
  ListRow row;
  row.caption = texts.front();
  for (std::size_t i = 1; i < texts.size(); ++i) row.subItems.push_back({texts[i], kNoImage});
  return row;
}

class ListSortWindowTest : public testing::WholeWindowTest {
 protected:
  // Rows of all three lists straight into the sections, shown as an operation would.
  void fill() {
    auto& book = phoneBook_->section().ListView1.rows;
    book = {Row({"1", "Petrov", "89161234567"}), Row({"2", "ivanov", "+79160000000"}),
            Row({"10", "Sidorov", "123"})};
    model_->dateBook.lvEvent.rows = {Row({"0", "b"}), Row({"4", "A"}), Row({"9", "c"})};
    model_->messages.lvSMS.rows = {Row({"1", "8916", "", "", "9"}),
                                   Row({"2", "+7916", "", "", "10"}),
                                   Row({"3", "8903", "", "", "2"})};
    ++phoneBook_->section().ListView1.revision;
    ++model_->dateBook.lvEvent.revision;
    ++model_->messages.lvSMS.revision;
    view_->sync();
  }
  void clickHeader(const char* list, int column) {
    QHeaderView* h = view_->list(list)->horizontalHeader();
    const int x = h->sectionViewportPosition(column) + h->sectionSize(column) / 2;
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
  }
  std::vector<std::string> shown(const char* list, int column) {
    ListView* l = view_->list(list);
    std::vector<std::string> out;
    for (int r = 0; r < l->rowCount(); ++r) out.push_back(l->item(r, column)->text().toStdString());
    return out;
  }
  // The image in the header of each column; -1 for none.
  std::vector<int> marks(const char* list) {
    ListView* l = view_->list(list);
    std::vector<int> out;
    for (int c = 0; c < l->columnCount(); ++c) {
      const QVariant v = l->horizontalHeaderItem(c)->data(kSortMarkRole);
      out.push_back(v.isValid() ? v.toInt() : -1);
    }
    return out;
  }
  Qt::Alignment headerAlign(const char* list, int column) {
    const int a = view_->list(list)->horizontalHeaderItem(column)->textAlignment();
    return Qt::Alignment(a) & Qt::AlignHorizontal_Mask;
  }
};

struct ListCase {
  const char* list;
  int column;
  std::vector<std::string> ascending;  // the clicked column's texts after the first click
};

TEST_F(ListSortWindowTest, FirstClickSortsAscendingSecondDescendingWithTheirMarks) {
  const ListCase cases[] = {
      {"ListView1", 1, {"ivanov", "Petrov", "Sidorov"}},
      {"ListView1", 0, {"1", "2", "10"}},
      {"lvEvent", 1, {"A", "b", "c"}},
      {"lvSMS", 4, {"2", "9", "10"}},
      {"lvSMS", 1, {"+7916", "8903", "8916"}},
  };
  start();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.list) + " column " + std::to_string(c.column));
    model_->sort = ListSortState{};
    fill();
    clickHeader(c.list, c.column);
    EXPECT_EQ(shown(c.list, c.column), c.ascending);
    std::vector<int> expected(static_cast<std::size_t>(view_->list(c.list)->columnCount()), -1);
    expected[static_cast<std::size_t>(c.column)] = kSortAscendingImage;
    EXPECT_EQ(marks(c.list), expected);
    EXPECT_EQ(headerAlign(c.list, c.column), Qt::AlignLeft);

    clickHeader(c.list, c.column);
    const std::vector<std::string> descending(c.ascending.rbegin(), c.ascending.rend());
    EXPECT_EQ(shown(c.list, c.column), descending);
    expected[static_cast<std::size_t>(c.column)] = kSortDescendingImage;
    EXPECT_EQ(marks(c.list), expected);
    // The section's own rows are the sorted ones.
    const ListModel& own = std::string(c.list) == "ListView1" ? phoneBook_->section().ListView1
                           : std::string(c.list) == "lvEvent" ? model_->dateBook.lvEvent
                                                              : model_->messages.lvSMS;
    EXPECT_EQ(own.cellText(own.rows.front(), static_cast<std::size_t>(c.column)),
              descending.front());
  }
}

TEST_F(ListSortWindowTest, TheDirectionIsSharedAndOtherListsKeepTheirHeaders) {
  start();
  fill();
  clickHeader("ListView1", 1);
  clickHeader("lvSMS", 4);
  EXPECT_EQ(shown("lvSMS", 4), (std::vector<std::string>{"10", "9", "2"}));
  EXPECT_EQ(marks("lvSMS"), (std::vector<int>{-1, -1, -1, -1, 24, -1, -1}));
  EXPECT_EQ(marks("ListView1"), (std::vector<int>{-1, 25, -1, -1, -1}));
  EXPECT_EQ(marks("lvEvent"), std::vector<int>(8, -1));

  // A later click on another column of the first list moves its mark there; the column
  // that loses it gets its own alignment back.
  clickHeader("ListView1", 4);
  EXPECT_EQ(marks("ListView1"), (std::vector<int>{-1, -1, -1, -1, 25}));
  EXPECT_EQ(headerAlign("ListView1", 4), Qt::AlignLeft);
  clickHeader("ListView1", 1);
  EXPECT_EQ(headerAlign("ListView1", 4), Qt::AlignHCenter);
  EXPECT_EQ(marks("ListView1"), (std::vector<int>{-1, 24, -1, -1, -1}));
}

TEST_F(ListSortWindowTest, TheMarkIsDrawnToTheRightOfTheCaption) {
  start();
  fill();
  clickHeader("ListView1", 1);
  QHeaderView* h = view_->list("ListView1")->horizontalHeader();
  const QImage shot = h->grab().toImage();
  const int left = h->sectionViewportPosition(1);
  const QString caption = view_->list("ListView1")->horizontalHeaderItem(1)->text();
  const int captionEnd = left + h->fontMetrics().horizontalAdvance(caption);
  // The mark's badge colour, counted before and after the caption's end.
  const QColor badge(0x55, 0x55, 0x55);
  int before = 0, after = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = left; x < left + h->sectionSize(1); ++x)
      if (shot.pixelColor(x, y) == badge) ++(x < captionEnd ? before : after);
  EXPECT_GT(after, 40);
  EXPECT_LT(before, 10);
}

TEST_F(ListSortWindowTest, AfterASortTheDeleteKeyErasesTheRowTheUserSelected) {
  auto& phone = startPhone();
  click("sbReadAll");
  ListView* list = view_->list("ListView1");
  ASSERT_GE(list->rowCount(), 3);
  const std::vector<std::string> read = shown("ListView1", 0);
  clickHeader("ListView1", 0);
  clickHeader("ListView1", 0);
  const std::vector<std::string> before = shown("ListView1", 0);
  ASSERT_NE(before, read) << "descending by the index is not the read's order";
  const QRect r = list->visualRect(list->model()->index(1, 1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
  phone.clearTranscript();
  key(Qt::Key_Delete);
  const auto& sent = phone.transcript();
  EXPECT_NE(std::find(sent.begin(), sent.end(), "AT+MPBW=" + before[1]), sent.end());
  std::vector<std::string> expected = before;
  expected.erase(expected.begin() + 1);
  EXPECT_EQ(shown("ListView1", 0), expected);
}

TEST_F(ListSortWindowTest, AHeaderClickWhileEveryRowIsWrittenLeavesTheOrderAlone) {
  auto& phone = startPhone();
  click("sbReadAll");
  std::vector<std::string> read = shown("ListView1", 0);
  ASSERT_GE(read.size(), 3u);
  bool clicked = false;
  ui_.beforeEvents = [&] {
    if (clicked) return;
    clicked = true;
    clickHeader("ListView1", 0);
    clickHeader("ListView1", 0);
  };
  phone.clearTranscript();
  model_->clickMenu("N10");
  ui_.beforeEvents = nullptr;
  ASSERT_TRUE(clicked);
  // Every entry written once, in the order the write found them.
  std::vector<std::string> written;
  for (const std::string& c : phone.transcript())
    if (c.rfind("AT+MPBW=", 0) == 0) written.push_back(c.substr(8, c.find(',') - 8));
  EXPECT_EQ(written, read);
  EXPECT_EQ(shown("ListView1", 0), read);
  EXPECT_FALSE(phoneBook_->section().writingAll());
  // Afterwards the header sorts again: the indices by value, the second click descending.
  clickHeader("ListView1", 0);
  clickHeader("ListView1", 0);
  EXPECT_EQ(shown("ListView1", 0), std::vector<std::string>(read.rbegin(), read.rend()));
}

}  // namespace
}  // namespace quorvex::ui
