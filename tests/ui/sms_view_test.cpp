// The message section in the window and its new message dialog, on the offscreen platform
// against the simulated handset's demo messages: four incoming (two unread), one unsent,
// two sent, two drafts.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include "app/sms_binding.h"
#include "codec/ru.h"
#include "messages/message_rows.h"
#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/sms_view.h"
#include "window_fixture.h"

namespace quorvex::ui {
namespace {

using testing::Trace;

// Types text as a keyboard would, one key event per character (Cyrillic included).
void TypeInto(QWidget* w, const QString& text) {
  for (const QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(w, &release);
  }
}

QString Counter(int left) {
  return QStringLiteral("Осталось символов: %1").arg(left);
}

class SmsWindowTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    model_->messages.archivePath = path("sms_archive.txt");
    binding_ = std::make_unique<SmsBinding>(*model_);
    smsView_ = std::make_unique<SmsView>(*view_, ui_);
  }
  void TearDown() override {
    smsView_.reset();
    WindowTest::TearDown();
  }

  void openSection() {
    startPhone();
    showSection(Section::SMS);
    phone_->clearTranscript();
  }
  QTreeWidget* tree() { return widget<QTreeWidget>("tvSMS"); }
  QTreeWidgetItem* node(int state) {
    QTreeWidgetItemIterator it(tree());
    for (; *it; ++it)
      if ((*it)->data(0, Qt::UserRole).toInt() == state) return *it;
    ADD_FAILURE() << "no node " << state;
    return nullptr;
  }
  void clickNode(int state) {
    QTreeWidgetItem* item = node(state);
    ASSERT_NE(item, nullptr);
    const QRect r = tree()->visualItemRect(item);
    ASSERT_TRUE(r.isValid()) << "node " << state << " is shown";
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, r.center());
  }
  ListView* list() { return view_->list("lvSMS"); }
  void clickRow(int row) {
    const QRect r = list()->visualRect(list()->model()->index(row, 1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, r.center());
  }
  SaveSmsDialog* dialog() { return smsView_->saveSmsDialog(); }

  std::unique_ptr<SmsBinding> binding_;
  std::unique_ptr<SmsView> smsView_;
};

// ---- The folders.

TEST_F(SmsWindowTest, EachFolderReadFillsTheListAndCountsInItsNode) {
  openSection();
  struct Case {
    int state;
    QString caption;
    int rows;
    int boldRows;
    int statusImage;  // of the first row; -1 none
  };
  const Case cases[] = {
      {1, QStringLiteral("Входящие (4)"), 4, 2, sms::kImageRead},
      {2, QStringLiteral("Исходящие (1)"), 1, 0, sms::kImageUnsent},
      {3, QStringLiteral("Отправленные (2)"), 2, 0, sms::kImageSent},
      {4, QStringLiteral("Черновики (2)"), 2, 0, sms::kImageUnsent},
      {5, QStringLiteral("Архив (4)"), 4, 0, kNoImage},  // the incoming read archived four
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    clickNode(c.state);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(node(c.state)->text(0), c.caption);
    ASSERT_EQ(list()->rowCount(), c.rows);
    int bold = 0;
    for (int r = 0; r < list()->rowCount(); ++r) {
      const bool isBold = list()->item(r, 1)->font().bold();
      bold += isBold ? 1 : 0;
      const bool unread = list()->item(r, 5)->text() == QStringLiteral("не прочитано");
      EXPECT_EQ(isBold, unread) << "row " << r << ": only unread rows are bold";
      for (int col = 0; col < 7; ++col)
        EXPECT_EQ(list()->item(r, col)->font().bold(), isBold) << "the whole row, col " << col;
    }
    EXPECT_EQ(bold, c.boldRows);
    EXPECT_EQ(model_->lvSMS.rows[0].subItems[sms::kStatus].image, c.statusImage);
    EXPECT_EQ(list()->item(0, 5)->icon().isNull(), c.statusImage == kNoImage);
    // The bar spans the folder and stands at its start again.
    auto* bar = widget<QProgressBar>("pbReadSMS");
    EXPECT_EQ(bar->value(), 0);
  }
  EXPECT_EQ(widget<QProgressBar>("pbReadSMS")->maximum(), 1) << "the drafts' two messages";
  EXPECT_TRUE(model_->menuItem("pmSMSRead").enabled);

  clickNode(0);  // "Телефон" reads nothing and takes "Прочитать" away
  EXPECT_FALSE(view_->action("pmSMSRead")->isEnabled());
  EXPECT_FALSE(view_->action("N18")->isEnabled());
}

