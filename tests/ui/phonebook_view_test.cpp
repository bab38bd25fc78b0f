// The phone book section in the window: the record dialog's widgets over its model, the
// popup's enabling, the columns a read adds, the highlighted rows and how fast the list
// takes a full phone book.
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "phonebook/records.h"
#include "ui/list_view.h"
#include "ui/phonebook_view.h"
#include "ui/qt_text.h"
#include "window_fixture.h"
#include "under_asan.h"

namespace quorvex::ui {
namespace {

using phonebook::TfrmAddRecord;

// Types text key by key; letters outside ASCII go as the key events a keyboard layout sends.
void Type(QWidget* w, const QString& text) {
  for (const QChar ch : text) {
    if (ch.unicode() < 128) {
      QTest::keyClick(w, static_cast<char>(ch.unicode()));
      continue;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
  }
}

class PhoneBookViewTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    phoneBook_ = InstallPhoneBook(BindPhoneBook(*model_), *view_, ui_);
  }
  void TearDown() override {
    phoneBook_.reset();
    WindowTest::TearDown();
  }

  // Runs `act` on the record dialog's widgets while the model is shown, as the user would.
  void withRecordDialog(const std::string& model,
                        const std::function<void(AddRecordDialog&)>& act) {
    TfrmAddRecord& m = phoneBook_->section().frmAddRecord;
    m.PhoneModel = model;
    m.RecordCount = 10;
    m.Taken.assign(10, false);
    m.Taken[2] = true;  // index 3 holds an entry
    ui_.scriptDialog = [&](ModalDialog&) {
      AddRecordDialog& d = *phoneBook_->addRecordDialog();
      d.sync();
      d.show();
      act(d);
      d.hide();
    };
    m.Show(ui_, [&] {
      m.cbRecordNum.setItems({"1", "2", "4"});
      m.cbRecordNum.select(0);
      m.cbType.select(2);
      m.edtPhoneNumber.text.clear();
      m.edtAbonentName.text.clear();
    });
    ui_.scriptDialog = nullptr;
  }

  QStringList headers(ListView* list) {
    QStringList captions;
    for (int c = 0; c < list->columnCount(); ++c) captions << list->horizontalHeaderItem(c)->text();
    return captions;
  }
  void readFrom(const std::string& handsetModel) {
    sim::SimOptions o;
    o.model = handsetModel;
    phone_.reset();
    phone_ = std::make_unique<sim::PhoneSim>(o);
    phone_->start();
    SavePortSettings({phone_->slavePath(), 115200, 3000}, path("portcfg.ini"));
    model_->app.LoadPortSettings();
    click("sbReadAll");
  }

  std::unique_ptr<PhoneBookView> phoneBook_;
};

struct Entry {
  const char* what;
  QString recordNum, phone, name;
  std::string box;  // the error box expected; empty: the dialog closes accepted
  bool standardError = false;
};

TEST_F(PhoneBookViewTest, TheRecordDialogChecksWhatWasTyped) {
  const Entry cases[] = {
      {"complete", "2", "+79001234567", QStringLiteral("Иван"), ""},
      {"no number", "2", "", QStringLiteral("Иван"), Ru("Необходимо заполнить все поля!")},
      {"no name", "2", "123", "", Ru("Необходимо заполнить все поля!")},
      {"no index", "", "123", "A", Ru("Необходимо заполнить все поля!")},
      {"past the table", "11", "123", "A", Ru("Номер записи должен быть в пределах от 1 до 10!")},
      {"index 0", "0", "123", "A", Ru("Номер записи должен быть в пределах от 1 до 10!")},
      {"taken", "3", "123", "A",
       Ru("Запись с номером 3 уже есть в справочнике! Выберите свободный номер."), false},
      {"no number typed", "1x", "123", "A", "", true},
  };
  for (const Entry& c : cases) {
    SCOPED_TRACE(c.what);
    ui_.boxes.clear();
    bool closedByWrite = false;
    withRecordDialog("C350", [&](AddRecordDialog& d) {
      d.recordNum()->lineEdit()->selectAll();
      if (c.recordNum.isEmpty())
        QTest::keyClick(d.recordNum()->lineEdit(), Qt::Key_Backspace);
      else
        Type(d.recordNum()->lineEdit(), c.recordNum);
      Type(d.phoneNumber(), c.phone);
      Type(d.abonentName(), c.name);
      QTest::mouseClick(d.writeButton(), Qt::LeftButton);
      closedByWrite = phoneBook_->section().frmAddRecord.closed();
    });
    const TfrmAddRecord& m = phoneBook_->section().frmAddRecord;
    if (c.box.empty() && !c.standardError) {
      EXPECT_TRUE(closedByWrite);
      EXPECT_TRUE(m.DialogAccepted);
      EXPECT_EQ(m.RecordCommand.rfind("AT+MPBW=2,\"+79001234567\",145,", 0), 0u) << m.RecordCommand;
      EXPECT_TRUE(ui_.boxes.empty());
      continue;
    }
    EXPECT_FALSE(closedByWrite) << "the dialog stays open";
    EXPECT_FALSE(m.DialogAccepted);
    EXPECT_TRUE(m.RecordCommand.empty());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].standardError, c.standardError);
    if (!c.box.empty()) {
      EXPECT_EQ(ui_.boxes[0].text, c.box);
    }
  }
}

