// The cutting of the information replies, on framed, quirky and malformed replies.
#include <gtest/gtest.h>

#include "codec/errors.h"
#include "info/phone_info.h"
#include "info_fixture.h"

namespace quorvex {
namespace {

using testing::RaisedMessage;

// The framing the port object gives a usual answer: empty line, answer, empty line, OK.
std::string Framed(const std::string& line) {
  return "\r\n" + line + "\r\n\r\nOK\r\n";
}

struct TextCase {
  const char* name;
  std::string reply;
  std::string prefix;
  std::string plain;   // TrimInfoReply
  std::string quoted;  // CutQuotedValue
};

class TextCut : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextCut, PrefixAndSuffixGo) {
  const TextCase& c = GetParam();
  EXPECT_EQ(TrimInfoReply(c.reply, c.prefix), c.plain);
  EXPECT_EQ(CutQuotedValue(c.reply, c.prefix), c.quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, TextCut,
    ::testing::Values(
        TextCase{"Imei", Framed("+CGSN: IMEI350881027364519"), "\r\n+CGSN: IMEI", "350881027364519",
                 "5088102736451"},
        TextCase{"Manufacturer", Framed("+CGMI: \"Motorola CE, Copyright 2000\""),
                 "\r\n+CGMI: ", "\"Motorola CE, Copyright 2000\"", "Motorola CE, Copyright 2000"},
        // Without the prefix only the suffix is found: the leading line break stays.
        TextCase{"BareImsi", Framed("250019876543210"), "\r\n+CIMI: ", "\r\n250019876543210",
                 "\n25001987654321"},
        TextCase{"ErrorAnswer", "\r\nERROR\r\n", "\r\n+CGMI: ", "\r\nERROR\r\n", "\nERROR\r"},
        TextCase{"Empty", "", "\r\n+CGMR: ", "", ""},
        TextCase{"OneCharacter", Framed("+CGMR: \""), "\r\n+CGMR: ", "\"", ""},
        // Only the first occurrence of each goes.
        TextCase{"TwoOks", "\r\nA\r\n\r\nOK\r\n\r\nOK\r\n", "\r\nA", "\r\nOK\r\n", "\nOK\r"}),
    [](const auto& info) { return info.param.name; });

TEST(ImsiCut, TakesThePrefixedAndTheBareAnswer) {
  const struct {
    std::string reply, imsi;
  } cases[] = {
      {Framed("+CIMI: 250019876543210"), "250019876543210"},
      {Framed("250019876543210"), "250019876543210"},
      // A refusal and an answer without its OK read as the trim leaves them.
      {"\r\nERROR\r\n", "\r\nERROR\r\n"},
      {"\r\n250019876543210\r\n", "\r\n250019876543210\r\n"},
      {Framed(""), ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CutImsi(c.reply), c.imsi) << c.reply;
}

struct ModelCase {
  const char* name;
  std::string reply;
  std::string bands;
  std::string model;
};

class ModelCut : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ModelCut, BandsAndModel) {
  const ModelCase& c = GetParam();
  ModelReply m = CutModelReply(c.reply);
  EXPECT_EQ(m.bands, c.bands);
  EXPECT_EQ(m.model, c.model);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ModelCut,
    ::testing::Values(
        ModelCase{"ThreeBands", Framed("+CGMM: \"GSM900\",\"GSM1800\",\"GSM1900\",\"MODEL=T720i\""),
                  "GSM900, GSM1800, GSM1900", "T720i"},
        ModelCase{"TwoBands", Framed("+CGMM: \"GSM900\",\"GSM1800\",\"MODEL=C330\""),
                  "GSM900, GSM1800", "C330"},
        ModelCase{"NoBands", Framed("+CGMM: \"MODEL=V150\""), "", "V150"},
        // Without MODEL the bands are empty and the deletions run over the whole text.
        ModelCase{"NoModelItem", Framed("+CGMM: \"GSM900\""), "", "\""},
        ModelCase{"ErrorAnswer", "\r\nERROR\r\n", "", "R\r\n"}, ModelCase{"Empty", "", "", ""},
        // A quote pair: one quote per position goes, so one stays.
        ModelCase{"DoubledQuote", Framed("+CGMM: \"A\"\"B\",\"MODEL=V70\""), "A\"B", "V70"}),
    [](const auto& info) { return info.param.name; });

struct GaugeCase {
  const char* name;
  std::string reply;
  std::int32_t value;  // when error is empty
  std::string error;
};

class BatteryCut : public ::testing::TestWithParam<GaugeCase> {};

TEST_P(BatteryCut, LevelAfterTheStatus) {
  const GaugeCase& c = GetParam();
  std::int32_t got = -1;
  EXPECT_EQ(RaisedMessage([&] { got = CutBatteryCharge(c.reply); }), c.error);
  if (c.error.empty()) {
    EXPECT_EQ(got, c.value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, BatteryCut,
    ::testing::Values(
        GaugeCase{"Usual", Framed("+CBC: 0,80"), 80, ""},
        GaugeCase{"Full", Framed("+CBC: 0,100"), 100, ""},
        GaugeCase{"Charging", Framed("+CBC: 1,5"), 5, ""},
        // The cut sits at the third character whatever the status.
        GaugeCase{"TwoDigitStatus", Framed("+CBC: 10,80"), 0, "',80' is not a valid integer value"},
        GaugeCase{"ErrorAnswer", "\r\nERROR\r\n", 0, "'ERROR\r\n' is not a valid integer value"},
        GaugeCase{"Empty", "", 0, "'' is not a valid integer value"}),
    [](const auto& info) { return info.param.name; });

class SignalCut : public ::testing::TestWithParam<GaugeCase> {};

TEST_P(SignalCut, StrengthBeforeTheComma) {
  const GaugeCase& c = GetParam();
  std::int32_t got = -1;
  EXPECT_EQ(RaisedMessage([&] { got = CutSignalStrength(c.reply); }), c.error);
  if (c.error.empty()) {
    EXPECT_EQ(got, c.value);
  }
}

INSTANTIATE_TEST_SUITE_P(Replies, SignalCut,
                         ::testing::Values(GaugeCase{"Usual", Framed("+CSQ: 17,99"), 17, ""},
                                           GaugeCase{"NotKnown", Framed("+CSQ: 99,99"), 99, ""},
                                           GaugeCase{"NoComma", Framed("+CSQ: 17"), 0,
                                                     "'' is not a valid integer value"},
                                           GaugeCase{"Letters", Framed("+CSQ: x,0"), 0,
                                                     "'x' is not a valid integer value"}),
                         [](const auto& info) { return info.param.name; });

TEST(SignalGauge, LevelsAndTheNotKnownRange) {
  struct {
    int strength;
    std::optional<int> shown;
  } cases[] = {{0, -113},          {1, -111},           {17, -79},
               {31, -51},          {32, -114},          {99, -114},
               {-1, std::nullopt}, {100, std::nullopt}, {-2147483647, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(SignalGaugeValue(c.strength), c.shown) << c.strength;
}

TEST(ProgressBar, ClampsToItsRangeAndDrawsThePercentage) {
  ProgressBar signal{-114, -50, -114};
  struct {
    int set, progress, percent;
  } cases[] = {{-113, -113, 1}, {-51, -51, 98}, {-82, -82, 50}, {-40, -50, 100}, {-200, -114, 0}};
  for (const auto& c : cases) {
    signal.setPosition(c.set);
    EXPECT_EQ(signal.Position, c.progress) << c.set;
    EXPECT_EQ(signal.percentDone(), c.percent) << c.set;
  }
  ProgressBar degenerate{5, 5, 5};
  EXPECT_EQ(degenerate.percentDone(), 0);
}

TEST(Pictures, ModelTableIsExactAndCaseSensitive) {
  struct {
    const char* model;
    std::optional<std::string> file;
  } cases[] = {{"T720i", "t722i.jpg"}, {"C330", "c33x.jpg"},   {"V60", "v60.jpg"},
               {"V60i", "v60i.jpg"},   {"V150", "v150.jpg"},   {"T720", std::nullopt},
               {"V66", std::nullopt},  {"c350", std::nullopt}, {"C350 ", std::nullopt},
               {"", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(PictureFileFor(c.model), c.file) << c.model;
}

}  // namespace
}  // namespace quorvex
