// The new message dialog's own logic: counter, key filter, language switch and "Ok".
#include "messages/new_message_dialog.h"

#include <gtest/gtest.h>

#include "codec/ru.h"
#include "sms_fixture.h"

namespace quorvex::sms {
namespace {

using testing::Box;
using testing::RecordingUi;

struct KeyCase {
  const char* name;
  int language;
  int length;  // characters already typed
  unsigned char key;
  char expected;
};

class KeyFilter : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyFilter, PassesRefusesOrTurnsIntoBackspace) {
  const KeyCase& c = GetParam();
  TfrmSaveSMS d;
  d.rgLanguageClick(c.language);
  d.Memo1.assign(static_cast<std::size_t>(c.length), 'a');
  EXPECT_EQ(static_cast<unsigned char>(d.Memo1KeyPress(static_cast<char>(c.key))),
            static_cast<unsigned char>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyFilter,
    ::testing::Values(KeyCase{"LatinLetter", 0, 0, 'a', 'a'},
                      KeyCase{"EnterRefusedLatin", 0, 5, 13, 0},
                      KeyCase{"EnterRefusedCyrillic", 1, 5, 13, 0},
                      KeyCase{"CyrillicRefusedInLatin", 0, 0, 0xC0, 0},
                      KeyCase{"LastCyrillicRefusedInLatin", 0, 0, 0xFF, 0},
                      KeyCase{"CapitalYoPassesInLatin", 0, 0, 0xA8, static_cast<char>(0xA8)},
                      KeyCase{"SmallYoPassesInLatin", 0, 0, 0xB8, static_cast<char>(0xB8)},
                      KeyCase{"CyrillicPassesInCyrillic", 1, 0, 0xE0, static_cast<char>(0xE0)},
                      KeyCase{"BelowLimitPasses", 0, 159, 'z', 'z'},
                      KeyCase{"AtLatinLimitBackspace", 0, 160, 'z', 8},
                      KeyCase{"RefusedKeyAtLimitStillBackspace", 0, 160, 0xC0, 8},
                      KeyCase{"AtCyrillicLimitBackspace", 1, 70, 0xE0, 8},
                      KeyCase{"AboveLimitPasses", 1, 71, 'z', 'z'}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSmsDialog, TypingAtTheLimitRemovesTheLastCharacter) {
  TfrmSaveSMS d;
  for (int i = 0; i < 160; ++i) d.TypeKey('x');
  d.Memo1.back() = 'y';
  d.Memo1Change();
  EXPECT_EQ(d.Label3Caption, Ru("Осталось символов: 0"));
  d.TypeKey('q');
  EXPECT_EQ(d.Memo1, std::string(159, 'x'));
  EXPECT_EQ(d.Label3Caption, Ru("Осталось символов: 1"));
}

TEST(SaveSmsDialog, CounterGoesNegativeForPastedText) {
  TfrmSaveSMS d;
  d.rgLanguageClick(1);
  d.SetMemoText(std::string(75, 'x'));
  EXPECT_EQ(d.Label3Caption, Ru("Осталось символов: -5"));
}

TEST(SaveSmsDialog, LanguageSwitchEmptiesTheTextAndSetsTheLimit) {
  TfrmSaveSMS d;
  EXPECT_EQ(d.Label3Caption, Ru("Осталось символов: 160"));
  d.SetMemoText("hello");
  d.rgLanguageClick(1);
  EXPECT_EQ(d.Memo1, "");
  EXPECT_TRUE(d.Memo1Focused);
  EXPECT_EQ(d.Label3Caption, Ru("Осталось символов: 70"));
  d.SetMemoText("hi");
  d.rgLanguageClick(0);
  EXPECT_EQ(d.Memo1, "");
  EXPECT_EQ(d.Label3Caption, Ru("Осталось символов: 160"));
}

struct OkCase {
  const char* name;
  const char* combo;  // UTF-8
  const char* text;   // UTF-8
  const char* box;    // UTF-8, "" when "Ok" closes
  MsgKind kind;
  const char* command;  // UTF-8 store command when it closes
};

class OkButton : public ::testing::TestWithParam<OkCase> {};

TEST_P(OkButton, ValidatesAndBuildsTheStoreCommand) {
  const OkCase& c = GetParam();
  RecordingUi ui;
  TfrmSaveSMS d;
  d.RecipientNames = {Ru("Анна"), Ru("Анна"), "Bob"};
  d.RecipientNumbers = {"+111", "+222", "+333"};
  for (const auto& n : d.RecipientNames) d.cbAbonentsItems.push_back({n});
  d.cbAbonentsText = Ru(c.combo);
  d.SetMemoText(Ru(c.text));
  d.visible = true;
  const bool closed = d.SpeedButton1Click(ui);
  if (*c.box) {
    EXPECT_FALSE(closed);
    EXPECT_TRUE(d.visible);
    EXPECT_FALSE(d.Confirmed);
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{Ru(c.box), c.kind, MsgButtons::Ok}}));
  } else {
    EXPECT_TRUE(closed);
    EXPECT_FALSE(d.visible);
    EXPECT_TRUE(d.Confirmed);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(d.WriteCommand, Ru(c.command));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OkButton,
    ::testing::Values(OkCase{"NoNumber", "", "text", "Введите номер для отправки", MsgKind::Warning,
                             ""},
                      OkCase{"NoText", "+7", "", "Сообщение пустое...", MsgKind::Information, ""},
                      OkCase{"TypedNumber", "+7916", "Hi", "", MsgKind::Message,
                             "AT+CMGW=\"+7916\"\r00480069\x1a"},
                      OkCase{"FirstOfTwoEqualNames", "Анна", "A", "", MsgKind::Message,
                             "AT+CMGW=\"+111\"\r0041\x1a"},
                      OkCase{"NameIsCaseSensitive", "bob", "A", "", MsgKind::Message,
                             "AT+CMGW=\"bob\"\r0041\x1a"},
                      OkCase{"YoAndPastedLineBreak", "Bob", "Ёё\r\nx", "", MsgKind::Message,
                             "AT+CMGW=\"+333\"\r040104510078\x1a"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSmsDialog, WithoutItemsTheTextIsTheNumberEvenWhenANameMatches) {
  RecordingUi ui;
  TfrmSaveSMS d;
  d.RecipientNames = {"Bob"};
  d.RecipientNumbers = {"+333"};
  d.cbAbonentsText = "Bob";
  d.SetMemoText("x");
  ASSERT_TRUE(d.SpeedButton1Click(ui));
  EXPECT_EQ(d.Recipient, "Bob");
}

TEST(SaveSmsDialog, CancelKeepsConfirmedAsTheCallerSetIt) {
  TfrmSaveSMS d;
  d.visible = true;
  d.SpeedButton2Click();
  EXPECT_FALSE(d.visible);
  EXPECT_FALSE(d.Confirmed);
}

}  // namespace
}  // namespace quorvex::sms