TEST_F(PhoneBookViewTest, TheAlertBoxTakesTwoDigitsAndBackspaceOnly) {
  struct Typing {
    QString keys;
    std::string kept;
  } cases[] = {{"7", "7"}, {"a1b2", "12"}, {"123", "12"}, {QStringLiteral("ж-5 "), "5"}};
  for (const Typing& t : cases) {
    SCOPED_TRACE(t.keys.toStdString());
    std::string seen;
    QString shown;
    withRecordDialog("T720", [&](AddRecordDialog& d) {
      QLineEdit* edit = d.ids()->lineEdit();
      edit->selectAll();
      QTest::keyClick(edit, Qt::Key_Backspace);
      Type(edit, t.keys);
      seen = phoneBook_->section().frmAddRecord.cbIDs.text;
      shown = edit->text();
    });
    EXPECT_EQ(seen, t.kept);
    EXPECT_EQ(shown, ToQ(t.kept));
  }
  std::string afterBackspace;
  withRecordDialog("T720", [&](AddRecordDialog& d) {
    QLineEdit* edit = d.ids()->lineEdit();
    edit->selectAll();
    Type(edit, "42");
    QTest::keyClick(edit, Qt::Key_Backspace);
    afterBackspace = phoneBook_->section().frmAddRecord.cbIDs.text;
  });
  EXPECT_EQ(afterBackspace, "4");
}

