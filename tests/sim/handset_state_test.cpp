#include "sim/handset_state.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "sim/handset_text.h"

namespace quorvex::sim {
namespace {

TEST(HandsetText, Ucs2HexCarriesEveryCharacterOfTheCodePage) {
  const struct {
    std::string text, hex;
  } cases[] = {
      {"", ""},
      {"\xA8\xE6", "04010436"},  // Ёж
      {"Ab 1", "0041006200200031"},
      {"a\r\nb", "0061000D000A0062"},
      {"\xB9"
       "5",
       "21160035"},      // №5
      {"\x88", "20AC"},  // €
      {"\xFF", "044F"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeUcs2Hex(c.text), c.hex);
    EXPECT_EQ(DecodeUcs2Hex(c.hex), c.text);
  }
  EXPECT_EQ(DecodeUcs2Hex("044f"), "\xFF");
  EXPECT_EQ(DecodeUcs2Hex("4E2D"), "?");  // no such character in the code page
  for (const char* bad : {"041", "00zz", "0041 "}) EXPECT_FALSE(DecodeUcs2Hex(bad)) << bad;
}

TEST(HandsetText, EightBitSetsShowWhatTheyCannotCarryAsQuestionMarks) {
  EXPECT_EQ(EncodeText(Charset::Ira, "Ab\xC0"), "Ab?");
  EXPECT_EQ(EncodeText(Charset::Latin1, "\xA0\xC0"), "\xA0?");
  EXPECT_EQ(DecodeText(Charset::Latin1, "\xA0\xE9"), "\xA0?");
  EXPECT_EQ(CharsetFromName("ucs2"), Charset::Ucs2);
  EXPECT_FALSE(CharsetFromName("HEX"));
}

HandsetState Tricky() {
  HandsetState st = EmptyState();
  st.entries[3] =
      PhoneEntry{"+7\\0", 145, "A\tB", 3, 1, 7, 2, 0, 4, 14, 200, 9, "pic\n1", 5, 6, ""};
  st.entries[4] =
      PhoneEntry{"+4", 129, "Zo?", 0, 0, 255, 0, 1, 0, 255, 255, 0, "", 0, 0, "005A006F00EB"};
  st.groups[1] = CallerGroup{"\xD0\xE0\xE1\xEE\xF2\xE0", 12};
  st.events[0] = DateEvent{"x\\t", '1', '1', "10:30", "07-12-2026", 60, "10:15", "07-12-2026", 3};
  st.messages[5] = Message{MessageStore::Incoming, MessageStatus::RecUnread, "+1",
                           "26/12/07,18:02:11+12", "line1\r\nline2;\\"};
  st.clockOffset = -3600;
  st.revision = "R1";
  return st;
}

TEST(HandsetState, SerializedStateReadsBackUnchanged) {
  for (const HandsetState& st : {EmptyState(), DemoState(), Tricky()}) {
    EXPECT_EQ(ParseState(SerializeState(st)), st);
  }
}

TEST(HandsetState, DemoHandsetHoldsWhatADemoNeeds) {
  const HandsetState st = DemoState();
  int sim = 0;
  for (const auto& [index, e] : st.entries) sim += index >= st.simFirst();
  EXPECT_GE(sim, 2);
  EXPECT_GE(st.entries.size() - sim, 8u);
  EXPECT_EQ(st.groups.size(), 4u);
  bool unread = false, read = false, sent = false, unsent = false, draft = false;
  for (const auto& [index, m] : st.messages) {
    unread |= m.status == MessageStatus::RecUnread;
    read |= m.status == MessageStatus::RecRead;
    sent |= m.status == MessageStatus::StoSent;
    unsent |= m.store == MessageStore::Outgoing && m.status == MessageStatus::StoUnsent;
    draft |= m.store == MessageStore::Drafts;
  }
  EXPECT_TRUE(unread && read && sent && unsent && draft);
  bool alarm = false, noAlarm = false, repeat = false;
  for (const auto& [index, ev] : st.events) {
    alarm |= ev.alarmFlag == '1';
    noAlarm |= ev.alarmFlag == '0';
    repeat |= ev.repeat != 0;
  }
  EXPECT_TRUE(alarm && noAlarm && repeat);
}

TEST(HandsetState, RejectsBrokenFilesNamingTheLine) {
  const struct {
    std::string text, message;
  } cases[] = {
      {"", "line 1: the file is empty"},
      {"imei\t1\n", "line 1: the file does not begin"},
      {"quorvex-handset\t2\n", "unsupported format version"},
      {"quorvex-handset\t1\n# note\nbattery\t0\n", "line 3: \"battery\" takes 2 fields"},
      {"quorvex-handset\t1\nbattery\t0\t101\n", "line 2: field 2 is out of range"},
      {"quorvex-handset\t1\nsignal\tx\t1\n", "line 2: field 1 is not a number"},
      {"quorvex-handset\t1\nfoo\n", "unknown record \"foo\""},
      {"quorvex-handset\t1\nimei\ta\\q\n", "unknown escape"},
      {"quorvex-handset\t1\nmessage\t1\tIM\tSTO SENT\t\t\tx\n", "does not belong in store IM"},
      {"quorvex-handset\t1\nentry\t9\t1\t129\tn\t0\t0\t255\t0\t1\t0\t255\t255\t0\t\t0\t0\n"
       "phone-book\t5\t3\n",
       "line 2: entry 9 lies beyond the phone book"},
  };
  for (const auto& c : cases) {
    try {
      ParseState(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(HandsetState, FileRoundTripReplacesTheFileWhole) {
  char dir[] = "/tmp/quorvex-state-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/handset.txt";
  HandsetState loaded;
  EXPECT_FALSE(LoadStateFile(path, loaded));
  SaveStateFile(path, Tricky());
  SaveStateFile(path, DemoState());
  ASSERT_TRUE(LoadStateFile(path, loaded));
  EXPECT_EQ(loaded, DemoState());
  // Nothing but the state file is left beside it.
  EXPECT_EQ(std::system((std::string("test $(ls -A ") + dir + " | wc -l) -eq 1").c_str()), 0);
  std::ofstream(path) << "quorvex-handset\t1\nbogus\n";
  EXPECT_THROW(LoadStateFile(path, loaded), std::runtime_error);
  std::remove(path.c_str());
  rmdir(dir);
}

}  // namespace
}  // namespace quorvex::sim
