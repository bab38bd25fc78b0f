#include "sim/at_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/delphi_text.h"
#include "codec/reply_fields.h"
#include "codec/ucs2.h"

namespace quorvex::sim {
namespace {

using text::Copy;
using text::Delete;
using text::Pos;

constexpr std::int64_t kNow = 1796731200;  // 2026-12-08 12:00:00 on the host's wall clock

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";

std::string Answer(const std::string& line) {
  return "\r\n" + line + "\r\n" + kOk;
}

// A handset with a fixed clock and echo off unless asked, so replies are what the
// application's RunAtCommand hands to its cutters.
struct Handset {
  explicit Handset(std::string model = "C350", HandsetState st = EmptyState(), bool echo = false)
      : engine(std::move(model), std::move(st), echo, [this] { return now; }) {}
  std::string at(std::string_view line) {
    const EngineReply r = engine.command(line);
    return r.echo + r.answer;
  }
  std::string text(std::string_view hex) {
    const EngineReply r = engine.textEnd(hex, false);
    return r.echo + r.answer;
  }
  std::int64_t now = kNow;
  AtEngine engine;
};

struct Exchange {
  std::string line, reply;
};

void Script(Handset& h, const std::vector<Exchange>& script) {
  for (const Exchange& x : script) EXPECT_EQ(h.at(x.line), x.reply) << x.line;
}

TEST(AtEngine, FramesEchoAnswersAndResults) {
  Handset h("C350", EmptyState(), true);
  Script(h, {
                {"AT", "AT\r" + kOk},
                {"at", "at\r" + kOk},
                {"AT+FOO", "AT+FOO\r" + kError},
                {"+CMOD?", "+CMOD?\r" + kError},
                {"AT+CBC;+CSQ", "AT+CBC;+CSQ\r\r\n+CBC: 0,80\r\n\r\n+CSQ: 17,99\r\n" + kOk},
                {"AT+CBC;+FOO", "AT+CBC;+FOO\r\r\n+CBC: 0,80\r\n" + kError},
                {"ATE0", "ATE0\r" + kOk},
                {"AT", kOk},
                {"ATV0", kError},
                {"ATE1", kOk},
                {"AT +CPBS=ME", "AT +CPBS=ME\r" + kOk},
                {"ATZ", "ATZ\r" + kOk},
            });
}

TEST(AtEngine, AnswersIdentityStatusAndTerminalCommands) {
  HandsetState st = EmptyState();
  st.ownNumber = "+79160000001";
  Handset h("C350", st);
  Script(h, {
                {"AT+CGSN", Answer("+CGSN: IMEI350881020000000")},
                {"AT+CIMI", Answer("+CIMI: 250010000000000")},
                {"AT+CGMI", Answer("+CGMI: \"Motorola CE, Copyright 2000\"")},
                {"AT+CGMR", Answer("+CGMR: \"RC350_G_0A.11.2FR\"")},
                {"AT+CBC", Answer("+CBC: 0,80")},
                {"AT+CSQ", Answer("+CSQ: 17,99")},
                {"AT+CNUM", Answer("+CNUM: \"\",\"+79160000001\",145")},
                {"AT+CGSN=3", kError},
                {"AT+CGMI=?", kOk},
                {"AT+CPBS=?", Answer("+CPBS: (\"AD\",\"ME\",\"MT\",\"SM\")")},
                {"AT+CPBS?", Answer("+CPBS: \"ME\",0,500")},
                {"AT+CPBS=\"SM\"", kOk},
                {"AT+CPBR=?", Answer("+CPBR: (501-750),40,24")},
                {"AT+CPBR=", kError},
                {"AT+CSCS=?", Answer("+CSCS: (\"8859-1\",\"ASCII\",\"GSM\",\"IRA\",\"UCS2\")")},
                {"AT+CSCS?", Answer("+CSCS: \"IRA\"")},
                {"AT+CSCS=HEX", kError},
                {"AT+CSCS=GSM", kOk},
                {"AT+CKPD=", kError},
                {"AT+CKPD=\"123\"", kOk},
                {"AT+CMGL=", kError},
                {"AT+MDBAD?", Answer("+MDBAD: 1")},
                {"AT+MODE=0", kOk},
                {"AT+MODE=2", kError},
                {"AT+CMOD=", kOk},
                {"AT+CMOD=?", Answer("+CMOD: (0)")},
                {"AT+CMOD?", Answer("+CMOD: 0")},
                {"AT+CBST=x,0,y", kError},
                {"AT+CBST=71,0,1", kOk},
                {"AT+CBST?", Answer("+CBST: 71,0,1")},
                {"AT+CBST=8,0,1", kError},
                {"ATI0", Answer("C350")},
                {"ATI2", kOk},
                {"ATI3", Answer("Motorola CE, Copyright 2000")},
                {"ATI5", kError},
            });
  // Some handsets answer the IMSI without the command's name.
  h.engine.habits.bareImsi = true;
  EXPECT_EQ(h.at("AT+CIMI"), Answer("250010000000000"));
}

TEST(AtEngine, ModelsFallIntoTheirFamiliesAndNameThemselves) {
  const struct {
    std::string model;
    Family family;
  } cases[] = {
      {"T720", Family::Classic}, {"T720i", Family::Classic},    {"V60", Family::Classic},
      {"V66", Family::Classic},  {"V60i", Family::Classic},     {"V66i", Family::Classic},
      {"V70", Family::Classic},  {"C350", Family::Grouped},     {"C330", Family::Grouped},
      {"V150", Family::Grouped}, {"C450", Family::GroupedText}, {"C550", Family::GroupedText},
      {"C650", Family::Other},   {"c350", Family::Other},
  };
  for (const auto& c : cases) {
    Handset h(c.model);
    EXPECT_EQ(h.engine.family(), c.family) << c.model;
    const std::string reply = h.at("AT+CGMM");
    EXPECT_EQ(ValueAfterEquals(reply), c.model);
    // The information page cuts the model after "MODEL" and the bands before it.
    std::string t = reply;
    Delete(t, Pos("\r\n+CGMM: ", t), 9);
    Delete(t, Pos("\r\n\r\nOK\r\n", t), 8);
    const int p = Pos("MODEL", t);
    EXPECT_EQ(Copy(t, 1, p - 3).rfind("\"GSM900\",\"GSM1800", 0), 0u) << reply;
  }
  EXPECT_EQ(Handset("C330").at("AT+CGMM"), Answer("+CGMM: \"GSM900\",\"GSM1800\",\"MODEL=C330\""));
  EXPECT_EQ(Handset("T720i").at("AT+CGMM"),
            Answer("+CGMM: \"GSM900\",\"GSM1800\",\"GSM1900\",\"MODEL=T720i\""));
}

TEST(AtEngine, RepliesCutTheWayTheApplicationCutsThem) {
  Handset h("C350", DemoState());
  EXPECT_EQ(h.at("AT+CPBS=AD"), kOk);
  EXPECT_EQ(h.at("AT+CSCS=UCS2"), kOk);
  EXPECT_EQ(h.at("AT+CCLK=\"26/03/05,09:04:07\""), kOk);

  std::int32_t last = 0, second = 0, third = 0;
  h.at("AT+CPBS=MT");
  ParseStorageRange(h.at("AT+MPBR=?"), last, second, third);
  EXPECT_EQ(last, 750);
  std::string me = text::Trim(h.at("AT +CPBS=SM") + h.at("AT+MPBR=?"));
  me = text::Trim(h.at("AT+MPBR=?"));
  Delete(me, 1, 7);
  EXPECT_EQ(Copy(me, 1, Pos("-", me) - 1), "501");

  std::string groups = h.at("AT +MPGR=?");
  Delete(groups, 1, 12);
  EXPECT_EQ(Copy(groups, 1, Pos(")", groups) - 1), "4");
  std::string group = text::Trim(h.at("AT +MPGR=2"));
  Delete(group, 1, 7);
  Delete(group, 1, Pos(",", group));
  EXPECT_EQ(Ucs2HexToText(Copy(group, 1, Pos(",", group) - 1)), "\xD0\xE0\xE1\xEE\xF2\xE0");

  h.at("AT+MDBL=1");
  std::string info = text::Trim(h.at("AT+MDBR=?"));
  Delete(info, 1, 7);
  std::vector<std::string> values;
  for (int i = 0; i < 3; ++i) {
    values.push_back(Copy(info, 1, Pos(",", info) - 1));
    Delete(info, 1, Pos(",", info));
  }
  EXPECT_EQ(values, (std::vector<std::string>{"99", "6", "64"}));

  std::string count = h.at("AT+CPMS=\"IM\"");
  Delete(count, 1, 8);
  EXPECT_EQ(text::StrToInt(Copy(count, 1, Pos(",", count) - 1)), 4);
  // The reading reply of an unread message: a 23-character prefix, then number and date.
  std::string reading = h.at("AT+MMGR=2");
  Delete(reading, 1, 23);
  int p = Pos(",", reading);
  EXPECT_EQ(Copy(reading, 2, p - 3), "+79035551212");
  Delete(reading, 1, p + 1);
  p = Pos("\r", reading);
  EXPECT_EQ(Copy(reading, 2, p - 3), "26/12/07,18:02:11+12");
  Delete(reading, 1, p + 1);
  EXPECT_EQ(Ucs2HexToText(Copy(reading, 1, Pos("\r", reading) - 1)).substr(0, 6),
            "\xC2\xF1\xF2\xF0\xE5\xF7");  // Встреч
  h.at("AT+CPMS=\"OM\"");
  std::string sent = h.at("AT+MMGR=10");
  Delete(sent, 1, 21);
  EXPECT_EQ(Copy(sent, 2, Pos("\r", sent) - 3), "+79161234501");
}

TEST(AtEngine, EntryLinesFollowTheFamilyLayoutOrCarryTwentyFiveFields) {
  const std::string name = "0418043C044F";  // Имя
  const std::string a = "0041";
  const std::string tail = ",,,,,,,,\"\",\"\"";
  const struct {
    std::string model, write, line;
    bool longLines = false;  // every family then fills the line to 25 fields
  } cases[] = {
      {"T720", "AT+MPBW=5,\"+700\",145," + name + ",3,0,255,0,1",
       "+MPBR: 5,\"+700\",145," + name + ",3,0,255,0,1"},
      {"C650", "AT+MPBW=5,\"12\",129," + name + ",7,1,0,0,1",
       "+MPBR: 5,\"12\",129," + name + ",7,1,0,0,1"},
      {"C350", "AT+MPBW=5,\"+700\",145," + name + ",3,0,255,0,1,2,14,255,0",
       "+MPBR: 5,\"+700\",145," + name + ",3,0,255,0,1,2,14,255,0"},
      {"V150", "AT+MPBW=5,\"a@b\",128," + name + ",6,0,7,0,1",
       "+MPBR: 5,\"a@b\",128," + name + ",6,0,7,0,1,0,255,255,0"},
      // The icon text arrives typed as it is, and is read back as hex like every text.
      {"C450", "AT+MPBW=5,\"+700\",145," + name + ",3,0,255,0,1,1,255,255,0,\xED\xE5\xF2,0,0",
       "+MPBR: 5,\"+700\",145," + name + ",3,0,255,0,1,1,255,255,0,043D04350442,0,0"},
      {"C550", "AT+MPBW=5,\"+700\",145," + name + ",3,0,255,0,1,4,255,255,0",
       "+MPBR: 5,\"+700\",145," + name + ",3,0,255,0,1,4,255,255,0,,0,0"},
      // An icon text that looks like hex is still taken as typed.
      {"C550", "AT+MPBW=5,\"+700\",145," + name + ",3,0,255,0,1,4,255,255,0,0050,0,0",
       "+MPBR: 5,\"+700\",145," + name + ",3,0,255,0,1,4,255,255,0,0030003000350030,0,0"},
      {"V60", "AT+MPBW=5,\"+700\",145," + a + ",3,0,255,70,1",
       "+MPBR: 5,\"+700\",145," + a + ",3,0,255,70,1,0,255,255,0,,0,0" + tail, true},
      {"C650", "AT+MPBW=5,\"+700\",145," + a + ",3,0,255,0,1",
       "+MPBR: 5,\"+700\",145," + a + ",3,0,255,0,1,0,255,255,0,,0,0" + tail, true},
      {"C350", "AT+MPBW=5,\"+700\",145," + a + ",3,0,255,0,1,2,14,255,0",
       "+MPBR: 5,\"+700\",145," + a + ",3,0,255,0,1,2,14,255,0,,0,0" + tail, true},
      {"C450", "AT+MPBW=5,\"+700\",145," + a + ",3,0,255,0,1,1,255,255,0,P1,0,0",
       "+MPBR: 5,\"+700\",145," + a + ",3,0,255,0,1,1,255,255,0,00500031,0,0" + tail, true},
  };
  for (const auto& c : cases) {
    Handset h(c.model);
    h.engine.habits.longEntryLines = c.longLines;
    h.at(c.longLines ? "AT+CPBS=MT" : "AT+CPBS=AD");
    h.at("AT+CSCS=UCS2");
    EXPECT_EQ(h.at(c.write), kOk) << c.model;
    EXPECT_EQ(h.at("AT+MPBR=1,30"), Answer(c.line)) << c.model;
    if (c.longLines) {
      EXPECT_EQ(std::count(c.line.begin(), c.line.end(), ','), 24) << c.model;
      EXPECT_EQ(h.at("AT+MPBR=?"),
                Answer("+MPBR: 1-750,40,24,14,0-1,64,(255),(0),(0-255),(0-1),(0-255),(0-1),264"));
    }
    EXPECT_EQ(h.at("AT+MPBW=5"), kOk);
    EXPECT_EQ(h.at("AT+MPBR=1,30"), kOk);
  }
}

TEST(AtEngine, RefusesMalformedPhoneBookWrites) {
  const std::string ok = ",0041,2,0,255,0,1";
  const struct {
    std::string model, write;
  } cases[] = {
      {"C350", "AT+MPBW=0,\"1\",129" + ok},
      {"C350", "AT+MPBW=751,\"1\",129" + ok},
      {"C350", "AT+MPBW=1,1,129" + ok},
      {"C350", "AT+MPBW=1,\"\",129" + ok},
      {"C350", "AT+MPBW=1,\"" + std::string(41, '1') + "\",129" + ok},
      {"C350", "AT+MPBW=1,\"1\",129,00zz,2,0,255,0,1"},
      {"C350",
       "AT+MPBW=1,\"1\",129," + std::string(25 * 4, '1').replace(0, 0, "") + ",2,0,255,0,1"},
      {"C350", "AT+MPBW=1,\"1\",129,0041,9,0,255,0,1"},
      {"C350", "AT+MPBW=1,\"1\",129,0041,2,0,255,0"},
      {"C350", "AT+MPBW=1,\"1\",129" + ok + ",5,255,255,0"},
      {"C350", "AT+MPBW=1,\"1\",129" + ok + ",1,15,255,0"},
      {"C350", "AT+MPBW=1,\"1\",129" + ok + ",1,,255,0"},
      {"C350", "AT+MPBW=1,\"1\",129" + ok + ",1,1,255,0,0041"},
      {"T720", "AT+MPBW=1,\"1\",129" + ok + ",1"},
      {"T720", "AT+MPGR=?"},
  };
  for (const auto& c : cases) {
    Handset h(c.model);
    h.at("AT+CPBS=AD");
    h.at("AT+CSCS=UCS2");
    EXPECT_EQ(h.at(c.write), kError) << c.model << " " << c.write;
    EXPECT_TRUE(h.engine.state().entries.empty());
  }
}

TEST(AtEngine, StoragesBoundIndicesAndTheSimKeepsNumberAndName) {
  for (const auto& [model, simType] : {std::pair{"T720", "7"}, std::pair{"C350", "8"}}) {
    Handset h(model);
    Script(h, {
                  {"AT+CPBS=ME", kOk},
                  {"AT+MPBW=501,\"1\",129,\"A\",3,0,5,0,1", kError},
                  {"AT+MPBR=500,501", kError},
                  {"AT+CPBS=SM", kOk},
                  {"AT+MPBW=500,\"1\",129,\"A\",3,0,5,0,1", kError},
                  {"AT+MPBW=501,\"+1\",145,\"A\",3,1,5,0,1", kOk},
                  {"AT+CPBS?", Answer("+CPBS: \"SM\",1,250")},
              });
    std::string line = "+MPBR: 501,\"+1\",145,\"A\"," + std::string(simType) + ",0,255,0,1";
    if (std::string(model) == "C350") line += ",0,255,255,0";
    EXPECT_EQ(h.at("AT+MPBR=501"), Answer(line)) << model;
  }
}

TEST(AtEngine, NamesWrittenInUcs2KeepEveryCharacter) {
  const struct {
    std::string written, readBack, stored, kept;
  } cases[] = {
      {"004A006F007300E9", "004A006F007300E9", "Jos?", "004A006F007300E9"},
      {"005A006f00eb", "005A006F00EB", "Zo?", "005A006F00EB"},
      {"738B5C0F660E", "738B5C0F660E", "???", "738B5C0F660E"},
      {"0041D83DDE00", "0041D83DDE00", "A??", "0041D83DDE00"},
      // What the code page holds needs nothing kept beside the name.
      {"0041003F", "0041003F", "A?", ""},
      {"0410044f", "0410044F", "\xC0\xFF", ""},
  };
  for (const auto& c : cases) {
    for (const int index : {2, 501}) {  // phone memory and SIM
      Handset h("C350");
      h.at("AT+CPBS=MT");
      h.at("AT+CSCS=UCS2");
      const std::string i = std::to_string(index);
      EXPECT_EQ(h.at("AT+MPBW=" + i + ",\"1\",129," + c.written + ",2,0,255,0,1"), kOk);
      const PhoneEntry& e = h.engine.state().entries.at(index);
      EXPECT_EQ(e.name, c.stored) << c.written;
      EXPECT_EQ(e.nameUcs2, c.kept) << c.written;
      const std::string line = "\r\n+MPBR: " + i + ",\"1\",129," + c.readBack + ",";
      EXPECT_EQ(h.at("AT+MPBR=" + i).substr(0, line.size()), line);
      // The state file keeps the hex too.
      EXPECT_EQ(ParseState(SerializeState(h.engine.state())).entries.at(index), e);
    }
  }
  Handset h("C350");
  h.at("AT+CPBS=MT");
  h.at("AT+CSCS=UCS2");
  h.at("AT+MPBW=2,\"1\",129,004A006F007300E9,2,0,255,0,1");
  EXPECT_EQ(h.at("AT+CPBR=2"), Answer("+CPBR: 2,\"1\",129,\"004A006F007300E9\""));
  h.at("AT+CSCS=IRA");
  EXPECT_EQ(h.at("AT+MPBR=2"), Answer("+MPBR: 2,\"1\",129,\"Jos?\",2,0,255,0,1,0,255,255,0"));
  EXPECT_EQ(h.at("AT+CPBR=2"), Answer("+CPBR: 2,\"1\",129,\"Jos?\""));
}

TEST(AtEngine, EightBitSetsQuoteNames) {
  Handset h("T720");
  Script(h, {
                {"AT+CPBS=MT", kOk},
                {"AT+MPBW=2,\"1\",129,\"Ivan \xC8\",2,0,255,0,1", kOk},
                {"AT+MPBR=2", Answer("+MPBR: 2,\"1\",129,\"Ivan ?\",2,0,255,0,1")},
                {"AT+CPBR=2", Answer("+CPBR: 2,\"1\",129,\"Ivan ?\"")},
                {"AT+CSCS=\"UCS2\"", kOk},
                {"AT+CPBR=2", Answer("+CPBR: 2,\"1\",129,\"004900760061006E0020003F\"")},
            });
}

TEST(AtEngine, CallerGroupsReadAndWrite) {
  Handset h("C450");
  Script(h, {
                {"AT+CSCS=UCS2", kOk},
                {"AT +MPGR=?", Answer("+MPGR: (1-4),16")},
                {"AT +MPGR=1", kOk},
                {"AT +MPGR=5", kError},
                {"AT+MPGW=1,0056004900500073,7", kOk},
                {"AT +MPGR=1", Answer("+MPGR: 1,0056004900500073,7")},
                {"AT+MPGW=1", kOk},
                {"AT +MPGR=1", kOk},
            });
}

TEST(AtEngine, DateBookAnswersOnlyWhileLocked) {
  Handset h;
  const std::string ev =
      "7,0054006500730074,1,1,\"09:05\",\"03-05-2026\",30,\"08:55\",\"03-05-2026\",2";
  Script(h, {
                {"AT+CSCS=UCS2", kOk},
                {"AT+MDBR=?", kError},
                {"AT+MDBW=" + ev, kError},
                {"AT+MDBL=1", kOk},
                {"AT+MDBL?", Answer("+MDBL: 1")},
                {"AT+MDBR=?", Answer("+MDBR: 99,0,64,6")},
                {"AT+MDBW=" + ev, kOk},
                {"AT+MDBR=7", Answer("+MDBR: " + ev)},
                {"AT+MDBR=6", kOk},
                {"AT+MDBR=100", kError},
                {"AT+MDBW=3,0041,1,0,\"23:59\",\"02-29-2028\",1,\"00:00\",\"00-00-2000\",0", kOk},
                {"AT+MDBR=?", Answer("+MDBR: 99,2,64,6")},
                {"AT+MDBWE=7,0,0", kOk},
                {"AT+MDBR=7", kOk},
                {"AT+MDBR=0,99",
                 Answer("+MDBR: 3,0041,1,0,\"23:59\",\"02-29-2028\",1,\"00:00\",\"00-00-2000\",0")},
                {"AT+MDBL=0", kOk},
                {"AT+MDBWE=3,0,0", kError},
                {"AT+MDBAD=4", kOk},
                {"AT+MDBAD?", Answer("+MDBAD: 4")},
                {"AT+MDBAD=3", kError},
                {"AT+MDBAD=", kError},
            });
  EXPECT_EQ(h.engine.state().events.size(), 1u);
  EXPECT_EQ(h.engine.state().autoDeleteWeeks, 4);
}

// Habits of real handsets: a quoted title in UCS2 (not in the 8-bit sets, which quote it
// anyway), and full-year time stamps without a zone, in every reply that carries one.
TEST(AtEngine, QuotedTitlesAndFullYearStamps) {
  HandsetState st = EmptyState();
  st.events[0] = DateEvent{"Meeting", '1', '0', "17:00", "02-24-2006", 60};
  st.messages[1] = Message{MessageStore::Incoming, MessageStatus::RecRead, "+79161234501",
                           "09/08/18,19:11:45+12", "A"};
  st.messages[2] = Message{MessageStore::Outgoing, MessageStatus::StoSent, "+79161234501", "", "A"};
  Handset h("C350", st);
  h.engine.habits.quotedTitles = true;
  h.engine.habits.fullYearStamps = true;
  Script(
      h,
      {
          {"AT+CSCS=UCS2", kOk},
          {"AT+MDBL=1", kOk},
          {"AT+MDBR=0", Answer("+MDBR: 0,\"004D0065006500740069006E0067\",1,0,\"17:00\","
                               "\"02-24-2006\",60,\"00:00\",\"00-00-2000\",0")},
          {"AT+CPMS=\"IM\"", Answer("+CPMS: 1,60,1,60,1,60")},
          {"AT+MMGL=\"HEADER ONLY\"",
           Answer("+MMGL: 1, \"REC READ\", \"+79161234501\", \"2009/8/18,19:11:45\"")},
          {"AT+MMGR=1",
           "\r\n+MMGR: \"REC READ\", \"+79161234501\", \"2009/8/18,19:11:45\"\r\n0041\r\n" + kOk},
          {"AT+MMGR=2", "\r\n+MMGR: \"STO SENT\", \"+79161234501\"\r\n0041\r\n" + kOk},
          {"AT+CMGR=1",
           "\r\n+CMGR: \"REC READ\",\"+79161234501\",,\"2009/8/18,19:11:45\"\r\n0041\r\n" + kOk},
          {"AT+CSCS=IRA", kOk},
          {"AT+MDBR=0", Answer("+MDBR: 0,\"Meeting\",1,0,\"17:00\",\"02-24-2006\",60,"
                               "\"00:00\",\"00-00-2000\",0")},
      });
}

TEST(AtEngine, RefusesEventsThatNoCalendarHolds) {
  const std::string head = "AT+MDBW=1,0041,1,";
  const std::string cases[] = {
      head + "1,\"00:40\",\"03-05-2026\",30,\"-1:50\",\"03-05-2026\",0",
      head + "0,\"10:30\",\"03-05-2026\",30,\"00:00\",\"00-00-2000\",-1",
      head + "0,\"10:30\",\"02-30-2026\",30,\"00:00\",\"00-00-2000\",0",
      head + "0,\"24:00\",\"03-05-2026\",30,\"00:00\",\"00-00-2000\",0",
      head + "1,\"10:30\",\"03-05-2026\",30,\"10:00\",\"00-00-2000\",0",
      head + "0,10:30,\"03-05-2026\",30,\"00:00\",\"00-00-2000\",0",
      head + "0,\"10:30\",\"03-05-2026\",30,\"00:00\",\"00-00-2000\"",
      "AT+MDBW=100,0041,1,0,\"10:30\",\"03-05-2026\",30,\"00:00\",\"00-00-2000\",0",
      "AT+MDBW=1,004,1,0,\"10:30\",\"03-05-2026\",30,\"00:00\",\"00-00-2000\",0",
      "AT+MDBW=1,0041,2,0,\"10:30\",\"03-05-2026\",30,\"00:00\",\"00-00-2000\",0",
  };
  for (const std::string& c : cases) {
    Handset h;
    h.at("AT+CSCS=UCS2");
    h.at("AT+MDBL=1");
    EXPECT_EQ(h.at(c), kError) << c;
    EXPECT_TRUE(h.engine.state().events.empty());
  }
}

TEST(AtEngine, ListsAndReadsMessagesWithoutMarkingThem) {
  Handset h("C350", DemoState());
  Script(h, {
                {"AT+CSCS=UCS2", kOk},
                {"AT+CPMS=\"OM\"", Answer("+CPMS: 3,60,3,60,4,60")},
                {"AT+MMGL=\"HEADER ONLY\"",
                 "\r\n+MMGL: 10, \"STO SENT\", \"+79161234501\"\r\n"
                 "\r\n+MMGL: 11, \"STO UNSENT\", \"+74951234567\"\r\n"
                 "\r\n+MMGL: 12, \"STO SENT\", \"+4930123456\"\r\n" +
                     kOk},
                {"AT+MMGR=12",
                 "\r\n+MMGR: \"STO SENT\", \"+4930123456\"\r\n004F004B002C00200073006500"
                 "6500200079006F0075\r\n" +
                     kOk},
                {"AT+MMGR=59", kError},
                {"AT+CPMS=\"IM\"", Answer("+CPMS: 4,60,3,60,4,60")},
                {"AT+MMGL=\"REC UNREAD\"",
                 "\r\n+MMGL: 2, \"REC UNREAD\", \"+79035551212\", \"26/12/07,18:02:11+12\"\r\n" +
                     EncodeUcs2Hex(h.engine.state().messages.at(2).text) + "\r\n" +
                     "\r\n+MMGL: 4, \"REC UNREAD\", \"+4930123456\", \"26/12/08,01:30:05+04\"\r\n" +
                     EncodeUcs2Hex(h.engine.state().messages.at(4).text) + "\r\n" + kOk},
                {"AT+MMGL=\"NEW\"", kError},
            });
  EXPECT_EQ(h.engine.state().messages.at(2).status, MessageStatus::RecUnread);
  EXPECT_FALSE(h.engine.takeChanged());
  Script(h, {
                {"AT+CSCS=IRA", kOk},
                {"AT+CMGR=4",
                 "\r\n+CMGR: \"REC UNREAD\",\"+4930123456\",,\"26/12/08,01:30:05+04\"\r\n"
                 "See you tomorrow at 10; bring the papers. Anna\r\n" +
                     kOk},
            });
  EXPECT_EQ(h.engine.state().messages.at(4).status, MessageStatus::RecRead);
  EXPECT_TRUE(h.engine.takeChanged());
}

// What other tools send at start-up: the function level, coded refusals, PDU mode and the
// full headers of text mode.
TEST(AtEngine, AnswersTheStandardStartUpCommands) {
  HandsetState st = EmptyState();
  st.serviceCentre = "+79168999100";
  st.messages[1] = Message{MessageStore::Incoming, MessageStatus::RecUnread, "+79161234501",
                           "26/12/01,09:15:32+12", "hellohello"};
  st.messages[3] = Message{MessageStore::Outgoing, MessageStatus::StoUnsent, "+74951234567", "",
                           "\xCC\xE0\xEC\xE0"};  // Мама
  const std::string inPdu =
      "07919761989901F0040B919761214305F10000622110905123210AE8329BFD4697D9EC37";
  const std::string draftPdu = "07919761989901F001000B914759214365F7000808041C0430043C0430";
  Handset h("C350", st);
  Script(h, {
                {"AT+CFUN=?", Answer("+CFUN: (0,1),(0)")},
                {"AT+CFUN?", Answer("+CFUN: 1")},
                {"AT+CFUN=0", kOk},
                {"AT+CFUN?", Answer("+CFUN: 0")},
                {"AT+CFUN=1,0", kOk},
                {"AT+CFUN=4", kError},
                {"AT+CMEE=?", Answer("+CMEE: (0-2)")},
                {"AT+CMGR=5", kError},
                {"AT+CMEE=1", kOk},
                {"AT+CMEE?", Answer("+CMEE: 1")},
                {"AT+CMGR=5", "\r\n+CMS ERROR: 321\r\n"},
                {"AT+CMGD=5", "\r\n+CMS ERROR: 321\r\n"},
                {"AT+CPMS=\"XX\"", "\r\n+CMS ERROR: 302\r\n"},
                {"AT+CPBR=9999", "\r\n+CME ERROR: 21\r\n"},
                {"AT+CFUN=4", "\r\n+CME ERROR: 3\r\n"},
                // A line the handset cannot parse has no code.
                {"AT+FOO", kError},
                {"AT+CPBR=\"1", kError},
                {"AT+CMEE=2", kOk},
                {"AT+CMGR=5", "\r\n+CMS ERROR: invalid memory index\r\n"},
                {"AT+CBC;+CFUN=4", "\r\n+CBC: 0,80\r\n\r\n+CME ERROR: operation not allowed\r\n"},
                {"AT+CMEE=3", "\r\n+CME ERROR: operation not allowed\r\n"},
                {"AT+CMGF=?", Answer("+CMGF: (0,1)")},
                {"AT+CMGF?", Answer("+CMGF: 1")},
                {"AT+CSDH=1", kOk},
                {"AT+CSDH?", Answer("+CSDH: 1")},
                {"AT+CPMS=\"MT\"", Answer("+CPMS: 2,60,1,60,1,60")},
                {"AT+CMGL=\"ALL\"",
                 "\r\n+CMGL: 1,\"REC UNREAD\",\"+79161234501\",,\"26/12/01,09:15:32+12\",145,10\r\n"
                 "hellohello\r\n"
                 "\r\n+CMGL: 3,\"STO UNSENT\",\"+74951234567\",,,145,4\r\n????\r\n" +
                     kOk},
                {"AT+CMGR=1",
                 "\r\n+CMGR: \"REC READ\",\"+79161234501\",,\"26/12/01,09:15:32+12\",145,4,0,0,"
                 "\"+79168999100\",145,10\r\nhellohello\r\n" +
                     kOk},
                {"AT+CMGR=3",
                 "\r\n+CMGR: \"STO UNSENT\",\"+74951234567\",,145,1,0,8,,\"+79168999100\",145,4\r\n"
                 "????\r\n" +
                     kOk},
                {"AT+CMGF=0", kOk},
                {"AT+CMGF?", Answer("+CMGF: 0")},
                {"AT+CMGL=?", Answer("+CMGL: (0-4)")},
                {"AT+CMGL=\"ALL\"", "\r\n+CMS ERROR: operation not allowed\r\n"},
                {"AT+CMGL=2", "\r\n+CMGL: 3,2,,21\r\n" + draftPdu + "\r\n" + kOk},
                {"AT+CMGL=4", "\r\n+CMGL: 1,1,,28\r\n" + inPdu + "\r\n\r\n+CMGL: 3,2,,21\r\n" +
                                  draftPdu + "\r\n" + kOk},
                {"AT+CMGR=1", "\r\n+CMGR: 1,,28\r\n" + inPdu + "\r\n" + kOk},
                // A reset leaves the coded refusals and PDU mode.
                {"ATZ", kOk},
                {"AT+CMGF?", Answer("+CMGF: 1")},
                {"AT+CMGR=5", kError},
            });
}

TEST(AtEngine, StoresSendsMarksAndDeletesMessages) {
  Handset h("C350", DemoState());
  const auto& msgs = h.engine.state().messages;
  EXPECT_EQ(h.at("AT+CSCS=UCS2"), kOk);
  EXPECT_EQ(h.at("AT+CPMS=\"IM\""), Answer("+CPMS: 4,60,3,60,4,60"));

  const EngineReply prompt = h.engine.command("AT+CMGW=\"+700\"");
  EXPECT_EQ(prompt.answer, "\r\n> ");
  EXPECT_FALSE(prompt.final);
  EXPECT_TRUE(h.engine.expectsText());
  EXPECT_EQ(h.text("0041042F"), Answer("+CMGW: 5"));
  EXPECT_FALSE(h.engine.expectsText());
  EXPECT_EQ(msgs.at(5),
            (Message{MessageStore::Outgoing, MessageStatus::StoUnsent, "+700", "", "A\xDF"}));

  Script(h, {
                {"AT+CMSS=5", Answer("+CMSS: 17")},
                {"AT+CMSS=20", kError},  // a draft without a number goes nowhere
                {"AT+CMSS=21", Answer("+CMSS: 18")},
                {"AT+CMSS=1", kError},
                {"AT+CMSS=1,\"+701\"", Answer("+CMSS: 19")},
                {"AT+CMSS=59", kError},
                {"AT+MMAR=2", kOk},
                {"AT+MMAR=10", kError},
                {"AT+CMGD=3", kOk},
                {"AT+CMGD=3", kError},
                {"AT+CMGD=", kError},
                {"AT+CPMS=\"MT\"", Answer("+CPMS: 9,60,5,60,3,60")},
                {"AT+CPMS=\"IM\"", Answer("+CPMS: 3,60,5,60,3,60")},
                {"AT+CMGD=10", kOk},   // an outgoing one, with the incoming store selected
                {"AT+CMGD=4,1", kOk},  // every read message of the incoming store
                {"AT+CPMS=\"IM\"", Answer("+CPMS: 1,60,4,60,1,60")},
            });
  EXPECT_EQ(msgs.at(5).status, MessageStatus::StoSent);
  EXPECT_EQ(msgs.at(21).store, MessageStore::Outgoing);
  EXPECT_EQ(msgs.at(21).status, MessageStatus::StoSent);
  EXPECT_EQ(msgs.at(4).status, MessageStatus::RecUnread);
  EXPECT_EQ(msgs.count(1) + msgs.count(2) + msgs.count(3) + msgs.count(10), 0u);
  EXPECT_EQ(h.engine.state().nextReference, 20);

  // Freed indices are used again, the lowest first; drafts go where the write store says.
  EXPECT_EQ(h.at("AT+CPMS=\"IM\",\"DM\""), Answer("+CPMS: 1,60,1,60,1,60"));
  h.at("AT+CMGW");
  EXPECT_EQ(h.text("0042"), Answer("+CMGW: 1"));
  EXPECT_EQ(msgs.at(1).store, MessageStore::Drafts);
}

TEST(AtEngine, MessageTextsThatGoWrongStoreNothing) {
  Handset h("C350", EmptyState(), true);
  h.at("AT+CSCS=UCS2");
  h.at("AT+CMGW=\"1\"");
  EXPECT_EQ(h.engine.textEnd("004", false).answer, kError);
  h.at("AT+CMGW=\"1\"");
  EXPECT_EQ(h.engine.textEnd("0041", true).answer, kOk);
  h.at("AT+CMGW=\"1\"");
  EXPECT_EQ(h.engine.textEnd("0041", false, true).answer, kError);
  EXPECT_TRUE(h.engine.state().messages.empty());

  h.at("AT+CSCS=IRA");
  h.at("AT+CMGW=\"1\"");
  const EngineReply brk = h.engine.textBreak("ab");
  EXPECT_EQ(brk.echo + brk.answer, "ab\r\n> ");
  const EngineReply end = h.engine.textEnd("cd", false);
  EXPECT_EQ(end.echo + end.answer, "cd" + Answer("+CMGW: 1"));
  EXPECT_EQ(h.engine.state().messages.at(1).text, "ab\ncd");

  HandsetState full = EmptyState();
  full.messageSlots = 1;
  full.messages[1] = Message{};
  Handset f("C350", full);
  EXPECT_EQ(f.at("AT+CMGW=\"1\""), kError);
  EXPECT_FALSE(f.engine.expectsText());
}

TEST(AtEngine, ClockKeepsRunningFromTheTimeSet) {
  Handset h;
  EXPECT_EQ(h.at("AT+CCLK?"), Answer("+CCLK: \"26/12/08,12:00:00\""));
  EXPECT_EQ(h.at("AT+CCLK=\"05/03/05,09:04:07\""), kOk);
  h.now += 65;
  EXPECT_EQ(h.at("AT+CCLK?"), Answer("+CCLK: \"05/03/05,09:05:12\""));
  EXPECT_EQ(h.at("AT+CCLK=\"28/02/29,23:59:59+12\""), kOk);
  EXPECT_EQ(h.at("AT+CCLK?"), Answer("+CCLK: \"28/02/29,23:59:59\""));
  for (const char* bad : {"AT+CCLK=\"26/02/29,10:00:00\"", "AT+CCLK=\"26/13/01,10:00:00\"",
                          "AT+CCLK=\"26/03/05,24:00:00\"", "AT+CCLK=26/03/05,09:04:07",
                          "AT+CCLK=\"26/03/05 09:04:07\"", "AT+CCLK="}) {
    EXPECT_EQ(h.at(bad), kError) << bad;
  }
  h.now += 1;
  EXPECT_EQ(h.at("AT+CCLK?"), Answer("+CCLK: \"28/03/01,00:00:00\""));
}

TEST(AtEngine, ReportsChangesOnlyWhenTheStateChanged) {
  Handset h("C350", DemoState());
  const struct {
    std::string line;
    bool changes;
  } cases[] = {
      {"AT+CPBS=AD", false},     {"AT+MPBR=1,30", false}, {"AT+MPBW=99", false},
      {"AT+MPBW=1", true},       {"AT+MDBL=1", false},    {"AT+MDBWE=4", false},
      {"AT+MDBWE=5", true},      {"AT+MDBAD=1", false},   {"AT+MDBAD=0", true},
      {"AT+CPMS=\"IM\"", false}, {"AT+MMAR=1", false},    {"AT+MMAR=2", true},
  };
  for (const auto& c : cases) {
    h.at(c.line);
    EXPECT_EQ(h.engine.takeChanged(), c.changes) << c.line;
  }
}

}  // namespace
}  // namespace quorvex::sim