TEST_F(PhoneBookViewTest, EnterWritesEscCancelsAndTheCloseBoxCancels) {
  struct Ending {
    const char* what;
    std::function<void(AddRecordDialog&)> end;
    bool accepted;
  } cases[] = {
      {"Enter", [](AddRecordDialog& d) { QTest::keyClick(d.abonentName(), Qt::Key_Return); }, true},
      {"Esc", [](AddRecordDialog& d) { QTest::keyClick(d.abonentName(), Qt::Key_Escape); }, false},
      {"close box", [](AddRecordDialog& d) { d.close(); }, false},
      {"Отмена", [](AddRecordDialog& d) { QTest::mouseClick(d.cancelButton(), Qt::LeftButton); },
       false},
  };
  for (const Ending& e : cases) {
    SCOPED_TRACE(e.what);
    bool closed = false, visible = true;
    withRecordDialog("C350", [&](AddRecordDialog& d) {
      Type(d.phoneNumber(), "123");
      Type(d.abonentName(), "Bob");
      e.end(d);
      closed = phoneBook_->section().frmAddRecord.closed();
      visible = d.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_FALSE(visible);
    EXPECT_EQ(phoneBook_->section().frmAddRecord.DialogAccepted, e.accepted);
    EXPECT_EQ(phoneBook_->section().frmAddRecord.RecordCommand.empty(), !e.accepted);
  }
}

TEST_F(PhoneBookViewTest, TheDialogShowsTheGroupBoxOnlyForGroupedModels) {
  for (const auto& [handset, grouped] :
       {std::pair{"T720", false}, std::pair{"C350", true}, std::pair{"C550", true}}) {
    SCOPED_TRACE(handset);
    bool groupShown = !grouped, iconShown = !grouped;
    int icons = 0;
    withRecordDialog(handset, [&](AddRecordDialog& d) {
      groupShown = d.group()->isVisible();
      iconShown = d.icon()->isVisible();
      for (int i = 0; i < d.icon()->count(); ++i) icons += d.icon()->itemIcon(i).isNull() ? 0 : 1;
    });
    EXPECT_EQ(groupShown, grouped);
    EXPECT_EQ(iconShown, grouped);
    EXPECT_EQ(icons, kCallerIconCount) << "every caller but \"нет\" has its picture";
  }
  for (int i = 0; i < kCallerIconCount; ++i) {
    const QImage a = CallerIcon(i).pixmap(kCallerIconSize).toImage();
    EXPECT_EQ(a.size(), kCallerIconSize);
    for (int j = 0; j < i; ++j)
      EXPECT_NE(a, CallerIcon(j).pixmap(kCallerIconSize).toImage()) << i << " and " << j;
  }
}

TEST_F(PhoneBookViewTest, ThePopupEnablesEditDeleteAndSaveOnlyOverASelection) {
  startPhone();
  click("sbReadAll");
  ListView* list = view_->list("ListView1");
  ASSERT_GT(list->rowCount(), 1);
  QMenu* popup = view_->popupMenu("PopupMenu1");
  const auto open = [&] {
    emit list->customContextMenuRequested(QPoint(10, 10));
    const QStringList enabled = [&] {
      QStringList names;
      for (const char* n : {"N2", "pmDelete", "pmSaveBook"})
        if (view_->action(n)->isEnabled()) names << QString::fromLatin1(n);
      return names;
    }();
    popup->hide();
    return enabled;
  };
  list->clearSelection();
  EXPECT_EQ(open(), QStringList());
  list->selectRow(1);
  EXPECT_EQ(open(), (QStringList{"N2", "pmDelete", "pmSaveBook"}));
  click("SpeedButton3");
  EXPECT_EQ(list->rowCount(), 0);
  EXPECT_EQ(open(), QStringList());
}

TEST_F(PhoneBookViewTest, AGroupedReadAddsIconAndGroupAndAClassicReadKeepsThem) {
  start();
  ListView* list = view_->list("ListView1");
  const QStringList base{"#", QStringLiteral("Имя, Фамилия"), QStringLiteral("Номер телефона"),
                         QStringLiteral("Тип"), "IDs"};
  readFrom("T720");
  EXPECT_EQ(headers(list), base);
  EXPECT_GT(list->rowCount(), 0);
  readFrom("C350");
  const QStringList grouped =
      base + QStringList{QStringLiteral("Иконка"), QStringLiteral("Группа")};
  EXPECT_EQ(headers(list), grouped);
  readFrom("C350");
  EXPECT_EQ(list->columnCount(), 7) << "a second grouped read replaces the pair";
  readFrom("T720");
  EXPECT_EQ(list->columnCount(), 7);
  for (int r = 0; r < list->rowCount(); ++r) EXPECT_TRUE(list->item(r, 6)->text().isEmpty());
  // Columns the model no longer has leave the widget.
  phoneBook_->section().ListView1.columns = phonebook::BaseColumns();
  phoneBook_->section().ListView1.clear();
  view_->sync();
  EXPECT_EQ(headers(list), base);
}

TEST_F(PhoneBookViewTest, HighlightedEntriesAreBlueWithTheirIcon) {
  startPhone();
  click("sbReadAll");
  auto& s = phoneBook_->section();
  ListView* list = view_->list("ListView1");
  ASSERT_GE(list->rowCount(), 2);
  const int index = text::StrToInt(s.ListView1.rows[1].caption);
  s.Records[static_cast<std::size_t>(index - 1)].Attr6 = 1;
  s.RefreshRowDrawing();
  view_->sync();
  EXPECT_EQ(list->item(1, 0)->foreground().color(), QColor(0, 0, 255));
  EXPECT_FALSE(list->item(1, 0)->icon().isNull());
  EXPECT_EQ(list->item(0, 0)->foreground().color(), list->palette().text().color());
  EXPECT_TRUE(list->item(0, 0)->icon().isNull());
}

TEST_F(PhoneBookViewTest, TheReadMovesItsBarsAndShowsItsRowsAtEveryPump) {
  startPhone();
  struct Seen {
    int value, maximum, rows;
  };
  std::vector<Seen> seen;
  auto* bar = widget<QProgressBar>("pbFullRecord");
  const auto inner = ui_.beforeEvents;
  ui_.beforeEvents = [&, inner] {
    if (inner) inner();
    seen.push_back({bar->value(), bar->maximum(), view_->list("ListView1")->rowCount()});
  };
  click("sbReadAll");
  ui_.beforeEvents = inner;
  const int total = static_cast<int>(phoneBook_->section().Records.size());
  const int rows = view_->list("ListView1")->rowCount();
  ASSERT_GT(rows, 0);
  ASSERT_GE(seen.size(), static_cast<std::size_t>((total + 29) / 30));
  int last = 0;
  bool partWay = false;
  for (const Seen& s : seen) {
    EXPECT_GE(s.value, last) << "the count of entries only grows";
    last = s.value;
    EXPECT_EQ(s.rows, s.value) << "every entry counted is in the list";
    partWay |= s.rows > 0 && s.rows < rows;
  }
  EXPECT_TRUE(partWay) << "the list grew while the read went on";
  EXPECT_EQ(last, rows) << "the last pump shows every entry counted";
  EXPECT_EQ(seen.back().maximum, total);
  EXPECT_TRUE(widget("sbAddRecord")->isEnabled());
  EXPECT_TRUE(widget("sbReadAll")->isEnabled());
}

TEST_F(PhoneBookViewTest, TheHotKeysReachTheSection) {
  auto& phone = startPhone();
  key(Qt::Key_F5);
  ASSERT_FALSE(phone.transcript().empty());
  EXPECT_EQ(phone.transcript().front(), "AT+CGMM");
  ASSERT_GT(view_->list("ListView1")->rowCount(), 0);
  ui_.dialogs.clear();
  key(Qt::Key_Insert);
  EXPECT_EQ(ui_.dialogs, (std::vector<std::string>{"TfrmAddRecord"}));
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A Grouped handset's section with its four groups, taking a phone book of 7650 entries as a
// read puts it there.
class FullPhoneBookTest : public PhoneBookViewTest {
 protected:
  static constexpr int kRows = 7650;

  void SetUp() override {
    PhoneBookViewTest::SetUp();
    start();
    phonebook::AddGroupColumns(section().ListView1);
    section().GroupNames = {"General", "Busines", "Personal", "VIPs"};
  }
  phonebook::PhoneBookSection& section() { return phoneBook_->section(); }
  void addEntry(int i) {
    phonebook::PhoneBookSection& s = section();
    phonebook::TAbonentInfo r;
    r.Index = i;
    r.Name = "Entry " + std::to_string(i);
    r.Number = "+7900" + std::to_string(1000000 + i);
    r.NumberType = static_cast<std::uint8_t>(i % 7);
    r.IconId = static_cast<std::uint8_t>(i % 15);
    r.Category = static_cast<std::uint8_t>(1 + i % 4);
    s.Records.push_back(r);
    s.ListView1.addRow(phonebook::EntryRow(r, phonebook::Family::Grouped, "C350", s.GroupNames));
  }
};

TEST_F(FullPhoneBookTest, AReadAddsEachChunkWithoutRebuildingTheList) {
  auto& s = section();
  ListView* list = view_->list("ListView1");
  view_->sync();  // the group columns
  const int rebuilds = list->rebuilds();
  const double cpuStart = ThreadCpuSeconds();
  for (int first = 1; first <= kRows; first += 30) {
    for (int i = first; i < first + 30; ++i) addEntry(i);
    view_->sync();
    ASSERT_EQ(list->rowCount(), static_cast<int>(s.ListView1.rows.size()));
  }
  EXPECT_EQ(list->rebuilds(), rebuilds);
  const double cpu = ThreadCpuSeconds() - cpuStart;
  std::printf("[ figure ] the list takes %d rows in %d chunks in %.3f s of processor time\n", kRows,
              kRows / 30, cpu);
  EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("Entry 1"));
  EXPECT_EQ(list->item(kRows - 1, 1)->text(), QStringLiteral("Entry 7650"));
  EXPECT_EQ(list->item(kRows - 1, 6)->text(), QStringLiteral("Personal"));
  EXPECT_EQ(list->columnCount(), 7);
#if !defined(QUORVEX_UNDER_ASAN)
  EXPECT_LT(cpu, 1.0);
#endif
}

TEST_F(FullPhoneBookTest, TheListShowsItQuickly) {
  auto& s = section();
  for (int i = 1; i <= kRows; ++i) addEntry(i);
  s.RefreshRowDrawing();
  // The processor time of this thread is what the widget costs; the wall clock also counts
  // whatever else the machine runs at the moment, so it is printed but not judged.
  QElapsedTimer timer;
  timer.start();
  const double cpuStart = ThreadCpuSeconds();
  view_->sync();
  QApplication::processEvents();
  const double cpu = ThreadCpuSeconds() - cpuStart;
  const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  std::printf("[ figure ] the list shows %d rows in %.3f s of processor time (%.3f s wall)\n",
              kRows, cpu, wall);
  ListView* list = view_->list("ListView1");
  ASSERT_EQ(list->rowCount(), kRows);
  EXPECT_EQ(list->item(kRows - 1, 1)->text(), QStringLiteral("Entry 7650"));
#if !defined(QUORVEX_UNDER_ASAN)
  EXPECT_LT(cpu, 0.3);
#endif
}

}  // namespace
}  // namespace quorvex::ui
