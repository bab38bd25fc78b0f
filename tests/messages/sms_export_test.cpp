// Messages to CSV and mbox, read back by a strict CSV reader and an mbox splitter written
// here: tricky texts survive cell by cell and message by message, formula-like cells are
// defused, and a read of the demo handset's folders comes back whole.
#include "messages/sms_export.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "codec/cp1251.h"
#include "codec/errors.h"
#include "codec/ru.h"
#include "messages/message_rows.h"
#include "sms_fixture.h"

namespace quorvex::sms {
namespace {

using Table = std::vector<std::vector<std::string>>;

// RFC 4180, strictly: every field must be quoted, and every record must end with CR LF.
// Returns nullopt (with the reason in *why) for anything else.
std::optional<Table> ReadCsv(std::string_view s, std::string* why) {
  Table table;
  std::vector<std::string> record;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '"') {
      *why = "unquoted field at " + std::to_string(i);
      return std::nullopt;
    }
    ++i;
    std::string field;
    for (;;) {
      if (i >= s.size()) {
        *why = "unterminated quote";
        return std::nullopt;
      }
      if (s[i] == '"') {
        if (i + 1 < s.size() && s[i + 1] == '"') {
          field += '"';
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      field += s[i++];
    }
    record.push_back(field);
    if (i < s.size() && s[i] == ',') {
      ++i;
      continue;
    }
    if (s.substr(i, 2) != "\r\n") {
      *why = "record not ended by CR LF at " + std::to_string(i);
      return std::nullopt;
    }
    i += 2;
    table.push_back(std::move(record));
    record.clear();
  }
  return table;
}

const std::string kBom = "\xEF\xBB\xBF";

Table Csv(const std::string& text) {
  EXPECT_EQ(text.substr(0, 3), kBom);
  std::string why;
  auto t = ReadCsv(std::string_view(text).substr(3), &why);
  EXPECT_TRUE(t.has_value()) << why << "\n" << text;
  return t.value_or(Table{});
}

ListRow Row(std::string caption, std::string number, std::string dateTime, std::string kind,
            std::string status, std::string text) {
  ListRow r;
  r.caption = std::move(caption);
  for (std::string* s : {&number, &dateTime, &kind}) r.subItems.push_back({*s, kNoImage});
  r.subItems.push_back({std::to_string(text.size()), kNoImage});
  r.subItems.push_back({status, kNoImage});
  r.subItems.push_back({text, kNoImage});
  return r;
}

ListRow Incoming(std::string caption, std::string number, std::string dateTime, std::string text) {
  return Row(std::move(caption), std::move(number), std::move(dateTime), KindIncoming(),
             StatusRead(), std::move(text));
}

struct TrickyText {
  const char* name;
  std::string text;  // cp1251
  std::string cell;  // what the CSV cell must read, UTF-8
  std::string body;  // what the mbox message's text must read after unescaping, UTF-8
};

std::vector<TrickyText> Tricky() {
  return {
      {"plain", "Hello", "Hello", "Hello\n"},
      {"quotes", "He said \"hi\"", "He said \"hi\"", "He said \"hi\"\n"},
      {"only_quotes", "\"\"", "\"\"", "\"\"\n"},
      {"comma_semicolon", "a,b;c", "a,b;c", "a,b;c\n"},
      {"crlf_inside", "one\r\ntwo", "one\r\ntwo", "one\ntwo\n"},
      {"lf_inside", "one\ntwo\n", "one\ntwo\n", "one\ntwo\n"},
      {"lone_cr", "one\rtwo", "one\rtwo", "one\ntwo\n"},
      {"formula_equals", "=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")", "=HYPERLINK(\"x\")\n"},
      {"formula_plus", "+1+2", "'+1+2", "+1+2\n"},
      {"formula_minus", "-5+A1", "'-5+A1", "-5+A1\n"},
      {"plain_negative", "-5", "-5", "-5\n"},
      {"plain_fraction", "+1.25", "+1.25", "+1.25\n"},
      {"two_points", "-1.2.3", "'-1.2.3", "-1.2.3\n"},
      {"sign_alone", "-", "'-", "-\n"},
      {"minus_letters", "-A1", "'-A1", "-A1\n"},
      {"number_then_blank", "+7 916", "'+7 916", "+7 916\n"},
      {"formula_at", "@SUM(A1)", "'@SUM(A1)", "@SUM(A1)\n"},
      {"leading_tab", "\tx", "'\tx", "\tx\n"},
      {"leading_cr", "\rx", "'\rx", "\nx\n"},
      {"equals_later", "a=b", "a=b", "a=b\n"},
      {"from_at_line_start", "From me\nFrom you", "From me\nFrom you", "From me\nFrom you\n"},
      {"quoted_from", ">From x\n>>From y", ">From x\n>>From y", ">From x\n>>From y\n"},
      {"from_without_blank", "Fromage", "Fromage", "Fromage\n"},
      {"cyrillic", Ru("Привет, мир! Ёж"), "Привет, мир! Ёж", "Привет, мир! Ёж\n"},
      {"empty", "", "", ""},
      {"blank_lines", "a\n\nb", "a\n\nb", "a\n\nb\n"},
      // A row of the archive holds whatever its line held: no control character but line
      // breaks and TAB reaches a cell or a mail.
      {"control_characters", std::string("a\x01\tb\0c\x7F\r\nd", 11), "a\tbc\r\nd", "a\tbc\nd\n"},
  };
}

// ---- CSV

TEST(MessagesCsv, TrickyTextsComeBackCellByCell) {
  const auto cases = Tricky();
  std::vector<ListRow> rows;
  for (std::size_t k = 0; k < cases.size(); ++k)
    rows.push_back(Incoming(std::to_string(k + 1), "123", "26/12/01,09:15:32+12", cases[k].text));
  const Table t = Csv(FormatMessagesCsv(Ru("Входящие"), rows));
  ASSERT_EQ(t.size(), cases.size() + 1);
  EXPECT_EQ(t[0], (std::vector<std::string>{"Папка", "Статус", "Номер", "Дата", "Время", "Текст"}));
  for (std::size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(cases[k].name);
    EXPECT_EQ(t[k + 1], (std::vector<std::string>{"Входящие", "прочитано", "123", "2026-12-01",
                                                  "09:15:32+03:00", cases[k].cell}));
  }
}

TEST(MessagesCsv, NumbersStayAsTheyAreOtherCellsAreDefused) {
  const std::vector<ListRow> rows = {
      Incoming("1", "+79161234501", "26/12/01,09:15:32+12", "x"),
      Incoming("2", "=cmd|' /C calc'!A0", "", "x"),
      Row("3", "-1", kNoDateTime, KindOutgoing(), "@status", "x"),
      Incoming("4", "+7\x1B", "26/12/01,09:15:32+12", "x"),
      Incoming("5", "+1+cmd|' /C calc'!A0", "", "x"),
  };
  const Table t = Csv(FormatMessagesCsv("=folder", rows));
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[1][2], "+79161234501");
  EXPECT_EQ(t[2][2], "'=cmd|' /C calc'!A0");
  EXPECT_EQ(t[3][2], "-1");
  EXPECT_EQ(t[3][1], "'@status");
  EXPECT_EQ(t[4][2], "+7") << "the control character left out";
  EXPECT_EQ(t[5][2], "'+1+cmd|' /C calc'!A0");
  for (std::size_t r = 1; r < t.size(); ++r) EXPECT_EQ(t[r][0], "'=folder");
}

TEST(MessagesCsv, DateAndTimeCells) {
  struct Case {
    std::string handset;
    CsvDateTime cells;
  } const table[] = {
      {"26/12/01,09:15:32+12", {"2026-12-01", "09:15:32+03:00"}},
      {"26/12/08,01:30:05+04", {"2026-12-08", "01:30:05+01:00"}},
      {"27/01/31,23:59:59-20", {"2027-01-31", "23:59:59-05:00"}},
      {"24/02/29,00:00:00+00", {"2024-02-29", "00:00:00+00:00"}},
      {"26/03/05,12:00:00+03", {"2026-03-05", "12:00:00+00:45"}},
      // The other forms handsets write: a four-digit year, one-digit month, day and hour, no
      // zone or a one-digit one, in quotes.
      {"2009/8/18,19:11:45", {"2009-08-18", "19:11:45"}},
      {"2009/08/18,19:11:45+12", {"2009-08-18", "19:11:45+03:00"}},
      {"2024/2/29,9:05:00", {"2024-02-29", "09:05:00"}},
      {"26/1/2,7:00:00+4", {"2026-01-02", "07:00:00+01:00"}},
      {"26/12/01,09:15:32", {"2026-12-01", "09:15:32"}},
      {"\"26/12/01,09:15:32+12\"", {"2026-12-01", "09:15:32+03:00"}},
      {"\"2009/8/18,19:11:45\"", {"2009-08-18", "19:11:45"}},
      {kNoDateTime, {"", ""}},
      {"", {"", ""}},
      // Anything else stands in the date cell as the list shows it.
      {"25/02/29,00:00:00+00", {"25/02/29,00:00:00+00", ""}},
      {"26/13/01,09:15:32+12", {"26/13/01,09:15:32+12", ""}},
      {"26/12/01,24:00:00+12", {"26/12/01,24:00:00+12", ""}},
      {"26/12/01 09:15:32+12", {"26/12/01 09:15:32+12", ""}},
      {"2100/2/29,00:00:00", {"2100/2/29,00:00:00", ""}},
      {"209/8/18,19:11:45", {"209/8/18,19:11:45", ""}},
      {"2009/8/18,19:11", {"2009/8/18,19:11", ""}},
      {"2009/8/18,19:11:45+", {"2009/8/18,19:11:45+", ""}},
      {"2009/8/18,19:11:45+60", {"2009/8/18,19:11:45+60", ""}},
      {"2009/8/18,19:11:45 ", {"2009/8/18,19:11:45 ", ""}},
      {"\"2009/8/18,19:11:45", {"\"2009/8/18,19:11:45", ""}},
      {"D", {"D", ""}},
  };
  for (const Case& c : table) EXPECT_EQ(SplitMessageTime(c.handset), c.cells) << c.handset;
  // The fallback cell keeps a Cyrillic date text readable.
  const Table t = Csv(FormatMessagesCsv("f", {Incoming("", "1", Ru("вчера"), "x")}));
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1][3], "вчера");
  EXPECT_EQ(t[1][4], "");
}