TEST_F(SmsWindowTest, AReadShowsItsRowsAtEveryPump) {
  openSection();
  std::vector<int> seen;
  // Each pump of the read lets the window show the rows read so far.
  const auto inner = ui_.beforeEvents;
  ui_.beforeEvents = [this, &seen, inner] {
    if (inner) inner();
    seen.push_back(list()->rowCount());
  };
  clickNode(1);
  ui_.beforeEvents = inner;
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4})) << "one pump per message";
}

TEST_F(SmsWindowTest, ClickingARowShowsItsTextAndAnotherFolderOrADeleteEmptiesIt) {
  openSection();
  clickNode(1);
  clickRow(3);
  auto* memo = widget<QPlainTextEdit>("mmSMS");
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("See you tomorrow at 10; bring the papers. Anna"));
  clickNode(3);
  EXPECT_TRUE(memo->toPlainText().isEmpty()) << "the message is not in the sent folder";
  EXPECT_EQ(node(3)->text(0), QStringLiteral("Отправленные (2)"));

  clickRow(1);
  ASSERT_FALSE(memo->toPlainText().isEmpty());
  click("sbDeleteSMS");
  EXPECT_EQ(list()->rowCount(), 1);
  EXPECT_EQ(node(3)->text(0), QStringLiteral("Отправленные (1)"));
  EXPECT_TRUE(memo->toPlainText().isEmpty()) << "the shown message was deleted";
}

TEST_F(SmsWindowTest, TheTwoClearsDifferInWhatTheyClear) {
  openSection();
  clickNode(5);
  clickNode(1);
  clickRow(0);
  model_->popup("pmSMS");
  view_->action("pmSMSClear")->trigger();
  EXPECT_EQ(list()->rowCount(), 0);
  EXPECT_FALSE(widget<QPlainTextEdit>("mmSMS")->toPlainText().isEmpty());
  EXPECT_EQ(node(1)->text(0), QStringLiteral("Входящие (4)"));

  clickNode(1);
  click("SpeedButton12");
  EXPECT_EQ(list()->rowCount(), 0);
  EXPECT_TRUE(widget<QPlainTextEdit>("mmSMS")->toPlainText().isEmpty());
  EXPECT_EQ(node(1)->text(0), QStringLiteral("Входящие"));
  EXPECT_EQ(node(5)->text(0), QStringLiteral("Архив (0)")) << "the archive keeps its count";
}

