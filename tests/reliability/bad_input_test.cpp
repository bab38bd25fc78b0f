// Typed text that code page 1251 cannot hold, in every edit field: emoji, CJK, combining
// marks, the replacement characters of broken UTF-8 and lone UTF-16 surrogates. Each goes
// the way the window takes it (the widget's QString through FromQ into the dialog's model)
// and on to what the handset receives or the file holds: the characters cp1251 cannot hold
// are gone, everything else arrives intact. The command line refuses such an argument as a
// usage error instead.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../phonebook/phonebook_fixture.h"
#include "codec/ru.h"
#include "datebook/event_dialog.h"
#include "info/comm_config.h"
#include "info/terminal.h"
#include "messages/new_message_dialog.h"
#include "phonebook/add_record_dialog.h"
#include "serial/port_settings.h"
#include "ui/qt_text.h"

extern char** environ;

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using ui::FromQ;
using ui::FromQLines;

// UTF-16 code units as the widget holds them, lone surrogates included.
QString Units(std::u16string units) {
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}
QString Utf8(const std::string& bytes) {
  return QString::fromUtf8(bytes.data(), bytes.size());
}

// The hostile text every field gets: Ив, an emoji, ан, a CJK sign, e with a combining acute,
// a lone high surrogate, the replacement character broken UTF-8 becomes, №1. Of it cp1251
// holds Иван, e, № and 1; the handset's character set holds all of these but the №.
QString Hostile() {
  return Units(u"Ив\U0001F600ан\u4E2De\u0301\xD800") + Utf8("\xFF") + Units(u"№1");
}
const std::string kHostileKept = Ru("Иванe№1");
const std::string kHostileHex = "041804320430043D006521160031";

// ---------------------------------------------------------------------------------------
// The conversion the window's fields use.

TEST(TypedText, CharactersCp1251CannotHoldAreDroppedAndTheRestKept) {
  struct Case {
    const char* name;
    QString typed;
    std::string kept;
  };
  const Case cases[] = {
      {"emoji", Units(u"Ab\U0001F600c"), "Abc"},
      {"emoji with a variation selector and a joiner", Units(u"x\u2764\uFE0F\u200Dy"), "xy"},
      {"CJK", Utf8("Иван中文Петров"), Ru("ИванПетров")},
      {"combining marks after Latin and Cyrillic", Units(u"e\u0301и\u0306"), Ru("eи")},
      {"broken UTF-8 as the widget got it",
       Utf8("a\xFF\xFE"
            "b\xE2\x82"),
       "ab"},
      {"a lone high surrogate",
       Units(u"A\xD800"
             "B"),
       "AB"},
      {"a lone low surrogate", Units(u"A\xDC00"), "A"},
      {"a high surrogate at the end", Units(u"AB\xDBFF"), "AB"},
      {"surrogates the wrong way round",
       Units(u"1\xDC00\xD800"
             "2"),
       "12"},
      {"cp1251 punctuation stays", Units(u"№ «x» — €"), "\xB9 \xABx\xBB \x97 \x88"},
      {"nothing left", Units(u"\U0001F600\xD800"), ""},
      {"the whole hostile text", Hostile(), kHostileKept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FromQ(c.typed), c.kept);
    // A memo keeps its line breaks as CR LF around what is dropped.
    EXPECT_EQ(FromQLines(c.typed + "\n" + c.typed), c.kept + "\r\n" + c.kept);
  }
}

