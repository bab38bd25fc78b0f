// The vCard import preview as the user meets it: the plan's rows and counts, and the two
// buttons, Esc and the close box answering the model.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "codec/ru.h"
#include "ui/list_view.h"
#include "ui/phonebook_view.h"
#include "ui/qt_text.h"
#include "ui/vcard_import_view.h"
#include "window_fixture.h"

namespace quorvex::ui {
namespace {

using phonebook::ImportRow;
using phonebook::TAbonentInfo;
using phonebook::TfrmImportVCard;
using phonebook::VCardImportPlan;
using testing::Trace;

// Five phone indices with Anna at 1, two SIM indices from 6.
std::vector<TAbonentInfo> Records() {
  std::vector<TAbonentInfo> r;
  for (int i = 1; i <= 7; ++i) r.push_back(phonebook::FreeSlot(i));
  r[0].Name = "Anna";
  r[0].Number = "+111";
  r[0].NumberType = 2;
  for (int i = 5; i < 7; ++i) r[static_cast<std::size_t>(i)].OnSim = 1;
  return r;
}

// A file with something of every kind: a new card with two numbers, one already on the
// handset, one repeated, one without a number, one whose name is longer than the handset
// takes and one whose second number finds the phone memory full and goes to the SIM.
const char* const kMixedFile =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Boris\r\nTEL;TYPE=CELL:+222\r\nTEL;TYPE=WORK:+333\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\r\nTEL:+111\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Boris\r\nTEL;TYPE=CELL:+222\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Konstantin Konstantinopolsky-Tsaregradsky\r\n"
    "TEL:+444\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Vera\r\nTEL:+555\r\nTEL:+666\r\nEND:VCARD\r\n";

VCardImportPlan PlanOf(const std::string& file) {
  return VCardImportPlan(phonebook::ParseVCards(file), Records(), {}, 6,
                         phonebook::Family::Classic);
}

class ImportPreviewView : public testing::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    phoneBook_ = InstallPhoneBook(BindPhoneBook(*model_), *view_, ui_);
  }
  void TearDown() override {
    phoneBook_.reset();
    WindowTest::TearDown();
  }
  TfrmImportVCard& form() { return phoneBook_->binding().frmImportVCard; }
  VCardImportDialog& dialog() { return *phoneBook_->importDialog(); }

  // Shows the model with the plan; `act` runs on the dialog while it is open.
  void showWith(VCardImportPlan plan, const std::function<void(VCardImportDialog&)>& act) {
    ui_.scriptDialog = [&](ModalDialog&) {
      VCardImportDialog& d = dialog();
      d.sync();
      d.show();
      act(d);
      d.hide();
    };
    form().Show(ui_, std::move(plan));
    ui_.scriptDialog = nullptr;
  }

  std::unique_ptr<PhoneBookView> phoneBook_;
};