TEST(MessagesCsv, AnEmptyFolderIsTheHeaderAlone) {
  EXPECT_EQ(FormatMessagesCsv(Ru("Черновики"), {}),
            kBom + "\"Папка\",\"Статус\",\"Номер\",\"Дата\",\"Время\",\"Текст\"\r\n");
}

TEST(MessagesCsv, AShortRowGivesEmptyCells) {
  ListRow r;
  r.caption = "7";
  r.subItems = {{"555", kNoImage}};
  const Table t = Csv(FormatMessagesCsv("f", {r}));
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1], (std::vector<std::string>{"f", "", "555", "", "", ""}));
}

// ---- mbox

std::string DecodeBase64(std::string_view s) {
  std::string out;
  unsigned buffer = 0;
  int bits = 0;
  for (char c : s) {
    int v;
    if (c >= 'A' && c <= 'Z')
      v = c - 'A';
    else if (c >= 'a' && c <= 'z')
      v = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      v = c - '0' + 52;
    else if (c == '+')
      v = 62;
    else if (c == '/')
      v = 63;
    else
      break;
    buffer = buffer << 6 | static_cast<unsigned>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return out;
}

// An unfolded header value with its encoded-words decoded; the blanks between two adjacent
// encoded-words go, as RFC 2047 wants.
std::string DecodeHeader(std::string v) {
  std::string out;
  std::size_t i = 0;
  bool lastWasWord = false;
  while (i < v.size()) {
    if (v.compare(i, 10, "=?UTF-8?B?") == 0) {
      const std::size_t end = v.find("?=", i + 10);
      EXPECT_NE(end, std::string::npos);
      EXPECT_LE(end + 2 - i, 75u) << "an encoded-word is at most 75 characters";
      if (lastWasWord) {
        while (!out.empty() && out.back() == ' ') out.pop_back();
      }
      out += DecodeBase64(v.substr(i + 10, end - i - 10));
      i = end + 2;
      lastWasWord = true;
    } else {
      out += v[i++];
      if (out.back() != ' ') lastWasWord = false;
    }
  }
  return out;
}

struct MailMessage {
  std::string fromLine;
  std::map<std::string, std::string> headers;  // decoded
  std::vector<std::string> headerOrder;
  std::string body;  // unescaped
};

// Splits an mboxrd text: a message starts at a line "From " at the start of the file or
// after an empty line; its body ends with the empty line before the next one.
std::vector<MailMessage> SplitMbox(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    EXPECT_NE(end, std::string::npos) << "the last line ends with LF";
    if (end == std::string::npos) break;
    EXPECT_EQ(text.find('\r', start) < end, false) << "mbox lines end with LF alone";
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::vector<MailMessage> messages;
  std::size_t i = 0;
  while (i < lines.size()) {
    EXPECT_EQ(lines[i].rfind("From ", 0), 0u) << lines[i];
    MailMessage m;
    m.fromLine = lines[i++];
    std::string name, value;
    auto flush = [&] {
      if (name.empty()) return;
      m.headers[name] = DecodeHeader(value);
      m.headerOrder.push_back(name);
      name.clear();
    };
    for (; i < lines.size() && !lines[i].empty(); ++i) {
      if (lines[i][0] == ' ' || lines[i][0] == '\t') {
        value += lines[i];
        continue;
      }
      flush();
      const std::size_t colon = lines[i].find(": ");
      EXPECT_NE(colon, std::string::npos) << lines[i];
      name = lines[i].substr(0, colon);
      value = lines[i].substr(colon + 2);
    }
    flush();
    ++i;  // the empty line after the headers
    std::vector<std::string> body;
    for (; i < lines.size(); ++i) {
      if (lines[i].rfind("From ", 0) == 0 && !body.empty() && body.back().empty()) break;
      EXPECT_NE(lines[i].rfind("From ", 0), 0u) << "an unescaped From_ inside a body";
      body.push_back(lines[i]);
    }
    EXPECT_FALSE(body.empty() || !body.back().empty()) << "a message ends with an empty line";
    if (!body.empty()) body.pop_back();
    for (std::string& l : body) {
      const std::size_t q = l.find_first_not_of('>');
      if (q != std::string::npos && q > 0 && l.compare(q, 5, "From ") == 0) l.erase(0, 1);
      m.body += l + "\n";
    }
    messages.push_back(std::move(m));
  }
  return messages;
}

TEST(MessagesMbox, TrickyTextsComeBackMessageByMessage) {
  const auto cases = Tricky();
  std::vector<ListRow> rows;
  for (std::size_t k = 0; k < cases.size(); ++k)
    rows.push_back(
        Incoming(std::to_string(k + 1), "+79161234501", "26/12/01,09:15:32+12", cases[k].text));
  const auto messages = SplitMbox(FormatMessagesMbox(Ru("Входящие"), rows, 0));
  ASSERT_EQ(messages.size(), cases.size());
  for (std::size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(cases[k].name);
    const MailMessage& m = messages[k];
    EXPECT_EQ(m.body, cases[k].body);
    EXPECT_EQ(m.headers.at("X-Quorvex-Index"), std::to_string(k + 1));
    EXPECT_EQ(m.headers.at("Content-Type"), "text/plain; charset=UTF-8");
    EXPECT_EQ(m.headers.at("Content-Transfer-Encoding"), "8bit");
    EXPECT_EQ(m.headers.at("MIME-Version"), "1.0");
    EXPECT_EQ(m.headers.at("Subject"), cases[k].body.substr(0, cases[k].body.find('\n')));
  }
}

TEST(MessagesMbox, HeadersByDirection) {
  const std::vector<ListRow> rows = {
      Incoming("1", "+79161234501", "26/12/01,09:15:32+12", Ru("Привет")),
      Row("10", "+74951234567", kNoDateTime, KindOutgoing(), StatusSent(), "sent"),
      Row("20", "", kNoDateTime, KindDraft(), StatusUnsent(), "draft"),
      Row("", Ru("Банк \"Ок\""), "26/11/28,12:00:00-08", KindArchive(), StatusArchived(), "a"),
  };
  // 2026-12-08 04:00:00 UTC, for the messages without a time.
  const auto messages = SplitMbox(FormatMessagesMbox(Ru("Отправленные"), rows, 1796702400));
  ASSERT_EQ(messages.size(), 4u);

  EXPECT_EQ(messages[0].fromLine, "From +79161234501@sms.invalid Tue Dec  1 06:15:32 2026");
  EXPECT_EQ(messages[0].headers.at("From"), "\"+79161234501\" <+79161234501@sms.invalid>");
  EXPECT_EQ(messages[0].headers.at("To"), "<me@handset.invalid>");
  EXPECT_EQ(messages[0].headers.at("Date"), "Tue, 01 Dec 2026 09:15:32 +0300");
  EXPECT_EQ(messages[0].headers.at("Subject"), "Привет");
  EXPECT_EQ(messages[0].headers.at("X-Quorvex-Folder"), "Отправленные");
  EXPECT_EQ(messages[0].headers.at("X-Quorvex-Status"), "прочитано");

  EXPECT_EQ(messages[1].fromLine, "From me@handset.invalid Tue Dec  8 04:00:00 2026");
  EXPECT_EQ(messages[1].headers.at("From"), "<me@handset.invalid>");
  EXPECT_EQ(messages[1].headers.at("To"), "\"+74951234567\" <+74951234567@sms.invalid>");
  EXPECT_EQ(messages[1].headers.count("Date"), 0u) << "the handset gave no time";
  EXPECT_EQ(messages[1].headers.at("X-Quorvex-Status"), "отправлено");

  EXPECT_EQ(messages[2].headers.at("To"), "<unknown@sms.invalid>");

  // An archived message comes from its sender; a name with quotes and Cyrillic is encoded.
  EXPECT_EQ(messages[3].fromLine.rfind("From unknown@sms.invalid Sat Nov 28 14:00:00 2026", 0), 0u)
      << messages[3].fromLine;
  EXPECT_EQ(messages[3].headers.at("From"), "Банк \"Ок\" <unknown@sms.invalid>");
  EXPECT_EQ(messages[3].headers.at("Date"), "Sat, 28 Nov 2026 12:00:00 -0200");
  EXPECT_EQ(messages[3].headers.count("X-Quorvex-Index"), 0u) << "an archive row has no index";
}

// Every form of time stamp gives a Date header and places the From_ line in UTC; a stamp
// without a zone says so with "-0000" and counts as UTC.
TEST(MessagesMbox, DateOfEveryTimeStampForm) {
  struct Case {
    const char* stamp;
    const char* date;      // nullptr: no Date header
    const char* envelope;  // the From_ line after the address
  } const table[] = {
      {"26/12/01,09:15:32+12", "Tue, 01 Dec 2026 09:15:32 +0300", "Tue Dec  1 06:15:32 2026"},
      {"2009/8/18,19:11:45", "Tue, 18 Aug 2009 19:11:45 -0000", "Tue Aug 18 19:11:45 2009"},
      {"2009/8/18,19:11:45-8", "Tue, 18 Aug 2009 19:11:45 -0200", "Tue Aug 18 21:11:45 2009"},
      {"\"26/1/2,7:00:00\"", "Fri, 02 Jan 2026 07:00:00 -0000", "Fri Jan  2 07:00:00 2026"},
      {"26/01/01,00:30:00+16", "Thu, 01 Jan 2026 00:30:00 +0400", "Wed Dec 31 20:30:00 2025"},
      // Not a time stamp: the export's own time.
      {"yesterday", nullptr, "Tue Dec  8 04:00:00 2026"},
  };
  for (const auto& c : table) {
    const auto mails =
        SplitMbox(FormatMessagesMbox("f", {Incoming("1", "+7", c.stamp, "x")}, 1796702400));
    ASSERT_EQ(mails.size(), 1u) << c.stamp;
    EXPECT_EQ(mails[0].fromLine, std::string("From +7@sms.invalid ") + c.envelope) << c.stamp;
    if (c.date) {
      EXPECT_EQ(mails[0].headers.at("Date"), c.date) << c.stamp;
    } else {
      EXPECT_EQ(mails[0].headers.count("Date"), 0u) << c.stamp;
    }
  }
}

TEST(MessagesMbox, LongSubjectsAreCutAndFoldedIntoShortEncodedWords) {
  std::string longText;
  for (int k = 0; k < 80; ++k) longText += Ru("Ж");
  const std::string mbox =
      FormatMessagesMbox("f", {Incoming("1", "1", "", longText + "\nsecond line")}, 0);
  const std::size_t headersEnd = mbox.find("\n\n");
  for (std::size_t start = 0, end; start < headersEnd; start = end + 1) {
    end = mbox.find('\n', start);
    EXPECT_LE(end - start, 78u) << mbox.substr(start, end - start);
  }
  const auto messages = SplitMbox(mbox);
  ASSERT_EQ(messages.size(), 1u);
  std::string expected;
  for (int k = 0; k < 60; ++k) expected += "Ж";
  EXPECT_EQ(messages[0].headers.at("Subject"), expected + "...");
}

// ---- Files, and the demo handset

class ExportFiles : public testing::SmsTest {};

TEST_F(ExportFiles, AFailedWriteRaisesAndLeavesNoTemporaryFile) {
  EXPECT_THROW(WriteMessagesCsv(path("none/m.csv"), "f", {}), EInOutError);
  EXPECT_THROW(WriteMessagesMbox(path("none/m.mbox"), "f", {}, 0), EInOutError);
  std::filesystem::create_directory(path("m.csv"));
  EXPECT_THROW(WriteMessagesCsv(path("m.csv"), "f", {}), EInOutError);
  std::size_t others = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    others += e.path() != path("m.csv");
  EXPECT_EQ(others, 0u);
}

TEST_F(ExportFiles, DemoFoldersReadExportedAndReadBack) {
  const sim::HandsetState demo = sim::DemoState();
  startPhone(demo);
  writeFile("sms_archive.txt", "");

  struct Folder {
    int node;
    sim::MessageStore store;
    std::vector<sim::MessageStatus> statuses;
  } const folders[] = {
      {kIncoming,
       sim::MessageStore::Incoming,
       {sim::MessageStatus::RecRead, sim::MessageStatus::RecUnread}},
      {kSent, sim::MessageStore::Outgoing, {sim::MessageStatus::StoSent}},
      {kDrafts, sim::MessageStore::Drafts, {sim::MessageStatus::StoUnsent}},
  };
  for (const Folder& f : folders) {
    SCOPED_TRACE(f.node);
    click(f.node);
    std::vector<std::pair<int, sim::Message>> expected;
    for (const auto& [index, m] : demo.messages)
      if (m.store == f.store &&
          std::find(f.statuses.begin(), f.statuses.end(), m.status) != f.statuses.end())
        expected.emplace_back(index, m);
    ASSERT_EQ(section_.lvSMS.rows.size(), expected.size());
    ASSERT_FALSE(expected.empty());
    const std::string caption = section_.tvSMS[static_cast<std::size_t>(f.node)].baseCaption;

    WriteMessagesCsv(path("m.csv"), caption, section_.lvSMS.rows);
    const Table t = Csv(readFile("m.csv"));
    ASSERT_EQ(t.size(), expected.size() + 1);
    WriteMessagesMbox(path("m.mbox"), caption, section_.lvSMS.rows, 0);
    const auto mails = SplitMbox(readFile("m.mbox"));
    ASSERT_EQ(mails.size(), expected.size());

    for (std::size_t k = 0; k < expected.size(); ++k) {
      const sim::Message& m = expected[k].second;
      const std::vector<std::string>& cells = t[k + 1];
      EXPECT_EQ(cells[0], Cp1251ToUtf8(caption));
      const std::string number = Cp1251ToUtf8(m.number);
      EXPECT_EQ(cells[2], number);
      EXPECT_EQ(cells[5], Cp1251ToUtf8(m.text));
      if (m.timestamp.empty()) {
        EXPECT_EQ(cells[3], "");
        EXPECT_EQ(mails[k].headers.count("Date"), 0u);
      } else {
        // "yy/MM/dd,hh:mm:ss+zz"
        EXPECT_EQ(cells[3], "20" + m.timestamp.substr(0, 2) + "-" + m.timestamp.substr(3, 2) + "-" +
                                m.timestamp.substr(6, 2));
        EXPECT_EQ(cells[4].substr(0, 8), m.timestamp.substr(9, 8));
        EXPECT_EQ(mails[k].headers.count("Date"), 1u);
      }
      EXPECT_EQ(mails[k].body, Cp1251ToUtf8(m.text) + "\n");
      EXPECT_EQ(mails[k].headers.at("X-Quorvex-Index"), std::to_string(expected[k].first));
      EXPECT_EQ(mails[k].headers.at("X-Quorvex-Folder"), Cp1251ToUtf8(caption));
    }
  }

  // The archive view, filled by the incoming read above, exports the same way.
  click(kArchive);
  ASSERT_EQ(section_.lvSMS.rows.size(), 4u);
  const Table t = Csv(FormatMessagesCsv(section_.tvSMS[kArchive].baseCaption, section_.lvSMS.rows));
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[1][0], "Архив");
  EXPECT_EQ(t[1][1], "сохранено");
  EXPECT_EQ(t[1][5], Cp1251ToUtf8(demo.messages.at(1).text));
}