// ---------------------------------------------------------------------------------------
// Each edit field of each dialog, on to the command it builds or the file it writes. Each
// case fills its dialog twice, once as typed and once with the text that should be left,
// and the two results must agree; the left text's form on the wire is checked as well.

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class TypedFields : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = phonebook::testing::ScratchDir(); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(TypedFields, PortDialogWritesWhatIsLeftToTheFile) {
  struct Case {
    const char* name;
    QString port, baud;
    std::string file;  // lines 2 and 3
  };
  const Case cases[] = {
      {"emoji and surrogate in the port", Units(u"COM\U0001F6003\xD800"), Units(u"19200"),
       "Port=COM3" + Ru("; - имя порта") + "\r\nBaudRate=19200"},
      {"CJK and a lone surrogate in the rate", Units(u"COM1"),
       Units(u"19\u4E2D2\xDC00"
             "00"),
       "Port=COM1" + Ru("; - имя порта") + "\r\nBaudRate=19200"},
      {"a Cyrillic port name is kept", Units(u"Порт\u0301"), Units(u"9600\U0001F600"),
       "Port=" + Ru("Порт") + Ru("; - имя порта") + "\r\nBaudRate=9600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = (dir_ / "portcfg.ini").string();
    PortSettings settings{"OLD", 300, 3000};
    TfrmCommConfig dialog(settings, file, (dir_ / "dev").string(), (dir_ / "sys").string());
    dialog.FormShow();
    dialog.cbComSelectChange(FromQ(c.port));
    ASSERT_NO_THROW(dialog.cbBaudRateChange(FromQ(c.baud)));
    dialog.sbApplyClick();
    const std::string written = ReadFile(file);
    EXPECT_EQ(written.substr(written.find("\r\n") + 2, c.file.size()), c.file);
  }
}

// The record dialog as the add operation prepares it for a V60 (indices 1..10).
void Prepare(phonebook::TfrmAddRecord& d) {
  d.PhoneModel = "V60";
  d.FormShow();
  d.cbRecordNum.setItems({"1", "2", "3"});
  d.cbRecordNum.select(0);
  d.cbType.select(2);
  d.cbIDs.selectLast();
  d.RecordCount = 10;
  d.Taken = std::vector<bool>(10, false);
}

TEST_F(TypedFields, RecordDialogBuildsTheCommandOfWhatIsLeft) {
  struct Case {
    const char* name;
    QString number, name_, index;
    std::string number_kept, name_kept, index_kept;
  };
  const Case cases[] = {
      {"hostile name", Units(u"+7916"), Hostile(), Units(u"2"), "+7916", kHostileKept, "2"},
      {"hostile number and index", Units(u"+7\U0001F600916\xD800"), Utf8("Иван"), Units(u"3\u4E2D"),
       "+7916", Ru("Иван"), "3"},
      {"combining mark alone in the name", Units(u"+1"), Units(u"A\u0301"), Units(u"1"), "+1", "A",
       "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    phonebook::testing::RecordingUi ui;
    phonebook::TfrmAddRecord typed, clean;
    Prepare(typed);
    Prepare(clean);
    // What the view does with an edit's text and with the editable index box.
    typed.edtPhoneNumber.text = FromQ(c.number);
    typed.edtAbonentName.text = FromQ(c.name_);
    typed.cbRecordNum.text = FromQ(c.index);
    typed.cbRecordNum.itemIndex = -1;
    clean.edtPhoneNumber.text = c.number_kept;
    clean.edtAbonentName.text = c.name_kept;
    clean.cbRecordNum.text = c.index_kept;
    clean.cbRecordNum.itemIndex = -1;
    typed.SpeedButton1Click(ui);
    clean.SpeedButton1Click(ui);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(typed.RecordCommand.empty());
    EXPECT_EQ(typed.RecordCommand, clean.RecordCommand);
  }
}

TEST_F(TypedFields, RecordDialogsAlertBoxTakesNoKeyCp1251CannotHold) {
  phonebook::TfrmAddRecord d;
  Prepare(d);
  d.cbIDs.select(-1);
  d.cbIDs.text.clear();
  // The view hands each key to the filter only when it is one cp1251 byte; a key that is
  // no byte at all never reaches the box.
  for (const QString& key : {Units(u"4"), Units(u"\U0001F600"), Units(u"\xD800"), Units(u"\u4E2D"),
                             Units(u"2"), Units(u"\u0301")}) {
    const std::string bytes = FromQ(key);
    if (bytes.size() != 1) continue;
    char k = bytes[0];
    d.cbIDsKeyPress(k);
    if (k != '\0') d.cbIDs.text += k;
  }
  EXPECT_EQ(d.cbIDs.text, "42");
}

TEST_F(TypedFields, EventDialogBuildsTheCommandOfWhatIsLeft) {
  auto prepared = [] {
    datebook::TfrmAddEvent d;
    d.EventIndex = 7;
    d.RadioGroup1.itemIndex = 1;
    d.dtpStartTime = {9, 5, 0};
    d.dtpStartDate = {2026, 3, 5};
    d.seDuration.setValue(30);
    d.seAl_time.setValue(10);
    d.cbRepeat.select(2);
    return d;
  };
  phonebook::testing::RecordingUi ui;
  datebook::TfrmAddEvent typed = prepared(), clean = prepared();
  typed.edtEventTitle = FromQ(Hostile());
  clean.edtEventTitle = kHostileKept;
  // The repeat box typed with an emoji after its item's caption is that item.
  typed.typeRepeat(FromQ(Utf8("еженедельно") + Units(u"\U0001F600\xDC00")));
  clean.typeRepeat(Ru("еженедельно"));
  ASSERT_TRUE(typed.SpeedButton1Click(ui));
  ASSERT_TRUE(clean.SpeedButton1Click(ui));
  EXPECT_EQ(typed.WriteCommand, clean.WriteCommand);
  EXPECT_EQ(typed.WriteCommand.substr(0, 10 + kHostileHex.size()), "AT+MDBW=7," + kHostileHex);
  EXPECT_EQ(typed.RepeatCode, clean.RepeatCode);
  EXPECT_NE(typed.RepeatCode, "-1");
}

TEST_F(TypedFields, NewMessageDialogStoresWhatIsLeft) {
  struct Case {
    const char* name;
    QString to, text;
    std::string command;
  };
  const Case cases[] = {
      {"hostile text with a line break", Units(u"+7916"), Hostile() + "\nx",
       "AT+CMGW=\"+7916\"\r" + kHostileHex + "0078\x1a"},
      {"hostile recipient", Units(u"+7\U0001F600916\xD800\u4E2D"), Units(u"Hi"),
       "AT+CMGW=\"+7916\"\r00480069\x1a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    phonebook::testing::RecordingUi ui;
    sms::TfrmSaveSMS d;
    d.cbAbonentsText = FromQ(c.to);
    d.SetMemoText(FromQLines(c.text));
    d.visible = true;
    EXPECT_TRUE(d.SpeedButton1Click(ui));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(d.WriteCommand, c.command);
  }
}

// ---------------------------------------------------------------------------------------
// End to end against the simulated handset: the terminal's command line and the phone book's
// add operation.

TEST(TypedOnTheWire, TerminalSendsTheCommandWithoutWhatCp1251CannotHold) {
  phonebook::testing::Handset h("V60", phonebook::testing::Book(10, 5, {}));
  struct Case {
    QString typed;
    std::string sent;
  };
  const Case cases[] = {
      {Units(u"AT+CGMM\U0001F600"), "AT+CGMM"},
      {Units(u"AT\xD800+CG\u4E2DSN"), "AT+CGSN"},
      {Units(u"A\u0301T"), "AT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    Terminal terminal;
    terminal.cbCommandChange(FromQ(c.typed));
    terminal.btnSendCommandClick(h.app());
    EXPECT_EQ(h.sent(), std::vector<std::string>{c.sent});
  }
}

TEST(TypedOnTheWire, AddedEntryReachesTheHandsetWithWhatIsLeft) {
  phonebook::testing::Handset h(
      "V60", phonebook::testing::Book(10, 5, {{5, phonebook::testing::Entry("+1", "Old")}}));
  h.section.sbReadAllClick(h.app());
  h.sent();
  h.ui.onModal = [&h](ModalDialog& m) {
    auto& d = dynamic_cast<phonebook::TfrmAddRecord&>(m);
    d.edtPhoneNumber.text = FromQ(Units(u"+7\U0001F600916\xD800"));
    d.edtAbonentName.text = FromQ(Hostile());
    d.SpeedButton1Click(h.ui);
    if (!d.closed()) d.SpeedButton2Click();
  };
  h.section.sbAddRecordClick(h.app());
  const std::vector<std::string> sent = h.sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back().rfind("AT+MPBW=1,\"+7916\",145," + kHostileHex + ",", 0), 0u)
      << sent.back();
  const sim::HandsetState st = h.phone().state();
  ASSERT_EQ(st.entries.count(1), 1u);
  EXPECT_EQ(st.entries.at(1).name, kHostileKept);
  EXPECT_EQ(st.entries.at(1).number, "+7916");
}

// ---------------------------------------------------------------------------------------
// The command line: an argument with a character cp1251 cannot hold is a usage error, and
// nothing reaches the handset.

struct CliRun {
  int status = -1;
  std::string err;
};

CliRun RunCli(const fs::path& dir, std::vector<std::string> args) {
  args.insert(args.begin(), QUORVEX_CLI_PATH);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string err = (dir / "stderr").string();
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addchdir_np(&fa, dir.c_str());
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  CliRun r;
  if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) return r;
  posix_spawn_file_actions_destroy(&fa);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.err = ReadFile(err);
  return r;
}

TEST_F(TypedFields, CommandLineRefusesWhatCp1251CannotHold) {
  sim::SimOptions o;
  o.model = "V60";
  sim::PhoneSim phone(o);
  phone.start();
  const std::vector<std::string> link = {"--port", phone.slavePath(), "--baud",
                                         "115200", "--timeout",       "1000"};
  auto with = [&](std::vector<std::string> rest) {
    std::vector<std::string> a = link;
    a.insert(a.end(), rest.begin(), rest.end());
    return a;
  };
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {"plain command", with({"at", "AT"}), 0},
      {"Cyrillic is held", with({"at", "AT+\xD0\x99"}), 0},
      {"emoji", with({"at", "AT\xF0\x9F\x98\x80"}), 2},
      {"CJK", with({"at", "AT\xE4\xB8\xAD"}), 2},
      {"combining mark", with({"at", "AT\xCC\x81"}), 2},
      {"invalid UTF-8", with({"at", "AT\xFF"}), 2},
      {"truncated sequence", with({"at", "AT\xE2\x82"}), 2},
      {"an encoded surrogate", with({"at", "AT\xED\xA0\x80"}), 2},
      {"overlong form of a slash", with({"at", "AT\xC0\xAF"}), 2},
      {"in the port option", {"--port", "COM\xF0\x9F\x98\x80", "at", "AT"}, 2},
      {"in a dialog option", with({"sms", "new", "--to", "+7", "--text", "\xE4\xB8\xAD"}), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    phone.clearTranscript();
    const CliRun r = RunCli(dir_, c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.status == 2) {
      EXPECT_NE(r.err.find("code page 1251"), std::string::npos) << r.err;
      EXPECT_TRUE(phone.transcript().empty());
    } else {
      EXPECT_FALSE(phone.transcript().empty());
    }
  }
}

}  // namespace
}  // namespace quorvex