TEST_F(ImportPreviewView, ShowsEveryRowOfThePlanWithItsCounts) {
  const VCardImportPlan plan = PlanOf(kMixedFile);
  // The file gives rows of several kinds, so the preview has something to tell apart.
  ASSERT_GT(plan.count(ImportRow::Status::Write), 0);
  ASSERT_GT(plan.count(ImportRow::Status::OnHandset) +
                plan.count(ImportRow::Status::EarlierInFile) +
                plan.count(ImportRow::Status::NoNumber),
            0);
  ASSERT_TRUE(std::any_of(plan.rows().begin(), plan.rows().end(),
                          [](const ImportRow& r) { return r.toSim; }));
  const ListModel expected = plan.PreviewList();
  showWith(plan, [&](VCardImportDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Импорт из vCard"));
    EXPECT_EQ(d.summary()->text(), ToQ(plan.Summary()));
    EXPECT_TRUE(d.summary()->text().startsWith(
        QStringLiteral("Будет записано: 5 (из них на SIM-карту: 1)")));
    ListView* list = d.list();
    ASSERT_EQ(list->columnCount(), 6);
    QStringList headers;
    for (int c = 0; c < list->columnCount(); ++c) headers << list->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers,
              (QStringList{"#", "Имя, Фамилия", "Номер телефона", "Тип", "Группа", "Состояние"}));
    ASSERT_EQ(list->rowCount(), static_cast<int>(expected.rows.size()));
    for (int r = 0; r < list->rowCount(); ++r)
      for (int c = 0; c < list->columnCount(); ++c)
        EXPECT_EQ(list->item(r, c)->text(),
                  ToQ(expected.cellText(expected.rows[static_cast<std::size_t>(r)],
                                        static_cast<std::size_t>(c))))
            << "row " << r << " column " << c;
    EXPECT_EQ(d.writeButton()->text(), QStringLiteral("Записать"));
    EXPECT_EQ(d.cancelButton()->text(), QStringLiteral("Отмена"));
    EXPECT_TRUE(d.writeButton()->isEnabled());
    // Nothing cut or explained is hidden: the last column takes the rest of the width.
    EXPECT_TRUE(list->horizontalHeader()->stretchLastSection());
  });
}

// What the preview tells is what will be written, or why not: no text may be cut. A cell is
// as wide as its text, or, in the last column of a dialog that cannot grow that far, its row
// is high enough for the broken lines.
TEST_F(ImportPreviewView, NoTextOfThePreviewIsCut) {
  showWith(PlanOf(kMixedFile), [&](VCardImportDialog& d) {
    QApplication::processEvents();
    ListView* list = d.list();
    const QFontMetrics fm(list->font());
    const int last = list->columnCount() - 1;
    const QScreen* screen = d.screen();
    ASSERT_NE(screen, nullptr);
    EXPECT_LE(d.width(), screen->availableGeometry().width());
    for (int r = 0; r < list->rowCount(); ++r) {
      for (int c = 0; c <= last; ++c) {
        const QString text = list->item(r, c)->text();
        const int needed = fm.horizontalAdvance(text) + 6;
        SCOPED_TRACE(text.toStdString());
        if (needed <= list->columnWidth(c)) continue;
        ASSERT_EQ(c, last) << "only the last column breaks its lines";
        const int lines = (needed + list->columnWidth(c) - 1) / list->columnWidth(c);
        EXPECT_GE(list->rowHeight(r), lines * fm.height());
      }
    }
    // The last column reaches the list's right edge.
    EXPECT_GE(list->columnViewportPosition(last) + list->columnWidth(last),
              list->viewport()->width() - 1);
  });
}

struct Ending {
  const char* name;
  std::function<void(VCardImportDialog&)> act;
  bool accepted;
};

class PreviewEnding : public ImportPreviewView, public ::testing::WithParamInterface<Ending> {};