TEST_F(SmsWindowTest, ThePopupOffersWhatTheSelectionAllows) {
  openSection();
  clickNode(1);
  auto enabled = [this](const char* item) { return view_->action(item)->isEnabled(); };
  struct Case {
    int row;  // -1: nothing selected
    bool some;
    bool markAsRead;
  };
  // Rows: 1 read, 2 unread, 3 read, 4 unread. Without a selection "Mark as Read" keeps
  // what it had.
  const Case cases[] = {
      {1, true, true}, {0, true, false}, {-1, false, false}, {3, true, true}, {-1, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    if (c.row >= 0)
      clickRow(c.row);
    else
      list()->clearSelection();
    model_->popup("pmSMS");
    view_->sync();
    EXPECT_EQ(enabled("pmSMSDelete"), c.some);
    EXPECT_EQ(enabled("pmSMSSave"), c.some);
    EXPECT_EQ(enabled("pmSendSMS"), c.some);
    EXPECT_EQ(enabled("pmMarkasRead"), c.markAsRead);
  }
}

TEST_F(SmsWindowTest, MarkAsReadDrawsTheRowNormal) {
  openSection();
  sim::PhoneSim& phone = *phone_;
  clickNode(1);
  clickRow(1);
  ASSERT_TRUE(list()->item(1, 1)->font().bold());
  phone.clearTranscript();
  model_->popup("pmSMS");
  view_->action("pmMarkasRead")->trigger();
  EXPECT_EQ(phone.transcript(), (Trace{"AT+MMAR=2"}));
  EXPECT_EQ(list()->item(1, 5)->text(), QStringLiteral("прочитано"));
  EXPECT_FALSE(list()->item(1, 1)->font().bold());
}

// ---- Keys and menus.

TEST_F(SmsWindowTest, TheKeysAndMenuItemsRunTheSectionsHandlers) {
  openSection();
  // F5 does nothing until a folder has been read; Enter in the tree reads regardless.
  key(Qt::Key_F5);
  EXPECT_TRUE(phone_->transcript().empty());
  tree()->setFocus();
  tree()->setCurrentItem(node(3));
  key(Qt::Key_Return);
  EXPECT_EQ(list()->rowCount(), 2);
  EXPECT_EQ(node(3)->text(0), QStringLiteral("Отправленные (2)"));

  struct Case {
    const char* what;
    std::function<void()> act;
    const char* handler;  // the section handler the window must reach
  };
  const std::vector<Case> cases = {
      {"F5", [this] { key(Qt::Key_F5); }, "pmSMSReadClick"},
      {"N18", [this] { view_->action("N18")->trigger(); }, "pmSMSReadClick"},
      {"Ins", [this] { key(Qt::Key_Insert); }, "sbSMSNewClick"},
      {"N19", [this] { view_->action("N19")->trigger(); }, "sbSMSNewClick"},
      {"pmSMSNew", [this] { view_->action("pmSMSNew")->trigger(); }, "sbSMSNewClick"},
      {"sbSMSNew", [this] { click("sbSMSNew"); }, "sbSMSNewClick"},
      {"Del", [this] { key(Qt::Key_Delete); }, "sbDeleteSMSClick"},
      {"N20", [this] { view_->action("N20")->trigger(); }, "sbDeleteSMSClick"},
      {"N22", [this] { view_->action("N22")->trigger(); }, "sbSMSDeleteAllClick"},
      {"mnuSaveSMS", [this] { view_->action("mnuSaveSMS")->trigger(); }, "sbSMSSaveClick"},
      {"sbSMSSave", [this] { click("sbSMSSave"); }, "sbSMSSaveClick"},
      {"pmSMSSave", [this] { view_->action("pmSMSSave")->trigger(); }, "sbSMSSaveClick"},
      {"pmSMSRead", [this] { view_->action("pmSMSRead")->trigger(); }, "pmSMSReadClick"},
      {"pmSMSDelete", [this] { view_->action("pmSMSDelete")->trigger(); }, "sbDeleteSMSClick"},
      {"sbDeleteSMS", [this] { click("sbDeleteSMS"); }, "sbDeleteSMSClick"},
      {"sbSMSDeleteAll", [this] { click("sbSMSDeleteAll"); }, "sbSMSDeleteAllClick"},
      {"pmSendSMS", [this] { view_->action("pmSendSMS")->trigger(); }, "pmSendSMSClick"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    trace_.clear();
    ui_.dialogs.clear();
    ui_.boxes.clear();
    ui_.answers = {MsgResult::No};
    c.act();
    EXPECT_NE(std::find(trace_.begin(), trace_.end(), c.handler), trace_.end());
  }
  // What each reached: the new message dialog, the confirmation, the save dialog.
  trace_.clear();
  ui_.dialogs.clear();
  key(Qt::Key_Insert);
  EXPECT_EQ(ui_.dialogs, (std::vector<std::string>{"TfrmSaveSMS"}));
  ui_.boxes.clear();
  ui_.answers = {MsgResult::No};
  view_->action("N22")->trigger();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, "Delete all messages?!");
  EXPECT_EQ(list()->rowCount(), 2) << "answered No";
}

TEST_F(SmsWindowTest, DelRemovesTheSelectedMessage) {
  openSection();
  clickNode(1);
  clickRow(2);
  phone_->clearTranscript();
  key(Qt::Key_Delete);
  EXPECT_EQ(phone_->transcript(), (Trace{"AT+CPMS=\"MT\"", "AT+CMGD=3"}));
  EXPECT_EQ(list()->rowCount(), 3);
  EXPECT_EQ(node(1)->text(0), QStringLiteral("Входящие (3)"));
}

TEST_F(SmsWindowTest, TheReadDisablesTheSectionsButtonsOnlyWhileItRuns) {
  openSection();
  std::vector<bool> enabledDuringPumps;
  auto inner = ui_.beforeEvents;
  ui_.beforeEvents = [&, this] {
    if (inner) inner();
    enabledDuringPumps.push_back(widget("sbSMSNew")->isEnabled());
  };
  clickNode(2);
  ui_.beforeEvents = inner;
  ASSERT_FALSE(enabledDuringPumps.empty());
  for (bool e : enabledDuringPumps) EXPECT_FALSE(e);
  EXPECT_TRUE(widget("sbSMSNew")->isEnabled());
  EXPECT_TRUE(widget("sbSMS")->isEnabled());
}

// ---- The new message dialog in the window.

TEST_F(SmsWindowTest, TheNewMessageGoesOutWithTheChosenRecipientsNumber) {
  openSection();
  // Two phone book rows as the phone book shows them: #, name, number, type.
  auto addEntry = [this](const char* name, const char* number, const char* type) {
    ListRow& row = model_->ListView1.add("1");
    row.subItems = {{Ru(name)}, {number}, {Ru(type)}, {""}};
  };
  addEntry("Анна", "+79161234501", "Мобильный");
  addEntry("Office", "+74957654321", "Рабочий");
  bool portHeld = false;
  ui_.scriptDialog = [&, this](ModalDialog& m) {
    auto& modal = dynamic_cast<SaveSmsModal&>(m);
    dialog()->attach(modal);
    dialog()->show();
    // While the dialog is up, the operation holds the port.
    try {
      model_->app.OpenHandset(false);
    } catch (const std::exception&) {
      portHeld = true;
    }
    QComboBox* combo = dialog()->cbAbonents();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Анна"));
    EXPECT_FALSE(combo->itemIcon(0).isNull());
    EXPECT_EQ(combo->maxVisibleItems(), 8);
    combo->setCurrentIndex(1);
    TypeInto(dialog()->memo1(), QStringLiteral("Hi"));
    dialog()->action(1)->click();  // store and send
    QTest::mouseClick(dialog()->okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog()->isVisible());
  };
  click("sbSMSNew");
  EXPECT_TRUE(portHeld);
  const Trace sent = phone_->transcript();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[0], "AT+CSCS=UCS2");
  EXPECT_EQ(sent[1], "AT+CMGW=\"+74957654321\"");
  EXPECT_EQ(sent[2], "00480069");
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Ru("Сообщение отправлено и записано в \"Иходящие\"."));
}

