// Reading the message folders against the simulated handset: the exact commands, the rows
// they give, the archive they keep, and the failures they report.
#include <gtest/gtest.h>

#include "codec/errors.h"
#include "codec/ru.h"
#include "messages/message_rows.h"
#include "sms_fixture.h"

namespace quorvex {
namespace {

using sim::MessageStatus;
using sim::MessageStore;
using testing::Box;
using testing::Msg;
using testing::SmsTest;
using Rows = std::vector<std::vector<std::string>>;
using Transcript = std::vector<std::string>;

constexpr const char* kWhen1 = "26/11/28,12:00:00+12";
constexpr const char* kWhen2 = "26/12/08,01:30:05+04";

sim::HandsetState Handset() {
  sim::HandsetState s = sim::EmptyState();
  s.messages[3] =
      Msg(MessageStore::Incoming, MessageStatus::RecRead, "+79168900100", kWhen1, "Balance 150");
  s.messages[12] =
      Msg(MessageStore::Incoming, MessageStatus::RecUnread, "+4930123456", kWhen2, "A\nB");
  s.messages[7] = Msg(MessageStore::Outgoing, MessageStatus::StoSent, "+4930123456", "", "OK, bye");
  s.messages[8] = Msg(MessageStore::Outgoing, MessageStatus::StoUnsent, "112", "", Ru("Привет"));
  s.messages[9] = Msg(MessageStore::Drafts, MessageStatus::StoUnsent, "", "", "Draft reply");
  return s;
}

// Caption and sub-item texts of every row; images of the kind and status cells apart.
Rows RowsOf(const ListModel& list) {
  Rows rows;
  for (const ListRow& r : list.rows) {
    std::vector<std::string> cells{r.caption};
    for (const ListCell& c : r.subItems) cells.push_back(c.text);
    rows.push_back(cells);
  }
  return rows;
}

std::vector<std::pair<int, int>> KindAndStatusImages(const ListModel& list) {
  std::vector<std::pair<int, int>> images;
  for (const ListRow& r : list.rows) images.push_back({r.subItems[2].image, r.subItems[4].image});
  return images;
}

class ReadFolder : public SmsTest {};

TEST_F(ReadFolder, IncomingCutsEachReplyByItsStatusAndArchivesTheMessages) {
  startPhone(Handset());
  click(sms::kIncoming);

  EXPECT_EQ(transcript(), (Transcript{"AT+CSCS=UCS2", "AT+CPMS=\"IM\"", "AT+MMGL=\"HEADER ONLY\"",
                                      "AT+MMGR=3", "AT+MMGR=12"}));
  const std::string in = Ru("входящее");
  EXPECT_EQ(RowsOf(section_.lvSMS),
            (Rows{{"3", "+79168900100", kWhen1, in, "11", Ru("прочитано"), "Balance 150"},
                  {"12", "+4930123456", kWhen2, in, "3", Ru("не прочитано"), "A\nB"}}));
  EXPECT_EQ(KindAndStatusImages(section_.lvSMS),
            (std::vector<std::pair<int, int>>{{36, 34}, {36, 35}}));
  EXPECT_FALSE(section_.lvSMS.rows[0].bold);
  EXPECT_TRUE(section_.lvSMS.rows[1].bold);
  EXPECT_EQ(section_.tvSMS[sms::kIncoming].caption, Ru("Входящие (2)"));
  EXPECT_TRUE(section_.pmSMSRead.enabled);
  EXPECT_TRUE(section_.N18.enabled);
  EXPECT_EQ(busy_.calls, (std::vector<bool>{false, true}));
  EXPECT_EQ(section_.pbReadSMS.Max, 1);
  EXPECT_EQ(section_.pbReadSMS.Position, 0);
  EXPECT_EQ(ui_.pumps.size(), 2u);
  EXPECT_TRUE(ui_.boxes.empty());
  // The list keeps the text's line break; the archive has one line per record, so there it
  // is a blank.
  EXPECT_EQ(readFile("sms_archive.txt"), std::string("+79168900100;") + kWhen1 +
                                             ";Balance 150\r\n+4930123456;" + kWhen2 + ";A B\r\n");
}

TEST_F(ReadFolder, SecondReadAppendsNothingAndOnlyNewDateTimesAreAppended) {
  const std::string earlier = std::string("+1;") + kWhen1 + ";kept as it was\r\n";
  writeFile("sms_archive.txt", earlier);
  startPhone(Handset());
  click(sms::kIncoming);
  const std::string once = readFile("sms_archive.txt");
  EXPECT_EQ(once, earlier + "+4930123456;" + kWhen2 + ";A B\r\n");
  click(sms::kIncoming);
  EXPECT_EQ(readFile("sms_archive.txt"), once);
}

TEST_F(ReadFolder, TwoNewMessagesWithOneDateTimeAreBothAppended) {
  sim::HandsetState s = sim::EmptyState();
  s.messages[1] = Msg(MessageStore::Incoming, MessageStatus::RecRead, "1", kWhen1, "x");
  s.messages[2] = Msg(MessageStore::Incoming, MessageStatus::RecRead, "2", kWhen1, "y");
  startPhone(s);
  click(sms::kIncoming);
  EXPECT_EQ(readFile("sms_archive.txt"),
            std::string("1;") + kWhen1 + ";x\r\n2;" + kWhen1 + ";y\r\n");
}

struct OutCase {
  const char* name;
  int node;
  Transcript commands;
  Rows rows;
  std::vector<std::pair<int, int>> images;
  const char* caption;  // UTF-8
};

class ReadOutgoing : public SmsTest, public ::testing::WithParamInterface<OutCase> {};

TEST_P(ReadOutgoing, ListsOnlyItsKindAndLeavesTheArchiveAlone) {
  const OutCase& c = GetParam();
  writeFile("sms_archive.txt", "a;b;c\r\n");
  startPhone(Handset());
  click(c.node);
  EXPECT_EQ(transcript(), c.commands);
  Rows expected = c.rows;
  for (auto& row : expected)
    for (auto& cell : row) cell = Ru(cell);
  EXPECT_EQ(RowsOf(section_.lvSMS), expected);
  EXPECT_EQ(KindAndStatusImages(section_.lvSMS), c.images);
  EXPECT_EQ(section_.tvSMS[static_cast<std::size_t>(c.node)].caption, Ru(c.caption));
  EXPECT_EQ(readFile("sms_archive.txt"), "a;b;c\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ReadOutgoing,
    ::testing::Values(
        OutCase{"Sent",
                sms::kSent,
                {"AT+CSCS=UCS2", "AT+CPMS=\"OM\"", "AT+MMGL=\"HEADER ONLY\"", "AT+MMGR=7"},
                {{"7", "+4930123456", "-------------", "исходящее", "7", "отправлено", "OK, bye"}},
                {{33, 37}},
                "Отправленные (1)"},
        OutCase{"Unsent",
                sms::kUnsent,
                {"AT+CSCS=UCS2", "AT+CPMS=\"OM\"", "AT+MMGL=\"HEADER ONLY\"", "AT+MMGR=8"},
                {{"8", "112", "-------------", "исходящее", "6", "не отправлено", "Привет"}},
                {{33, 38}},
                "Исходящие (1)"},
        OutCase{"Drafts",
                sms::kDrafts,
                {"AT+CSCS=UCS2", "AT+CPMS=\"DM\"", "AT+MMGL=\"HEADER ONLY\"", "AT+MMGR=9"},
                {{"9", "", "-------------", "черновик", "11", "не отправлено", "Draft reply"}},
                {{30, 38}},
                "Черновики (1)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadFolder, EmptyStorageSendsTheListingAndWritesNoArchive) {
  startPhone(sim::EmptyState());
  click(sms::kIncoming);
  EXPECT_EQ(transcript(),
            (Transcript{"AT+CSCS=UCS2", "AT+CPMS=\"IM\"", "AT+MMGL=\"HEADER ONLY\""}));
  EXPECT_TRUE(section_.lvSMS.rows.empty());
  EXPECT_EQ(section_.tvSMS[sms::kIncoming].caption, Ru("Входящие (0)"));
  EXPECT_FALSE(std::filesystem::exists(path("sms_archive.txt")));
  EXPECT_EQ(section_.pbReadSMS.Max, 0);
}

TEST_F(ReadFolder, MissingArchiveReadsAsEmptyAndTheFirstAppendCreatesIt) {
  startPhone(Handset());
  ASSERT_FALSE(std::filesystem::exists(path("sms_archive.txt")));
  click(sms::kIncoming);
  EXPECT_EQ(section_.lvSMS.rows.size(), 2u);
  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_NE(readFile("sms_archive.txt").find("+79168900100;"), std::string::npos);
}

struct FailCase {
  const char* name;
  int node;
  const char* refused;  // the command the handset answers ERROR
  const char* message;  // UTF-8
  std::size_t commands;
};

class ReadFailure : public SmsTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(ReadFailure, ReportsItsNumberAndStopsTheFolder) {
  const FailCase& c = GetParam();
  sim::SimOptions o;
  o.errorOn = {c.refused};
  startPhone(Handset(), o);
  section_.lvSMS.add("old");
  section_.mmSMS = "earlier";
  click(c.node);
  EXPECT_EQ(ui_.boxes, (std::vector<Box>{{Ru(c.message), MsgKind::Error, MsgButtons::Ok}}));
  EXPECT_EQ(transcript().size(), c.commands);
  EXPECT_EQ(busy_.calls.back(), true);
  // Only a refused character set leaves the old rows; the caption counts what is listed.
  const std::size_t rows = std::string(c.refused) == "AT+CSCS" ? 1u : 0u;
  EXPECT_EQ(section_.lvSMS.rows.size(), rows);
  // The memo goes with the old rows.
  EXPECT_EQ(section_.mmSMS, rows == 1 ? "earlier" : "");
  EXPECT_FALSE(section_.LastReadComplete);
  EXPECT_NE(section_.tvSMS[static_cast<std::size_t>(c.node)].caption.find(
                " (" + std::to_string(rows) + ")"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ReadFailure,
    ::testing::Values(
        FailCase{"Charset", sms::kIncoming, "AT+CSCS", "Проблемы с подключением. 7", 1},
        FailCase{"IncomingStorage", sms::kIncoming, "AT+CPMS", "Проблемы с подключением. 2", 2},
        FailCase{"IncomingListing", sms::kIncoming, "AT+MMGL", "Проблемы с подключением. 1", 3},
        FailCase{"OutgoingStorage", sms::kSent, "AT+CPMS", "Проблемы с подключением. 4", 2},
        FailCase{"OutgoingListing", sms::kUnsent, "AT+MMGL", "Проблемы с подключением. 3", 3},
        FailCase{"DraftsStorage", sms::kDrafts, "AT+CPMS", "Проблемы с подключением. 6", 2},
        FailCase{"DraftsListing", sms::kDrafts, "AT+MMGL", "Проблемы с подключением. 5", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadFolder, CharsetFailureLeavesTheBusyStateUntouchedButStillIdles) {
  sim::SimOptions o;
  o.errorOn = {"AT+CSCS"};
  startPhone(Handset(), o);
  click(sms::kIncoming);
  EXPECT_EQ(busy_.calls, std::vector<bool>{true});
}

TEST_F(ReadFolder, PortFailureLeavesBusyKeepsRowsAndCaption) {
  sim::SimOptions o;
  o.hangupAfter = 4;  // answers the listing and the first message, then hangs up
  startPhone(Handset(), o);
  section_.selectNode(sms::kIncoming);
  EXPECT_FALSE(RunHandler(ui_, [&] { section_.tvSMSClick(*app_); }));
  ASSERT_EQ(ui_.errors.size(), 1u);
  EXPECT_EQ(section_.lvSMS.rows.size(), 1u);
  EXPECT_FALSE(section_.LastReadComplete);
  EXPECT_EQ(section_.tvSMS[sms::kIncoming].caption, Ru("Входящие"));
  EXPECT_EQ(busy_.calls, (std::vector<bool>{false, true}));
  EXPECT_EQ(section_.pbReadSMS.Position, 0);
  EXPECT_FALSE(std::filesystem::exists(path("sms_archive.txt")));
}

TEST_F(ReadFolder, UnreadableArchiveRaisesBeforeThePortIsTouched) {
  std::filesystem::create_directory(path("sms_archive.txt"));
  startPhone(Handset());
  section_.selectNode(sms::kIncoming);
  EXPECT_FALSE(RunHandler(ui_, [&] { section_.tvSMSClick(*app_); }));
  EXPECT_EQ(ui_.errors.size(), 1u);
  EXPECT_TRUE(transcript().empty());
  EXPECT_TRUE(busy_.calls.empty());
}

TEST_F(ReadFolder, PhoneNodeReadsNothingAndDisablesRead) {
  startPhone(Handset());
  section_.pmSMSRead.enabled = section_.N18.enabled = true;
  click(sms::kPhone);
  EXPECT_TRUE(transcript().empty());
  EXPECT_FALSE(section_.pmSMSRead.enabled);
  EXPECT_FALSE(section_.N18.enabled);
}

TEST_F(ReadFolder, EnterReadsTheSelectedFolderEvenWhileReadIsDisabled) {
  startPhone(Handset());
  section_.ShowSection();
  ASSERT_FALSE(section_.pmSMSRead.enabled);
  section_.selectNode(sms::kDrafts);
  section_.HotKey(*app_, sms::kKeyF5, ListModel{});
  EXPECT_TRUE(transcript().empty());
  section_.tvSMSKeyDown(*app_, sms::kKeyEnter);
  EXPECT_EQ(section_.lvSMS.rows.size(), 1u);
  section_.HotKey(*app_, sms::kKeyF5, ListModel{});
  EXPECT_EQ(transcript().size(), 8u);
}

TEST_F(ReadFolder, ClearRestoresThePhoneFolderCaptionsButNotTheArchive) {
  writeFile("sms_archive.txt", "1;d;t\r\n");
  startPhone(Handset());
  click(sms::kIncoming);
  click(sms::kArchive);
  section_.lvSMS.selectOnly(0);
  section_.lvSMSClick();
  EXPECT_EQ(section_.mmSMS, "t");
  section_.SpeedButton12Click();
  EXPECT_TRUE(section_.lvSMS.rows.empty());
  EXPECT_EQ(section_.mmSMS, "");
  EXPECT_EQ(section_.tvSMS[sms::kIncoming].caption, Ru("Входящие"));
  // The earlier record and the two appended ones.
  EXPECT_EQ(section_.tvSMS[sms::kArchive].caption, Ru("Архив (3)"));

  click(sms::kArchive);
  section_.lvSMS.selectOnly(0);
  section_.lvSMSClick();
  section_.pmSMSClearClick();
  EXPECT_TRUE(section_.lvSMS.rows.empty());
  EXPECT_EQ(section_.mmSMS, "t");
}

// The memo shows the clicked message of the list; a read fills the list anew with no row
// clicked, so the memo shows none, whether the folder is another or the same.
TEST_F(ReadFolder, ReadingAFolderEmptiesTheMemo) {
  writeFile("sms_archive.txt", "1;d;t\r\n");
  startPhone(Handset());
  click(sms::kDrafts);
  for (const int folder : {sms::kSent, sms::kIncoming, sms::kIncoming, sms::kArchive}) {
    SCOPED_TRACE(folder);
    section_.lvSMS.selectOnly(0);
    section_.lvSMSClick();
    ASSERT_FALSE(section_.mmSMS.empty());
    click(folder);
    EXPECT_EQ(section_.mmSMS, "");
  }
}

TEST_F(ReadFolder, ArchiveViewRules) {
  writeFile("sms_archive.txt", "123;D;a;b\r\n\r\nno separator\r\nlast;line");
  click(sms::kArchive);
  const std::string kind = Ru("архив"), status = Ru("сохранено");
  EXPECT_EQ(RowsOf(section_.lvSMS), (Rows{{"", "123", "D", kind, "3", status, "a;b"},
                                          {"", "", "", kind, "12", status, "no separator"},
                                          {"", "last", "", kind, "4", status, "line"}}));
  for (const ListRow& r : section_.lvSMS.rows)
    for (const ListCell& c : r.subItems) EXPECT_EQ(c.image, kNoImage);
  EXPECT_EQ(section_.tvSMS[sms::kArchive].caption, Ru("Архив (3)"));
}

TEST_F(ReadFolder, MissingArchiveViewsAsEmpty) {
  section_.lvSMS.add("9");
  click(sms::kArchive);
  EXPECT_TRUE(section_.lvSMS.rows.empty());
  EXPECT_EQ(section_.tvSMS[sms::kArchive].caption, Ru("Архив (0)"));
}

}  // namespace
}  // namespace quorvex

namespace quorvex::sms {
namespace {

struct HeaderCase {
  const char* line;
  const char* index;
  const char* status;
};

class ListingHeaderCut : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ListingHeaderCut, IndexAndQuotedStatus) {
  const ListingHeader h = CutListingHeader(GetParam().line);
  EXPECT_EQ(h.index, GetParam().index);
  EXPECT_EQ(h.status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ListingHeaderCut,
    ::testing::Values(HeaderCase{"+MMGL: 12, \"REC UNREAD\", \"+7916\", \"26/01/01,10:00\"", "12",
                                 "\"REC UNREAD\""},
                      HeaderCase{"+MMGL: 7, \"STO SENT\", \"+1\"", "7", "\"STO SENT\""},
                      HeaderCase{"+MMGL: 7, \"STO SENT\"", "7", ""}, HeaderCase{"+MMGL:", "", ""},
                      HeaderCase{"", "", ""}));

TEST(SplitListing, TakesCountLinesAndStopsWhereTheListingEnds) {
  const std::string reply = "\r\n+MMGL: 1, \"A\"\r\n+MMGL: 2, \"B\"\r\n\r\nOK\r\n";
  EXPECT_EQ(SplitListing(reply, 1), std::vector<std::string>{"+MMGL: 1, \"A\""});
  EXPECT_EQ(SplitListing(reply, 2),
            (std::vector<std::string>{"+MMGL: 1, \"A\"", "+MMGL: 2, \"B\""}));
  // A count past the listing's lines stops before the final result line.
  EXPECT_EQ(SplitListing(reply, 3),
            (std::vector<std::string>{"+MMGL: 1, \"A\"", "+MMGL: 2, \"B\""}));
  EXPECT_EQ(SplitListing(reply, 2147483647).size(), 2u);
  EXPECT_TRUE(SplitListing(reply, 0).empty());
  EXPECT_TRUE(SplitListing(reply, -3).empty());
}

TEST(CutMessageCount, FirstValueOfTheStorageReply) {
  EXPECT_EQ(CutMessageCount("\r\n+CPMS: 3,30,3,30,3,30\r\n\r\nOK\r\n"), 3);
  EXPECT_EQ(CutMessageCount("\r\n+CPMS: 0,30,0,30,0,30\r\n\r\nOK\r\n"), 0);
  EXPECT_EQ(CutMessageCount("\r\n+CPMS: $1F,30\r\n"), 31);
  // No comma: the count is empty and does not convert.
  EXPECT_THROW(CutMessageCount("\r\nOK\r\n"), EConvertError);
  EXPECT_THROW(CutMessageCount(""), EConvertError);
  EXPECT_THROW(CutMessageCount("\r\n+CPMS: x,30\r\n"), EConvertError);
}

struct ReadingCase {
  const char* name;
  std::string reply;
  Folder folder;
  const char* status;
  MessageReading want;
};

class MessageReadingCut : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(MessageReadingCut, NumberDateAndHexLine) {
  const ReadingCase& c = GetParam();
  const MessageReading got = CutMessageReading(c.reply, c.folder, c.status);
  EXPECT_EQ(got.number, c.want.number);
  EXPECT_EQ(got.dateTime, c.want.dateTime);
  EXPECT_EQ(got.hexText, c.want.hexText);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, MessageReadingCut,
    ::testing::Values(
        ReadingCase{"Read",
                    "\r\n+MMGR: \"REC READ\", \"+7916\", \"26/01/01,10:00\"\r\n0041\r\n\r\nOK\r\n",
                    kIncoming,
                    "\"REC READ\"",
                    {"+7916", "26/01/01,10:00", "0041"}},
        ReadingCase{"Unread",
                    "\r\n+MMGR: \"REC UNREAD\", \"112\", \"26/12/08,01:30:05+04\"\r\n00410042\r\n",
                    kIncoming,
                    "\"REC UNREAD\"",
                    {"112", "26/12/08,01:30:05+04", "00410042"}},
        ReadingCase{"Sent",
                    "\r\n+MMGR: \"STO SENT\", \"+4930\"\r\n0042\r\n\r\nOK\r\n",
                    kSent,
                    "\"STO SENT\"",
                    {"+4930", "", "0042"}},
        ReadingCase{"Unsent",
                    "\r\n+MMGR: \"STO UNSENT\", \"112\"\r\n0043\r\n\r\nOK\r\n",
                    kUnsent,
                    "\"STO UNSENT\"",
                    {"112", "", "0043"}},
        // A draft's prefix goes by the unsent length whatever its header said.
        ReadingCase{"Draft",
                    "\r\n+MMGR: \"STO UNSENT\", \"\"\r\n0044\r\n\r\nOK\r\n",
                    kDrafts,
                    "\"STO SENT\"",
                    {"", "", "0044"}},
        // A silent handset: nothing to cut, and nothing read outside the reply.
        ReadingCase{"EmptyIncoming", "", kIncoming, "\"REC READ\"", {"", "", ""}},
        ReadingCase{"EmptyDraft", "", kDrafts, "", {"", "", ""}},
        ReadingCase{"ErrorIncoming", "\r\nERROR\r\n", kIncoming, "\"REC UNREAD\"", {"", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvex::sms
