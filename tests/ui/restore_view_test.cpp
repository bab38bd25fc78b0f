// The restore preview as the user meets it: a row per entry with its check box (ticked as the
// plan chose, greyed where the row cannot go), a tick that changes the row's action and the
// counts, and the buttons answering the model.
#include <QHelpEvent>
#include <QLabel>
#include <QToolButton>

#include "backup/restore.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "datebook/date_book_section.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_bin.h"
#include "ui/list_view.h"
#include "ui/main_window_view.h"
#include "ui/qt_text.h"
#include "ui/restore_view.h"
#include "window_fixture.h"

namespace quorvex::ui {
namespace {

BinRecord Entry(int index, const char* name, const char* number) {
  phonebook::TAbonentInfo e;
  e.Index = index;
  e.Name = Ru(name);
  e.Number = number;
  e.NumberFormat = 129;
  e.Attr9 = 1;
  e.IconId = 255;
  e.Attr12 = 255;
  return phonebook::EntryBinRecord(e, phonebook::Family::Grouped, "backup");
}

BinRecord Incoming(int index, const char* text) {
  sms::HeldMessage m;
  m.index = std::to_string(index);
  m.folder = sms::kIncoming;
  m.status = "\"REC READ\"";
  m.reading = {"+7916", "26/03/01,10:00:00+12", TextToUcs2Hex(Ru(text))};
  return sms::MessageBinRecord(m, "backup");
}

// A changed entry, a missing one, one the same, an entry only on the handset and an incoming
// message that cannot go back.
backup::RestorePlan Plan() {
  backup::HandsetShape shape;
  shape.model = "C350";
  shape.phoneFirst = 1;
  shape.phoneLast = 10;
  shape.groupCount = 4;
  shape.dateBookHighest = 9;
  const PhoneBackup saved{"C350",
                          "",
                          "2026-12-08 21:00:00",
                          {Entry(1, "Анна", "111"), Entry(2, "Борис", "222"),
                           Entry(3, "Вера", "333"), Incoming(1, "Привет")}};
  const PhoneBackup now{
      "C350", "", "", {Entry(1, "Анна", "000"), Entry(3, "Вера", "333"), Entry(4, "Глеб", "444")}};
  return backup::RestorePlan(saved, now, shape);
}

class RestorePreviewView : public testing::WindowTest {
 protected:
  // Shows the model with the plan; `act` runs on the dialog while it is open.
  void showWith(const std::function<void(RestoreDialog&)>& act) {
    ui_.scriptDialog = [&](ModalDialog&) {
      RestoreDialog& d = *view_->restoreDialog();
      d.sync();
      d.show();
      act(d);
      d.hide();
    };
    model_->frmRestore.Show(ui_, Plan());
    ui_.scriptDialog = nullptr;
  }
};

TEST_F(RestorePreviewView, TicksFollowThePlanAndAnswerTheModel) {
  backup::TfrmRestore& form = model_->frmRestore;
  showWith([&](RestoreDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Восстановление из копии"));
    ListView* list = d.list();
    ASSERT_EQ(list->rowCount(), 5);
    QStringList boxes, actions;
    for (int r = 0; r < list->rowCount(); ++r) {
      const QTableWidgetItem* first = list->item(r, 0);
      boxes << QString::fromLatin1(!(first->flags() & Qt::ItemIsUserCheckable) ? "-"
                                   : first->checkState() == Qt::Checked        ? "x"
                                                                               : "o");
      actions << list->item(r, 5)->text();
    }
    // Changed and missing ticked, the same and the incoming message greyed, the handset's own
    // entry unticked.
    EXPECT_EQ(boxes, (QStringList{"x", "x", "-", "o", "-"}));
    EXPECT_EQ(actions[3], QStringLiteral("оставить"));
    EXPECT_TRUE(d.writeButton()->isEnabled());

    list->item(3, 0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(form.Plan.rows()[3].chosen);
    EXPECT_EQ(list->item(3, 5)->text(), QStringLiteral("удалить из телефона (в корзину)"));
    EXPECT_TRUE(d.summary()->text().endsWith(QStringLiteral("Выбрано: 3.")))
        << d.summary()->text().toStdString();
    // A greyed row cannot be ticked, even by the program.
    list->item(4, 0)->setCheckState(Qt::Checked);
    EXPECT_FALSE(form.Plan.rows()[4].chosen);
    EXPECT_EQ(list->item(4, 0)->checkState(), Qt::Unchecked);

    for (int r : {0, 1, 3}) list->item(r, 0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(d.writeButton()->isEnabled());
    list->item(1, 0)->setCheckState(Qt::Checked);
    d.writeButton()->click();
  });
  EXPECT_TRUE(form.closed());
  EXPECT_TRUE(form.Accepted);
  EXPECT_EQ(form.Plan.chosenCount(), 1);

  showWith([&](RestoreDialog& d) { static_cast<QDialog&>(d).reject(); });
  EXPECT_TRUE(form.closed());
  EXPECT_FALSE(form.Accepted);
}

// The last column stretches with the dialog: what a narrow one cuts shows whole in the cell's
// tool tip, and a text that fits has none.
TEST_F(RestorePreviewView, ATextTheLastColumnCutsShowsWholeInItsToolTip) {
  showWith([&](RestoreDialog& d) {
    ListView* list = d.list();
    const int last = list->columnCount() - 1;
    const QTableWidgetItem* same = list->item(2, last);     // "-"
    const QTableWidgetItem* message = list->item(4, last);  // why an incoming message stays
    ASSERT_GT(message->text().size(), 40);
    // What the user sees when the pointer rests on a cell of the last column.
    const auto askTip = [&](const QTableWidgetItem* item) {
      const QPoint at = list->visualItemRect(item).center();
      QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
      QApplication::sendEvent(list->viewport(), &help);
      return item->toolTip();
    };
    d.resize(1800, 480);
    QApplication::processEvents();
    EXPECT_EQ(askTip(message), QString());
    for (int r = 0; r < list->rowCount(); ++r)
      EXPECT_EQ(list->item(r, last)->toolTip(), QString()) << r;
    d.resize(list->columnViewportPosition(last) + 120, 480);
    QApplication::processEvents();
    ASSERT_LT(list->columnWidth(last), list->fontMetrics().horizontalAdvance(message->text()));
    EXPECT_EQ(askTip(message), message->text());
    EXPECT_EQ(askTip(same), QString());
    d.cancelButton()->click();
  });
}

}  // namespace
}  // namespace quorvex::ui
