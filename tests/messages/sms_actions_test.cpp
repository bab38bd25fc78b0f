// Composing, storing, sending, deleting, marking and exporting against the simulated
// handset.
#include <gtest/gtest.h>

#include <algorithm>

#include "codec/ru.h"
#include "core/list_sort.h"
#include "messages/message_rows.h"
#include "serial/block_serial.h"
#include "sms_fixture.h"

namespace quorvex {
namespace {

using sim::MessageStatus;
using sim::MessageStore;
using testing::Box;
using testing::Msg;
using testing::SmsTest;
using Transcript = std::vector<std::string>;

sim::HandsetState Inbox() {
  sim::HandsetState s = sim::EmptyState();
  const char* when[] = {"26/01/01,10:00:00+04", "26/01/02,10:00:00+04", "26/01/03,10:00:00+04",
                        "26/01/04,10:00:00+04"};
  for (int i = 0; i < 4; ++i)
    s.messages[i + 2] =
        Msg(MessageStore::Incoming, i == 1 ? MessageStatus::RecUnread : MessageStatus::RecRead,
            "+7900000000" + std::to_string(i), when[i], "m" + std::to_string(i));
  return s;
}

// The phone book list: caption the index, then name, number and the type with its icon.
ListModel PhoneBook() {
  ListModel book;
  auto add = [&](const char* index, const char* name, const char* number, const char* type,
                 int icon) {
    ListRow& r = book.add(index);
    r.subItems = {{Ru(name)}, {number}, {Ru(type), icon}};
  };
  add("1", "Анна", "+111", "Мобильный", 3);
  add("2", "Анна", "+222", "Рабочий", 0);
  add("3", "Bob", "+333", "нечто", 4);
  return book;
}

class Compose : public SmsTest {
 protected:
  // Fills the dialog as the user does and presses "Ok"; checks that the caller holds the port.
  void answerDialog(std::string to, std::string text, int action) {
    section_.runDialog = [=, this](sms::TfrmSaveSMS& d) {
      ASSERT_TRUE(d.visible);
      TBlockSerial other;
      other.OpenPort(phone().slavePath());
      portHeldWhileShown = other.LastError() != 0;
      d.cbAbonentsText = to;
      d.RadioGroup.itemIndex = action;
      d.SetMemoText(text);
      d.SpeedButton1Click(ui_);
    };
  }
  sim::Message onlyMessage() {
    const auto messages = phone().state().messages;
    EXPECT_EQ(messages.size(), 1u);
    return messages.empty() ? sim::Message{} : messages.begin()->second;
  }
  bool portHeldWhileShown = false;
};

TEST_F(Compose, RecipientListComesFromThePhoneBook) {
  startPhone(sim::EmptyState());
  section_.frmSaveSMS.RecipientIcons = {7, 7, 7};
  section_.runDialog = [](sms::TfrmSaveSMS& d) { d.SpeedButton2Click(); };
  section_.sbSMSNewClick(*app_, PhoneBook());
  const auto& d = section_.frmSaveSMS;
  EXPECT_EQ(d.RecipientNames, (std::vector<std::string>{Ru("Анна"), Ru("Анна"), "Bob"}));
  EXPECT_EQ(d.RecipientNumbers, (std::vector<std::string>{"+111", "+222", "+333"}));
  // An unknown type text leaves the icon as an earlier use left it.
  EXPECT_EQ(d.RecipientIcons, (std::vector<std::uint8_t>{3, 0, 7}));
  ASSERT_EQ(d.cbAbonentsItems.size(), 3u);
  EXPECT_EQ(d.cbAbonentsItems[0].caption, Ru("Анна"));
  EXPECT_EQ(d.cbAbonentsItems[0].image, 3);
  EXPECT_EQ(d.cbAbonentsItems[0].overlayImage, 3);
  EXPECT_EQ(d.cbAbonentsItems[0].indent, -1);
  EXPECT_EQ(transcript(), Transcript{"AT+CSCS=UCS2"});
  EXPECT_TRUE(ui_.boxes.empty());
}

struct ActionCase {
  const char* name;
  int action;
  Transcript tail;  // after the store command and its text
  const char* box;  // UTF-8
  bool kept;
  MessageStatus status;
};

class ComposeAction : public Compose, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(ComposeAction, StoresThenSendsAsChosen) {
  const ActionCase& c = GetParam();
  startPhone(sim::EmptyState());
  std::size_t commandsAtPause = 0;
  ui_.onPause = [&](int) { commandsAtPause = phone().transcript().size(); };
  answerDialog(Ru("Анна"), "Hi", c.action);
  section_.sbSMSNewClick(*app_, PhoneBook());
  EXPECT_TRUE(portHeldWhileShown);
  Transcript expected{"AT+CSCS=UCS2", "AT+CMGW=\"+111\"", "00480069"};
  expected.insert(expected.end(), c.tail.begin(), c.tail.end());
  EXPECT_EQ(transcript(), expected);
  EXPECT_EQ(ui_.boxes, (std::vector<Box>{{Ru(c.box), MsgKind::Information, MsgButtons::Ok}}));
  if (c.action == 2) {
    EXPECT_EQ(ui_.pauses, std::vector<int>{500});
    EXPECT_EQ(commandsAtPause, expected.size() - 1);
  } else {
    EXPECT_TRUE(ui_.pauses.empty());
  }
  const auto messages = phone().state().messages;
  ASSERT_EQ(messages.size(), c.kept ? 1u : 0u);
  if (c.kept) {
    EXPECT_EQ(messages.begin()->second.number, "+111");
    EXPECT_EQ(messages.begin()->second.text, "Hi");
    EXPECT_EQ(messages.begin()->second.status, c.status);
  }
  // The text, action and language stay for the next use.
  EXPECT_EQ(section_.frmSaveSMS.Memo1, "Hi");
  EXPECT_EQ(section_.frmSaveSMS.RadioGroup.itemIndex, c.action);
}

INSTANTIATE_TEST_SUITE_P(Actions, ComposeAction,
                         ::testing::Values(ActionCase{"StoreOnly",
                                                      0,
                                                      {},
                                                      "Сообщение записано в \"Иходящие\".",
                                                      true,
                                                      MessageStatus::StoUnsent},
                                           ActionCase{
                                               "StoreAndSend",
                                               1,
                                               {"AT+CMSS=1"},
                                               "Сообщение отправлено и записано в \"Иходящие\".",
                                               true,
                                               MessageStatus::StoSent},
                                           ActionCase{"SendAndDelete",
                                                      2,
                                                      {"AT+CMSS=1", "AT+CMGD=1"},
                                                      "Сообщение отправлено.",
                                                      false,
                                                      MessageStatus::StoSent}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Compose, RefusedStoreSendsNothingElse) {
  sim::SimOptions o;
  o.errorOn = {"AT+CMGW"};
  startPhone(sim::EmptyState(), o);
  answerDialog("+5", "x", 2);
  section_.sbSMSNewClick(*app_, ListModel{});
  // The handset takes the text after its refusal as a line of its own; no send follows.
  EXPECT_EQ(transcriptOf(3), (Transcript{"AT+CSCS=UCS2", "AT+CMGW=\"+5\"", "0078"}));
  EXPECT_EQ(
      ui_.boxes,
      (std::vector<Box>{{Ru("Невозможно записать сообщение."), MsgKind::Error, MsgButtons::Ok}}));
}

TEST_F(Compose, CancelSendsOnlyTheCharacterSet) {
  startPhone(sim::EmptyState());
  section_.runDialog = [](sms::TfrmSaveSMS& d) { d.SpeedButton2Click(); };
  section_.sbSMSNewClick(*app_, PhoneBook());
  EXPECT_EQ(transcript(), Transcript{"AT+CSCS=UCS2"});
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(phone().state().messages.empty());
}

TEST_F(Compose, PortFailureRaisesAndFreesThePort) {
  SavePortSettings({path("no-such-port"), 115200, 3000}, path("portcfg.ini"));
  app_->LoadPortSettings();
  bool shown = false;
  section_.runDialog = [&](sms::TfrmSaveSMS&) { shown = true; };
  EXPECT_FALSE(RunHandler(ui_, [&] { section_.sbSMSNewClick(*app_, PhoneBook()); }));
  EXPECT_EQ(ui_.errors, std::vector<std::string>{Ru("Телефон не подключен.")});
  EXPECT_FALSE(shown);
}

TEST_F(Compose, FromThePhoneBookTheSelectedRowsNumberIsUsedAndTheDialogReset) {
  startPhone(sim::EmptyState());
  ListModel book = PhoneBook();
  book.selectOnly(1);
  section_.frmSaveSMS.RadioGroup.itemIndex = 2;
  std::string offered;
  int offeredIcon = -2, offeredAction = -1;
  section_.runDialog = [&](sms::TfrmSaveSMS& d) {
    offered = d.cbAbonentsText;
    offeredIcon = d.cbAbonentsItems.at(0).image;
    offeredAction = d.RadioGroup.itemIndex;
    d.cbAbonentsText = "+999";
    d.RadioGroup.itemIndex = 0;
    d.SetMemoText("Yo");
    d.SpeedButton1Click(ui_);
  };
  section_.mnuSendSMSClick(*app_, book);
  EXPECT_EQ(offered, Ru("Анна"));
  EXPECT_EQ(offeredIcon, 0);
  EXPECT_EQ(offeredAction, 1);
  EXPECT_EQ(transcript(),
            (Transcript{"AT+CSCS=UCS2", "AT+CMGW=\"+222\"", "0059006F", "AT+CMSS=1"}));
  EXPECT_EQ(ui_.boxes, (std::vector<Box>{{Ru("Сообщение отправлено и записано в \"Иходящие\"."),
                                          MsgKind::Information, MsgButtons::Ok}}));
  EXPECT_EQ(onlyMessage().status, MessageStatus::StoSent);
  const auto& d = section_.frmSaveSMS;
  EXPECT_EQ(d.RadioGroup.itemIndex, 0);
  EXPECT_EQ(d.Memo1, "");
  EXPECT_TRUE(d.cbAbonentsItems.empty());
  EXPECT_TRUE(d.RecipientNames.empty());
  EXPECT_TRUE(d.RecipientNumbers.empty());
}

TEST_F(Compose, FromThePhoneBookWithoutASelectionNothingHappens) {
  startPhone(sim::EmptyState());
  bool shown = false;
  section_.runDialog = [&](sms::TfrmSaveSMS&) { shown = true; };
  section_.mnuSendSMSClick(*app_, PhoneBook());
  section_.mnuSendSMSClick(*app_, ListModel{});
  EXPECT_FALSE(shown);
  EXPECT_TRUE(transcript().empty());
}

class StoredMessages : public SmsTest {
 protected:
  void readInbox() {
    click(sms::kIncoming);
    phone().clearTranscript();
  }
  void select(std::initializer_list<int> rows) {
    for (ListRow& r : section_.lvSMS.rows) r.selected = false;
    for (int i : rows) section_.lvSMS.rows[static_cast<std::size_t>(i)].selected = true;
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> c;
    for (const ListRow& r : section_.lvSMS.rows) c.push_back(r.caption);
    return c;
  }
};

TEST_F(StoredMessages, SendingAStoredMessage) {
  sim::HandsetState s = sim::EmptyState();
  s.messages[8] = Msg(MessageStore::Outgoing, MessageStatus::StoUnsent, "+1", "", "x");
  s.messages[9] = Msg(MessageStore::Outgoing, MessageStatus::StoUnsent, "", "", "no number");
  startPhone(s);
  click(sms::kUnsent);
  phone().clearTranscript();
  section_.lvSMS.selectOnly(0);
  section_.pmSendSMSClick(*app_);
  section_.lvSMS.selectOnly(1);
  section_.pmSendSMSClick(*app_);
  section_.lvSMS.selectOnly(-1);
  section_.pmSendSMSClick(*app_);
  EXPECT_EQ(transcript(), (Transcript{"AT+CMSS=8", "AT+CMSS=9"}));
  EXPECT_EQ(ui_.boxes,
            (std::vector<Box>{{Ru("Сообщение отправлено..."), MsgKind::Information, MsgButtons::Ok},
                              {Ru("Сбой отправки..."), MsgKind::Error, MsgButtons::Ok},
                              {Ru("Нет выбранной записи..."), MsgKind::Error, MsgButtons::Ok}}));
  EXPECT_EQ(section_.lvSMS.rows.size(), 2u);
}

TEST_F(StoredMessages, DeletingOneRemovesItsRowAndCountsTheRowsLeft) {
  startPhone(Inbox());
  readInbox();
  select({1});
  section_.sbDeleteSMSClick(*app_);
  EXPECT_EQ(transcript(), (Transcript{"AT+CPMS=\"MT\"", "AT+CMGD=3"}));
  EXPECT_EQ(captions(), (std::vector<std::string>{"2", "4", "5"}));
  EXPECT_EQ(section_.tvSMS[sms::kIncoming].caption, Ru("Входящие (3)"));
  EXPECT_EQ(phone().state().messages.count(3), 0u);
}

struct DeleteCase {
  const char* name;
  int folder;
  int shown;  // the row clicked before, whose text the memo shows
  std::vector<int> selected;
  bool all;  // "Удалить все" rather than "Удалить"
  bool memoKept;
};

class AfterADelete : public StoredMessages, public ::testing::WithParamInterface<DeleteCase> {};

// Whatever was deleted, the node of the listed folder counts the rows left, and the memo
// shows no message that has gone.
TEST_P(AfterADelete, TheCaptionCountsTheRowsLeftAndTheMemoNoGoneMessage) {
  const DeleteCase& c = GetParam();
  writeFile("sms_archive.txt", "1;d;t\r\n2;e;u\r\n3;f;v\r\n");
  startPhone(Inbox());
  click(sms::kSent);
  click(c.folder);
  ASSERT_GT(section_.lvSMS.rows.size(), 2u);
  // A sort moves the rows: the memo follows its message, not a position.
  section_.lvSMS.selectOnly(c.shown);
  section_.lvSMSClick();
  const std::string shownText = section_.mmSMS;
  ASSERT_FALSE(shownText.empty());
  ListSortState descending;
  ColumnClick(section_.lvSMS, 1, descending);
  ColumnClick(section_.lvSMS, 1, descending);
  std::vector<std::string> texts;
  for (const ListRow& r : section_.lvSMS.rows) texts.push_back(r.subItems[sms::kText].text);
  select({});
  for (int i : c.selected) section_.lvSMS.rows[static_cast<std::size_t>(i)].selected = true;
  ui_.answer = MsgResult::Yes;
  if (c.all)
    section_.sbSMSDeleteAllClick(*app_);
  else
    section_.sbDeleteSMSClick(*app_);
  EXPECT_TRUE(std::none_of(ui_.boxes.begin(), ui_.boxes.end(),
                           [](const Box& b) { return b.kind == MsgKind::Error; }));

  const sms::TreeNode& node = section_.tvSMS[static_cast<std::size_t>(c.folder)];
  EXPECT_EQ(node.caption,
            node.baseCaption + " (" + std::to_string(section_.lvSMS.rows.size()) + ")");
  EXPECT_EQ(section_.mmSMS, c.memoKept ? shownText : "");
  // The sent folder read first keeps the caption of that read.
  EXPECT_EQ(section_.tvSMS[sms::kSent].caption, Ru("Отправленные (0)"));
}

// The rows after the descending sort by number: incoming +79000000003 (index 5) first,
// +79000000000 (index 2) last; the archive 3, 2, 1.
INSTANTIATE_TEST_SUITE_P(
    Deletes, AfterADelete,
    ::testing::Values(DeleteCase{"TheShownMessage", sms::kIncoming, 1, {2}, false, false},
                      DeleteCase{"AnotherMessage", sms::kIncoming, 1, {0}, false, true},
                      DeleteCase{
                          "SeveralThenTheFolderReadAgain", sms::kIncoming, 3, {0, 1}, false, false},
                      DeleteCase{"All", sms::kIncoming, 1, {}, true, false},
                      DeleteCase{"TheShownArchiveRow", sms::kArchive, 0, {2}, false, false},
                      DeleteCase{"AnotherArchiveRow", sms::kArchive, 0, {0}, false, true},
                      DeleteCase{"AllArchiveRows", sms::kArchive, 2, {}, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoredMessages, DeletingThreeReadsTheFolderAgain) {
  startPhone(Inbox());
  readInbox();
  select({0, 2, 3});
  section_.sbDeleteSMSClick(*app_);
  EXPECT_EQ(transcript(),
            (Transcript{"AT+CPMS=\"MT\"", "AT+CMGD=2", "AT+CMGD=4", "AT+CMGD=5", "AT+CSCS=UCS2",
                        "AT+CPMS=\"IM\"", "AT+MMGL=\"HEADER ONLY\"", "AT+MMGR=3"}));
  EXPECT_EQ(captions(), std::vector<std::string>{"3"});
  EXPECT_EQ(section_.tvSMS[sms::kIncoming].caption, Ru("Входящие (1)"));
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(StoredMessages, DeletingWithoutSelectionSendsOnlyTheStorage) {
  startPhone(Inbox());
  readInbox();
  select({});
  section_.sbDeleteSMSClick(*app_);
  EXPECT_EQ(transcript(), Transcript{"AT+CPMS=\"MT\""});
  EXPECT_EQ(section_.lvSMS.rows.size(), 4u);
}

TEST_F(StoredMessages, DeleteAllAsksFirst) {
  startPhone(Inbox());
  readInbox();
  section_.sbSMSDeleteAllClick(*app_);
  EXPECT_TRUE(transcript().empty());
  EXPECT_EQ(section_.lvSMS.rows.size(), 4u);
  ui_.answer = MsgResult::Yes;
  section_.sbSMSDeleteAllClick(*app_);
  EXPECT_EQ(transcript(), (Transcript{"AT+CMGD=5", "AT+CMGD=4", "AT+CMGD=3", "AT+CMGD=2"}));
  EXPECT_TRUE(section_.lvSMS.rows.empty());
  EXPECT_EQ(section_.tvSMS[sms::kIncoming].caption, Ru("Входящие (0)"));
  EXPECT_TRUE(phone().state().messages.empty());
  EXPECT_EQ(ui_.boxes,
            (std::vector<Box>(2, {"Delete all messages?!", MsgKind::Question, MsgButtons::YesNo})));
}

TEST_F(StoredMessages, MarkAsReadIsOfferedForUnreadAndClearsTheBold) {
  startPhone(Inbox());
  readInbox();
  select({0, 1});
  section_.pmSMSPopup();
  EXPECT_FALSE(section_.pmMarkasRead.enabled);  // the first selected row is read already
  EXPECT_TRUE(section_.pmSMSDelete.enabled);
  select({1});
  section_.pmSMSPopup();
  EXPECT_TRUE(section_.pmMarkasRead.enabled);
  ASSERT_TRUE(section_.lvSMS.rows[1].bold);
  section_.pmMarkasReadClick(*app_);
  EXPECT_EQ(transcript(), Transcript{"AT+MMAR=3"});
  const ListCell& status = section_.lvSMS.rows[1].subItems[sms::kStatus];
  EXPECT_EQ(status.text, Ru("прочитано"));
  EXPECT_EQ(status.image, 34);
  EXPECT_FALSE(section_.lvSMS.rows[1].bold);
  EXPECT_EQ(phone().state().messages.at(3).status, MessageStatus::RecRead);
  section_.pmSMSPopup();
  EXPECT_FALSE(section_.pmMarkasRead.enabled);
}

TEST_F(StoredMessages, PopupWithoutSelectionDisablesAndLeavesMarkAsItWas) {
  section_.pmMarkasRead.enabled = true;
  section_.pmSMSPopup();
  EXPECT_FALSE(section_.pmSMSDelete.enabled);
  EXPECT_FALSE(section_.pmSMSSave.enabled);
  EXPECT_FALSE(section_.pmSendSMS.enabled);
  EXPECT_TRUE(section_.pmMarkasRead.enabled);
}

TEST_F(StoredMessages, RefusedMarkChangesNothingAndShowsNothing) {
  sim::SimOptions o;
  o.errorOn = {"AT+MMAR"};
  startPhone(Inbox(), o);
  readInbox();
  select({1});
  section_.pmMarkasReadClick(*app_);
  EXPECT_TRUE(section_.lvSMS.rows[1].bold);
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(StoredMessages, ExportWritesThirteenLinesPerSelectedRow) {
  startPhone(Inbox());
  readInbox();
  select({3, 1});
  ui_.saves = {path("out.txt")};
  section_.sbSMSSaveClick(ui_);
  const std::string stars(39, '*');
  auto record = [&](const std::string& number, const std::string& status, const std::string& when,
                    const std::string& text) {
    return Ru("Номер:\r\n") + number + "\r\n\r\n" + Ru("входящее") + "\r\n\r\n" + status +
           "\r\n\r\n" + when + "\r\n\r\n" + Ru("Текст сообщения:") + "\r\n\r\n" + text + "\r\n" +
           stars + "\r\n";
  };
  EXPECT_EQ(readFile("out.txt"),
            record("+79000000001", Ru("не прочитано"), "26/01/02,10:00:00+04", "m1") +
                record("+79000000003", Ru("прочитано"), "26/01/04,10:00:00+04", "m3"));
  EXPECT_EQ(section_.lvSMS.selectedCount(), 0);
  EXPECT_EQ(ui_.saveExts, std::vector<std::string>{"*.csv"});
  EXPECT_TRUE(transcript().empty());
}

// A text's line breaks would split its record; every record keeps its thirteen lines.
TEST(ExportRecord, EveryFieldIsOneLine) {
  ListModel list = sms::MakeMessageList();
  ListRow& row = list.add("4");
  for (const char* cell :
       {"+7\r\n1", "26/01/02,10:00:00+04", "kind", "9", "status", "a\r\nb\nc\x01"})
    sms::AddSubItem(row, cell);
  const std::string record = sms::ExportRecord(row);
  EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 13);
  EXPECT_NE(record.find("\r\n+7 1\r\n"), std::string::npos) << record;
  EXPECT_NE(record.find("\r\na b c\r\n"), std::string::npos) << record;
}

TEST_F(StoredMessages, CancelledExportStillDeselectsAndEmptySelectionWritesAnEmptyFile) {
  startPhone(Inbox());
  readInbox();
  select({0});
  ui_.saves = {std::nullopt};
  section_.sbSMSSaveClick(ui_);
  EXPECT_EQ(section_.lvSMS.selectedCount(), 0);
  ui_.saves = {path("empty.txt")};
  section_.sbSMSSaveClick(ui_);
  EXPECT_TRUE(std::filesystem::exists(path("empty.txt")));
  EXPECT_EQ(readFile("empty.txt"), "");
}

TEST_F(StoredMessages, ExportToAnUnwritablePlaceIsReported) {
  startPhone(Inbox());
  readInbox();
  select({0});
  ui_.saves = {path("no-dir/out.txt")};
  section_.sbSMSSaveClick(ui_);
  EXPECT_EQ(ui_.boxes,
            (std::vector<Box>{{Ru("Нет выбранной записи..."), MsgKind::Error, MsgButtons::Ok}}));
}

TEST_F(StoredMessages, ArchiveRowsAreDeletedWithAnEmptyIndexAndStayInTheFile) {
  startPhone(Inbox());
  writeFile("sms_archive.txt", "1;d;t\r\n2;e;u\r\n");
  click(sms::kArchive);
  select({0});
  section_.sbDeleteSMSClick(*app_);
  select({0});
  section_.pmMarkasReadClick(*app_);
  EXPECT_EQ(transcript(), (Transcript{"AT+CPMS=\"MT\"", "AT+CMGD=", "AT+MMAR="}));
  EXPECT_EQ(section_.lvSMS.rows.size(), 1u);
  EXPECT_EQ(readFile("sms_archive.txt"), "1;d;t\r\n2;e;u\r\n");
  click(sms::kArchive);
  EXPECT_EQ(section_.lvSMS.rows.size(), 2u);
}

TEST_F(StoredMessages, PortFailuresAreCaughtWithOneText) {
  SavePortSettings({path("no-such-port"), 115200, 3000}, path("portcfg.ini"));
  section_.lvSMS.add("1").selected = true;
  section_.sbDeleteSMSClick(*app_);
  section_.pmMarkasReadClick(*app_);
  section_.pmSendSMSClick(*app_);
  ui_.answer = MsgResult::Yes;
  section_.sbSMSDeleteAllClick(*app_);
  const Box none{Ru("Нет выбранной записи..."), MsgKind::Error, MsgButtons::Ok};
  EXPECT_EQ(ui_.boxes,
            (std::vector<Box>{none,
                              none,
                              none,
                              {"Delete all messages?!", MsgKind::Question, MsgButtons::YesNo},
                              none}));
  EXPECT_TRUE(ui_.errors.empty());
}

}  // namespace
}  // namespace quorvex
