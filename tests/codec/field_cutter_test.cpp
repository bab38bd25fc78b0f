#include "codec/field_cutter.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

namespace quorvex {
namespace {

TEST(FieldCutter, CutsAsTheDelphiDeleteWouldAndNeverPastTheEnd) {
  FieldCutter c("+MPBR: 12,\"555\",129");
  c.skip(7);
  EXPECT_EQ(c.before(','), "12");
  EXPECT_EQ(c.before(';'), "");  // no such separator: nothing before it
  c.through(',', 1);             // and the opening quote
  EXPECT_EQ(c.take('"'), "555");
  EXPECT_EQ(c.take(';'), "");  // nothing taken, nothing cut
  EXPECT_EQ(c.rest(), ",129");
  c.through(';', 2);  // without the separator only the extra characters go
  EXPECT_EQ(c.rest(), "29");
  c.skip(100);
  EXPECT_EQ(c.rest(), "");
  c.through(',', 5);
  EXPECT_EQ(c.rest(), "");
}

TEST(FieldCutter, FieldsEndWithTheLineAndThenThereAreNone) {
  struct Case {
    std::string_view line;
    std::vector<std::string_view> fields;
  } cases[] = {
      {"1,,x", {"1", "", "x"}},
      {"a,b,", {"a", "b", ""}},
      {"", {""}},
      {",", {"", ""}},
  };
  for (const Case& c : cases) {
    FieldCutter cut(c.line);
    for (std::string_view want : c.fields) EXPECT_EQ(cut.field(','), want) << c.line;
    EXPECT_EQ(cut.field(','), std::nullopt) << c.line;
    EXPECT_EQ(cut.field(','), std::nullopt) << c.line;
  }
}

}  // namespace
}  // namespace quorvex