TEST_F(SmsWindowTest, SendingFromThePhoneBookUsesTheSelectedRowsNumber) {
  openSection();
  ListRow& row = model_->ListView1.add("7");
  row.subItems = {{Ru("Анна")}, {"+79161234501"}, {Ru("Мобильный"), 3}, {""}};
  model_->ListView1.selectOnly(0);
  ui_.scriptDialog = [this](ModalDialog& m) {
    dialog()->attach(dynamic_cast<SaveSmsModal&>(m));
    dialog()->show();
    EXPECT_EQ(dialog()->cbAbonents()->currentText(), QStringLiteral("Анна"));
    EXPECT_TRUE(dialog()->action(1)->isChecked()) << "store and send";
    dialog()->cbAbonents()->setEditText(QStringLiteral("+000"));  // not what is used
    dialog()->action(0)->click();                                 // nor this
    TypeInto(dialog()->memo1(), QStringLiteral("Hi"));
    QTest::mouseClick(dialog()->okButton(), Qt::LeftButton);
  };
  view_->action("mnuSendSMS")->trigger();
  const Trace sent = phone_->transcript();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[1], "AT+CMGW=\"+79161234501\"");
  EXPECT_EQ(sent[2], "00480069");
  EXPECT_EQ(sent[3].rfind("AT+CMSS=", 0), 0u);
  // The dialog is left empty for the next use.
  EXPECT_EQ(model_->messages.frmSaveSMS.Memo1, "");
  EXPECT_EQ(model_->messages.frmSaveSMS.RadioGroup.itemIndex, 0);
}

TEST_F(SmsWindowTest, CancellingTheDialogSendsNothingAndFreesThePort) {
  openSection();
  ui_.scriptDialog = [this](ModalDialog& m) {
    dialog()->attach(dynamic_cast<SaveSmsModal&>(m));
    dialog()->show();
    TypeInto(dialog()->memo1(), QStringLiteral("never sent"));
    QTest::keyClick(dialog(), Qt::Key_Escape);
  };
  click("sbSMSNew");
  EXPECT_EQ(phone_->transcript(), (Trace{"AT+CSCS=UCS2"}));
  EXPECT_NO_THROW(model_->app.OpenHandset(false));
  EXPECT_EQ(model_->messages.frmSaveSMS.Memo1, "never sent") << "the text waits for the next time";
}

// ---- The dialog's own controls.

class SaveSmsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui_.setScripted(true);
    dialog_ = std::make_unique<SaveSmsDialog>(ui_, nullptr);
    modal_.begin();
    dialog_->attach(modal_);
    dialog_->show();
    dialog_->activateWindow();
    dialog_->memo1()->setFocus();
  }
  void type(const QString& keys) { TypeInto(dialog_->memo1(), keys); }
  QString memo() const { return dialog_->memo1()->toPlainText(); }
  QString counter() const { return dialog_->label3()->text(); }

  QtUserInterface ui_;
  sms::TfrmSaveSMS form_;
  SaveSmsModal modal_{form_};
  std::unique_ptr<SaveSmsDialog> dialog_;
};

TEST_F(SaveSmsDialogTest, ShowsEveryControlWithItsCaption) {
  EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Новое сообщение"));
  EXPECT_EQ(dialog_->findChild<QLabel*>("Label1")->text(), QStringLiteral("Получатель:"));
  EXPECT_EQ(dialog_->findChild<QLabel*>("Label2")->text(), QStringLiteral("Текст сообщения:"));
  EXPECT_EQ(counter(), Counter(160));
  EXPECT_EQ(dialog_->action(0)->text(), QStringLiteral("Только сохранение"));
  EXPECT_EQ(dialog_->action(2)->text(), QStringLiteral("Отправить и удалить"));
  EXPECT_TRUE(dialog_->action(0)->isChecked());
  EXPECT_EQ(dialog_->language(1)->text(), QStringLiteral("русский"));
  EXPECT_TRUE(dialog_->language(0)->isChecked());
  EXPECT_EQ(dialog_->okButton()->text(), QStringLiteral("Ok"));
  EXPECT_EQ(dialog_->cancelButton()->text(), QStringLiteral("Отмена"));
  EXPECT_TRUE(dialog_->cbAbonents()->isEditable());
}

TEST_F(SaveSmsDialogTest, TheKeyFilterAndTheCounter) {
  struct Case {
    int language;
    QString typed;
    QString shown;
  };
  const Case cases[] = {
      {0, QStringLiteral("Hello"), QStringLiteral("Hello")},
      {0, QStringLiteral("Приhiвет"), QStringLiteral("hi")},  // Cyrillic refused
      {0, QStringLiteral("Ёlkaё"), QStringLiteral("Ёlkaё")},  // except Ё and ё
      {0, QStringLiteral("№1"), QStringLiteral("№1")},
      {1, QStringLiteral("Привет, Anna"), QStringLiteral("Привет, Anna")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    dialog_->language(c.language)->click();
    dialog_->language(1 - c.language)->click();
    dialog_->language(c.language)->click();
    type(c.typed);
    EXPECT_EQ(memo(), c.shown);
    const int limit = c.language == 0 ? 160 : 70;
    EXPECT_EQ(counter(), Counter(limit - static_cast<int>(c.shown.size())));
    EXPECT_EQ(form_.Memo1, FromQ(c.shown));
  }
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    dialog_->language(1 - language)->click();
    dialog_->language(language)->click();
    type(QStringLiteral("a"));
    QTest::keyClick(dialog_->memo1(), Qt::Key_Return);
    EXPECT_EQ(memo(), QStringLiteral("a")) << "Enter is refused";
    QTest::keyClick(dialog_->memo1(), Qt::Key_Backspace);
    EXPECT_EQ(memo(), QString()) << "a backspace below the limit is a backspace";
  }
}

