// Reading the help file's RTF form into formatted runs.
#include "info/rich_text.h"

#include <gtest/gtest.h>

namespace quorvex {
namespace {

struct RtfCase {
  const char* name;
  std::string rtf;
  std::vector<RichRun> runs;
};

class Rtf : public ::testing::TestWithParam<RtfCase> {};

TEST_P(Rtf, Reads) {
  EXPECT_EQ(ParseRtf(GetParam().rtf), GetParam().runs);
}

const RichRun Plain(std::string t) {
  return RichRun{std::move(t), false, false, false};
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Rtf,
    ::testing::Values(
        RtfCase{
            "PlainParagraphs", "{\\rtf1\\ansi first\\par second\\par}", {Plain("first\nsecond\n")}},
        RtfCase{"TablesOfFontsAndColoursAreNotText",
                "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;}\\f0 x}",
                {Plain("x")}},
        RtfCase{"IgnorableDestination", "{\\rtf1 a{\\*\\generator Tool 1.0;}b}", {Plain("ab")}},
        RtfCase{"BoldToggles",
                "{\\rtf1 a\\b b\\b0 c}",
                {Plain("a"), RichRun{"b", true, false, false}, Plain("c")}},
        RtfCase{"GroupRestoresFormatting",
                "{\\rtf1 {\\i\\ul it}back}",
                {RichRun{"it", false, true, true}, Plain("back")}},
        RtfCase{"CodePageBytes", "{\\rtf1\\ansicpg1251 \\'cf\\'f0\\'e8}", {Plain("\xcf\xf0\xe8")}},
        RtfCase{"UnicodeWithItsStandIn", "{\\rtf1 \\u1055?\\u1088?}", {Plain("\xcf\xf0")}},
        RtfCase{"UnicodeStandInCount", "{\\rtf1\\uc2 \\u1055\\'3f\\'3fx}", {Plain("\xcfx")}},
        RtfCase{"UnicodeOutsideTheCodePageIsDropped", "{\\rtf1 a\\u-3913?b}", {Plain("ab")}},
        RtfCase{"EscapedSymbols", "{\\rtf1 \\{a\\}\\\\}", {Plain("{a}\\")}},
        RtfCase{"LineBreaksInTheSourceAreNotText",
                "{\\rtf1 a\r\nb\\line c\\tab d}",
                {Plain("ab\nc\td")}},
        RtfCase{"Quotes", "{\\rtf1 \\ldblquote x\\rdblquote\\emdash}", {Plain("\x93x\x94\x97")}},
        RtfCase{"UnbalancedAndCutOff",
                "{\\rtf1 {\\b a}}}} b\\",
                {RichRun{"a", true, false, false}, Plain(" b")}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvex
