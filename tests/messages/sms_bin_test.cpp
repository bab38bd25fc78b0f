// Messages and the bin: every delete keeps the messages before its first "AT+CMGD=", an
// unwritable bin stops it, outgoing messages are stored back and incoming ones exported.
#include <gtest/gtest.h>

#include <filesystem>

#include "bin_watch.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "core/bin_file.h"
#include "messages/sms_export.h"
#include "sms_fixture.h"

namespace quorvex {
namespace {

using sim::MessageStatus;
using sim::MessageStore;
using testing::Box;
using testing::Msg;
using Strings = std::vector<std::string>;

sim::HandsetState Outbox() {
  sim::HandsetState s = sim::EmptyState();
  s.messages[2] = Msg(MessageStore::Outgoing, MessageStatus::StoUnsent, "+111", "", "One");
  s.messages[5] =
      Msg(MessageStore::Outgoing, MessageStatus::StoUnsent, "+222", "", Ru("Привет,\r\nмир"));
  s.messages[7] = Msg(MessageStore::Outgoing, MessageStatus::StoUnsent, "+333", "", "Three");
  s.messages[9] = Msg(MessageStore::Incoming, MessageStatus::RecRead, "+79160000001",
                      "26/01/01,10:00:00+04", Ru("Входящее"));
  return s;
}

class SmsBin : public testing::SmsTest {
 public:
  // The table rows drive the fixture from outside.
  using AppStateTest::app_;
  using HandsetTest::ui_;
  using SmsTest::section_;

  void start() {
    sim::SimOptions o;
    watch_.path = app_->binPath;
    o.onCommand = watch_.onCommand();
    startPhone(Outbox(), o);
  }
  void read(int folder) {
    click(folder);
    phone().clearTranscript();
  }
  Strings firstSeen() { return watch_.firstSeen(); }
  void selectAll() {
    for (ListRow& r : section_.lvSMS.rows) r.selected = true;
  }
  void sendAndDelete() {
    section_.runDialog = [this](sms::TfrmSaveSMS& d) {
      d.cbAbonentsText = "+444";
      d.RadioGroup.itemIndex = 2;
      d.SetMemoText("Gone");
      d.SpeedButton1Click(ui_);
    };
    section_.sbSMSNewClick(*app_, ListModel{});
  }