TEST_F(SaveSmsDialogTest, AnyKeyAtTheLimitRemovesTheLastCharacter) {
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    dialog_->language(1 - language)->click();
    dialog_->language(language)->click();
    const int limit = language == 0 ? 160 : 70;
    dialog_->memo1()->setPlainText(QString(limit - 1, QLatin1Char('x')) + QLatin1Char('y'));
    dialog_->memo1()->moveCursor(QTextCursor::End);
    EXPECT_EQ(counter(), Counter(0));
    type(QStringLiteral("z"));
    EXPECT_EQ(memo(), QString(limit - 1, QLatin1Char('x')));
    EXPECT_EQ(counter(), Counter(1));
    type(QStringLiteral("z"));
    EXPECT_EQ(memo().size(), limit) << "below the limit the key types again";
  }
  // Pasted text is not filtered and the counter goes below zero.
  dialog_->memo1()->setPlainText(QString(75, QLatin1Char('p')));
  EXPECT_EQ(counter(), Counter(-5));
}

TEST_F(SaveSmsDialogTest, SwitchingTheLanguageEmptiesTheTextAndFocusesIt) {
  type(QStringLiteral("abc"));
  dialog_->okButton()->setFocus();
  ASSERT_EQ(dialog_->focusWidget(), dialog_->okButton());
  dialog_->language(1)->click();
  EXPECT_EQ(memo(), QString());
  EXPECT_EQ(form_.Memo1, "");
  EXPECT_EQ(counter(), Counter(70));
  EXPECT_EQ(form_.rgLanguage.itemIndex, 1);
  EXPECT_EQ(dialog_->focusWidget(), dialog_->memo1());
  type(QStringLiteral("Да"));
  dialog_->language(0)->click();
  EXPECT_EQ(memo(), QString());
  EXPECT_EQ(counter(), Counter(160));
}

TEST_F(SaveSmsDialogTest, OkChecksTheRecipientAndTheTextThenBuildsTheCommand) {
  form_.RecipientNames = {Ru("Анна"), Ru("Анна")};
  form_.RecipientNumbers = {"+111", "+222"};
  form_.cbAbonentsItems = {{Ru("Анна"), 3, 3, 3, -1}, {Ru("Анна"), 0, 0, 0, -1}};
  dialog_->sync();

  QTest::mouseClick(dialog_->okButton(), Qt::LeftButton);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Ru("Введите номер для отправки"));
  EXPECT_EQ(ui_.boxes[0].kind, MsgKind::Warning);
  EXPECT_FALSE(modal_.closed());

  dialog_->cbAbonents()->setCurrentIndex(1);
  QTest::mouseClick(dialog_->okButton(), Qt::LeftButton);
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].text, Ru("Сообщение пустое..."));
  EXPECT_FALSE(modal_.closed());
  EXPECT_TRUE(dialog_->isVisible());

  type(QStringLiteral("Ok"));
  QTest::mouseClick(dialog_->okButton(), Qt::LeftButton);
  EXPECT_TRUE(modal_.closed());
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_TRUE(form_.Confirmed);
  EXPECT_EQ(form_.WriteCommand, "AT+CMGW=\"+111\"\r004F006B\x1a") << "the first row of the name";
}

TEST_F(SaveSmsDialogTest, ATypedNumberIsTheRecipient) {
  dialog_->cbAbonents()->setEditText(QStringLiteral("+4930123456"));
  type(QStringLiteral("x"));
  QTest::mouseClick(dialog_->okButton(), Qt::LeftButton);
  EXPECT_TRUE(modal_.closed());
  EXPECT_EQ(form_.Recipient, "+4930123456");
}

TEST(SaveSmsDialogRun, TheModalLoopEndsWhenTheModelCloses) {
  QtUserInterface ui;
  ui.setScripted(true);
  SaveSmsDialog dialog(ui, nullptr);
  sms::TfrmSaveSMS form;
  form.cbAbonentsText = "+111";
  struct Case {
    const char* how;
    std::function<void()> finish;
    bool confirmed;
  };
  const Case cases[] = {
      {"Ok",
       [&] {
         TypeInto(dialog.memo1(), QStringLiteral("x"));
         QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
       },
       true},
      {"the frame's close box", [&] { dialog.close(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    form.Confirmed = false;
    SaveSmsModal modal(form);
    modal.begin();
    QTimer::singleShot(0, &dialog, c.finish);
    dialog.run(modal);
    EXPECT_TRUE(modal.closed());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(form.Confirmed, c.confirmed);
  }
}

}  // namespace
}  // namespace quorvex::ui