// A handset that writes "yyyy/M/d,hh:mm:ss": the list shows its text, the exports place it.
TEST_F(ExportFiles, FullYearTimeStampsAreReadAndExported) {
  sim::HandsetState s = sim::EmptyState();
  s.messages[1] = testing::Msg(sim::MessageStore::Incoming, sim::MessageStatus::RecRead, "+7916",
                               "09/08/18,19:11:45+12", "first");
  s.messages[2] = testing::Msg(sim::MessageStore::Incoming, sim::MessageStatus::RecUnread, "+7495",
                               "26/12/01,09:05:00-04", "second");
  sim::SimOptions options;
  options.fullYearStamps = true;
  startPhone(s, options);
  writeFile("sms_archive.txt", "");
  click(kIncoming);

  EXPECT_EQ(phone().transcript(),
            (std::vector<std::string>{"AT+CSCS=UCS2", "AT+CPMS=\"IM\"", "AT+MMGL=\"HEADER ONLY\"",
                                      "AT+MMGR=1", "AT+MMGR=2"}));
  ASSERT_EQ(section_.lvSMS.rows.size(), 2u);
  EXPECT_EQ(section_.lvSMS.rows[0].subItems[kDateTime].text, "2009/8/18,19:11:45");
  EXPECT_EQ(section_.lvSMS.rows[1].subItems[kDateTime].text, "2026/12/1,09:05:00");
  EXPECT_EQ(readFile("sms_archive.txt"),
            "+7916;2009/8/18,19:11:45;first\r\n+7495;2026/12/1,09:05:00;second\r\n");

  WriteMessagesCsv(path("m.csv"), "in", section_.lvSMS.rows);
  const Table t = Csv(readFile("m.csv"));
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ((std::vector<std::string>{t[1][3], t[1][4], t[2][3], t[2][4]}),
            (std::vector<std::string>{"2009-08-18", "19:11:45", "2026-12-01", "09:05:00"}));
  WriteMessagesMbox(path("m.mbox"), "in", section_.lvSMS.rows, 0);
  const auto mails = SplitMbox(readFile("m.mbox"));
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[0].fromLine, "From +7916@sms.invalid Tue Aug 18 19:11:45 2009");
  EXPECT_EQ(mails[0].headers.at("Date"), "Tue, 18 Aug 2009 19:11:45 -0000");
  EXPECT_EQ(mails[1].fromLine, "From +7495@sms.invalid Tue Dec  1 09:05:00 2026");
  EXPECT_EQ(mails[1].headers.at("Date"), "Tue, 01 Dec 2026 09:05:00 -0000");
}

}  // namespace
}  // namespace quorvex::sms