  testing::BinWatch watch_{"AT+CMGD="};
};

TEST_F(SmsBin, EachDeleteKeepsItsMessagesBeforeTheFirstErase) {
  struct Case {
    const char* what;
    std::function<void(SmsBin&)> run;
    Strings kept;
    const char* operation;
    const char* memory;
  };
  const Case cases[] = {
      {"one",
       [](SmsBin& t) {
         t.read(sms::kUnsent);
         t.section_.lvSMS.selectOnly(1);
         t.section_.sbDeleteSMSClick(*t.app_);
       },
       {"+222"},
       "delete",
       "OM"},
      {"several",
       [](SmsBin& t) {
         t.read(sms::kUnsent);
         t.selectAll();
         t.section_.sbDeleteSMSClick(*t.app_);
       },
       {"+111", "+222", "+333"},
       "delete",
       "OM"},
      {"all of the inbox",
       [](SmsBin& t) {
         t.read(sms::kIncoming);
         t.ui_.answer = MsgResult::Yes;
         t.section_.sbSMSDeleteAllClick(*t.app_);
       },
       {"+79160000001"},
       "delete-all",
       "IM"},
      {"send and delete", [](SmsBin& t) { t.sendAndDelete(); }, {"+444"}, "send-delete", "OM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    watch_.clear();
    start();
    c.run(*this);
    EXPECT_EQ(firstSeen(), c.kept);
    const BinContents bin = ReadBin(app_->binPath);
    ASSERT_EQ(bin.records.size(), c.kept.size());
    for (const BinRecord& r : bin.records) {
      EXPECT_EQ(r.operation, c.operation);
      EXPECT_EQ(r.memory, c.memory);
      ASSERT_EQ(r.data.size(), 4u);
      EXPECT_EQ(Ucs2MessageToText(r.data[3]), r.text) << "the handset's hex beside the text";
    }
  }
}

TEST_F(SmsBin, AnUnwritableBinErasesNothing) {
  struct Case {
    const char* what;
    std::function<void(SmsBin&)> run;
    Strings sent;
    std::string untouched;
    std::size_t messagesLeft;
  };
  const Case cases[] = {
      {"delete",
       [](SmsBin& t) {
         t.read(sms::kUnsent);
         t.selectAll();
         t.section_.sbDeleteSMSClick(*t.app_);
       },
       {"AT+CPMS=\"MT\""},
       Ru("Ничего не удалено."),
       4},
      {"delete all",
       [](SmsBin& t) {
         t.read(sms::kUnsent);
         t.ui_.answer = MsgResult::Yes;
         t.section_.sbSMSDeleteAllClick(*t.app_);
       },
       {},
       Ru("Ничего не удалено."),
       4},
      {"send and delete",
       [](SmsBin& t) { t.sendAndDelete(); },
       {"AT+CSCS=UCS2", "AT+CMGW=\"+444\"", "0047006F006E0065", "AT+CMSS=1"},
       Ru("Сообщение отправлено и оставлено в \"Исходящих\"."),
       5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    start();
    std::filesystem::create_directory(path("bin"));
    app_->binPath = path("bin");
    c.run(*this);
    EXPECT_EQ(transcript(), c.sent);
    EXPECT_EQ(phone().state().messages.size(), c.messagesLeft);
    Box refused{Ru("Не удалось сохранить в корзину то, что операция удалила бы: ") +
                    SystemErrorText(EISDIR) + ".\r\n" + c.untouched,
                MsgKind::Error, MsgButtons::Ok};
    ASSERT_FALSE(ui_.boxes.empty());
    EXPECT_EQ(ui_.boxes.back(), refused);
  }
}

TEST_F(SmsBin, OutgoingMessagesAreStoredBackAndIncomingOnesRefused) {
  start();
  read(sms::kUnsent);
  selectAll();
  section_.sbDeleteSMSClick(*app_);
  read(sms::kIncoming);
  section_.lvSMS.selectOnly(0);
  section_.sbDeleteSMSClick(*app_);
  ASSERT_TRUE(phone().state().messages.empty());
  const std::vector<BinRecord> records = ReadBin(app_->binPath).records;
  ASSERT_EQ(records.size(), 4u);
  phone().clearTranscript();

  const std::vector<BinRestoreResult> results = section_.RestoreFromBin(*app_, records);
  ASSERT_EQ(results.size(), 4u);
  const Strings where = {results[0].where, results[1].where, results[2].where, results[3].where};
  EXPECT_EQ(where,
            (Strings{Ru("в \"Исходящие\" под номером 1"), Ru("в \"Исходящие\" под номером 2"),
                     Ru("в \"Исходящие\" под номером 3"),
                     Ru("входящее сообщение в телефон не вернуть; его можно "
                        "экспортировать")}));
  EXPECT_FALSE(results[3].restored);
  const auto messages = phone().state().messages;
  ASSERT_EQ(messages.size(), 3u);
  const sim::HandsetState was = Outbox();
  int k = 1;
  for (int index : {2, 5, 7}) {
    EXPECT_EQ(messages.at(k).number, was.messages.at(index).number);
    EXPECT_EQ(messages.at(k).text, was.messages.at(index).text);
    ++k;
  }
  EXPECT_EQ(transcript()[0], "AT+CSCS=UCS2");

  // The incoming one goes to a file instead, as its folder's export would write it.
  const std::vector<ListRow> rows = sms::MessageRowsFromBin({records[3]});
  ASSERT_EQ(rows.size(), 1u);
  const std::string csv = sms::FormatMessagesCsv(Ru("Корзина"), rows);
  EXPECT_NE(csv.find("\"+79160000001\""), std::string::npos) << csv;
  EXPECT_NE(csv.find("\"2026-01-01\",\"10:00:00+01:00\""), std::string::npos) << csv;
  EXPECT_NE(csv.find("\xD0\x92\xD1\x85\xD0\xBE\xD0\xB4\xD1\x8F\xD1\x89\xD0\xB5\xD0\xB5"),
            std::string::npos)
      << "the text, in UTF-8";
}

// Each record goes back into the folder it was deleted from: the memory is selected before
// its store, and a sent message keeps its status.
TEST_F(SmsBin, StoredBackIntoTheFolderEachCameFrom) {
  const std::vector<BinRecord> records = {
      sms::MessageBinRecord({"6", sms::kSent, "\"STO SENT\"", {"222", "", "0053"}}, "delete"),
      sms::MessageBinRecord({"8", sms::kUnsent, "\"STO UNSENT\"", {"+333", "", "0055"}}, "delete"),
      sms::MessageBinRecord({"4", sms::kDrafts, "\"STO UNSENT\"", {"+111", "", "0044"}}, "delete"),
  };
  struct Case {
    const char* what;
    Strings errorOn;
    Strings sent;
    Strings where;
    // The numbers the folders list afterwards: drafts, sent, unsent.
    std::vector<Strings> listed;
  };
  const Case cases[] = {
      {"each folder selected once",
       {},
       {"AT+CSCS=UCS2", "AT+CPMS?", "AT+CPMS=\"OM\",\"OM\"", "AT+CMGW=\"222\",129,\"STO SENT\"",
        "0053", "AT+CMGW=\"+333\"", "0055", "AT+CPMS=\"DM\",\"DM\"", "AT+CMGW=\"+111\"", "0044",
        "AT+CPMS=\"IM\",\"OM\""},
       {Ru("в \"Отправленные\" под номером 1"), Ru("в \"Исходящие\" под номером 2"),
        Ru("в \"Черновики\" под номером 3")},
       {{"+111"}, {"222"}, {"+333"}}},
      {"drafts refused",
       {"AT+CPMS=\"DM\""},
       {"AT+CSCS=UCS2", "AT+CPMS?", "AT+CPMS=\"OM\",\"OM\"", "AT+CMGW=\"222\",129,\"STO SENT\"",
        "0053", "AT+CMGW=\"+333\"", "0055", "AT+CPMS=\"DM\",\"DM\"", "AT+CPMS=\"IM\",\"OM\""},
       {Ru("в \"Отправленные\" под номером 1"), Ru("в \"Исходящие\" под номером 2"),
        Ru("телефон не открыл папку \"Черновики\"")},
       {{}, {"222"}, {"+333"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    sim::SimOptions o;
    o.errorOn = c.errorOn;
    startPhone(sim::EmptyState(), o);
    const std::vector<BinRestoreResult> results = section_.RestoreFromBin(*app_, records);
    EXPECT_EQ(transcript(), c.sent);
    Strings where;
    for (const BinRestoreResult& r : results) where.push_back(r.where);
    EXPECT_EQ(where, c.where);
    std::vector<Strings> listed;
    for (int folder : {sms::kDrafts, sms::kSent, sms::kUnsent}) {
      click(folder);
      Strings numbers;
      for (const ListRow& row : section_.lvSMS.rows)
        numbers.push_back(section_.lvSMS.cellText(row, 1));
      listed.push_back(numbers);
    }
    EXPECT_EQ(listed, c.listed);

    // The handset's selection is as it was: a new message goes among the outgoing ones.
    section_.runDialog = [this](sms::TfrmSaveSMS& d) {
      d.cbAbonentsText = "+555";
      d.RadioGroup.itemIndex = 0;
      d.SetMemoText("Kept");
      d.SpeedButton1Click(ui_);
    };
    section_.sbSMSNewClick(*app_, ListModel{});
    Strings stores;
    for (const auto& [index, m] : phone().state().messages)
      if (m.number == "+555") stores.push_back(m.store == MessageStore::Outgoing ? "OM" : "other");
    EXPECT_EQ(stores, Strings{"OM"});
  }
}

// What selects back the memories the handset had selected before an operation chose its own.
TEST(StorageRestore, SelectsBackTheFirstTwoMemoriesOrThePowerOnOnes) {
  const std::pair<const char*, const char*> cases[] = {
      {"\r\n+CPMS: \"DM\",2,60,\"DM\",2,60,\"IM\",4,60\r\n\r\nOK\r\n", "AT+CPMS=\"DM\",\"DM\""},
      {"\r\n+CPMS: \"IM\",4,60,\"OM\",1,60\r\n\r\nOK\r\n", "AT+CPMS=\"IM\",\"OM\""},
      {"\r\n+CPMS: \"MT\",\"OM\"\r\n\r\nOK\r\n", "AT+CPMS=\"MT\",\"OM\""},
      {"\r\nERROR\r\n", "AT+CPMS=\"IM\",\"OM\""},
      {"\r\n+CPMS: \"DM\",2,60\r\n\r\nOK\r\n", "AT+CPMS=\"IM\",\"OM\""},
      {"\r\n+CPMS: \"DM\r\n\r\nOK\r\n", "AT+CPMS=\"IM\",\"OM\""},
      {"\r\n+CPMS: \"D;M\",1,1,\"OM\",1,1\r\n\r\nOK\r\n", "AT+CPMS=\"IM\",\"OM\""},
      {"\r\n+CPMS: \"dm\",1,1,\"OM\",1,1\r\n\r\nOK\r\n", "AT+CPMS=\"IM\",\"OM\""},
      {"", "AT+CPMS=\"IM\",\"OM\""},
  };
  for (const auto& [reply, command] : cases)
    EXPECT_EQ(sms::StorageRestoreCommand(reply), command) << reply;
}

}  // namespace
}  // namespace quorvex