TEST_P(PreviewEnding, AnswersTheModelAndCloses) {
  bool visibleAfter = true;
  showWith(PlanOf(kMixedFile), [&](VCardImportDialog& d) {
    GetParam().act(d);
    visibleAfter = d.isVisible();
  });
  EXPECT_TRUE(form().closed());
  EXPECT_EQ(form().Accepted, GetParam().accepted);
  EXPECT_FALSE(visibleAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, PreviewEnding,
    ::testing::Values(
        Ending{"Write",
               [](VCardImportDialog& d) { QTest::mouseClick(d.writeButton(), Qt::LeftButton); },
               true},
        Ending{"Cancel",
               [](VCardImportDialog& d) { QTest::mouseClick(d.cancelButton(), Qt::LeftButton); },
               false},
        Ending{"Escape", [](VCardImportDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
        Ending{"CloseBox", [](VCardImportDialog& d) { d.close(); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportPreviewView, NothingToWriteLeavesOnlyCancel) {
  // Every number is on the handset already, or the card has none.
  const VCardImportPlan plan = PlanOf(
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\r\nTEL:+111\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nEND:VCARD\r\n");
  ASSERT_EQ(plan.count(ImportRow::Status::Write), 0);
  bool stillOpen = false;
  showWith(plan, [&](VCardImportDialog& d) {
    EXPECT_FALSE(d.writeButton()->isEnabled());
    // A click that reaches the model anyway (a hot key would) writes nothing.
    d.writeButton()->click();
    stillOpen = d.isVisible() && !form().closed();
    QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_FALSE(form().Accepted);
}

// A second import shows its own plan whole, not rows of the first one's with its own added.
TEST_F(ImportPreviewView, ASecondPreviewShowsOnlyItsOwnRows) {
  for (const char* file :
       {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Boris\r\nTEL:+222\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Vera\r\nTEL:+555\r\nTEL:+666\r\nEND:VCARD\r\n"}) {
    const ListModel expected = PlanOf(file).PreviewList();
    QStringList shown, wanted;
    showWith(PlanOf(file), [&](VCardImportDialog& d) {
      for (int r = 0; r < d.list()->rowCount(); ++r) shown << d.list()->item(r, 1)->text();
      d.cancelButton()->click();
    });
    for (const ListRow& row : expected.rows) wanted << ToQ(expected.cellText(row, 1));
    EXPECT_EQ(shown, wanted);
  }
}

// The real modal loop: the seam finds the registered view and returns once it closed.
TEST_F(ImportPreviewView, TheSeamShowsTheRegisteredPreviewModally) {
  start();
  ui_.setScripted(false);
  bool modal = false;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    VCardImportDialog& d = dialog();
    if (!d.isVisible() || QApplication::activeModalWidget() != &d) return;
    poll.stop();
    modal = true;
    QTest::mouseClick(d.writeButton(), Qt::LeftButton);
  });
  poll.start();
  QTimer::singleShot(3000, &poll, [&] { dialog().hide(); });  // never hang; dies with poll
  form().Show(ui_, PlanOf(kMixedFile));
  EXPECT_TRUE(modal);
  EXPECT_TRUE(form().Accepted);
  EXPECT_FALSE(dialog().isVisible());
}

// The window's "Файл" menu carries the export and import items, enabled with their section,
// and a triggered item runs its handler.
TEST_F(ImportPreviewView, FileMenuShowsTheItemsOfTheShownSection) {
  start();
  struct Item {
    const char* name;
    QString caption;
    Section section;
  };
  const Item items[] = {
      {"mnuVCardExport30", "Экспорт справочника в vCard 3.0...", Section::PhoneBook},
      {"mnuVCardExport21", "Экспорт справочника в vCard 2.1...", Section::PhoneBook},
      {"mnuVCardImport", "Импорт справочника из vCard...", Section::PhoneBook},
      {"mnuICalExport", "Экспорт ежедневника в iCalendar...", Section::DateBook},
      {"mnuICalImport", "Импорт ежедневника из iCalendar...", Section::DateBook},
      {"mnuSMSExportCsv", "Экспорт SMS в CSV...", Section::SMS},
      {"mnuSMSExportMbox", "Экспорт SMS в mbox...", Section::SMS}};
  for (Section shown : {Section::PhoneBook, Section::SMS, Section::Terminal, Section::DateBook}) {
    showSection(shown);
    for (const Item& item : items) {
      QAction* action = view_->action(item.name);
      ASSERT_NE(action, nullptr) << item.name;
      EXPECT_EQ(action->text(), item.caption);
      EXPECT_EQ(action->isEnabled(), item.section == shown) << item.name;
    }
  }
  showSection(Section::PhoneBook);
  view_->action("mnuVCardExport30")->trigger();
  EXPECT_EQ(trace_, Trace{"mnuVCardExport30Click"});
  // Nothing was read: the export says so and asks for no file.
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Ru("Список пуст, сохранять нечего !"));
  EXPECT_TRUE(ui_.dialogs.empty());
}

}  // namespace
}  // namespace quorvex::ui
