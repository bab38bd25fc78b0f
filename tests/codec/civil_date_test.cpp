#include "codec/civil_date.h"

#include <gtest/gtest.h>

namespace quorvex {
namespace {

TEST(DaysInMonth, GregorianLeapYears) {
  EXPECT_EQ(DaysInMonth(2026, 1), 31);
  EXPECT_EQ(DaysInMonth(2026, 4), 30);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2026, 0), 0);
  EXPECT_EQ(DaysInMonth(2026, 13), 0);
}

TEST(CivilDate, KnownDaysAndWeekdays) {
  struct Case {
    std::int64_t year;
    int month, day;
    std::int64_t days;
    int weekday;  // 0 Sunday
  } cases[] = {
      {1970, 1, 1, 0, 4},     {1969, 12, 31, -1, 3},      {2000, 2, 29, 11016, 2},
      {2000, 3, 1, 11017, 3}, {2026, 12, 8, 20795, 2},    {1900, 3, 1, -25508, 4},
      {1, 1, 1, -719162, 1},  {9999, 12, 31, 2932896, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day), c.days) << c.year << "-" << c.month;
    EXPECT_EQ(WeekdayOfDays(c.days), c.weekday) << c.days;
    const CivilDate back = CivilFromDays(c.days);
    EXPECT_EQ(back.year, c.year);
    EXPECT_EQ(back.month, c.month);
    EXPECT_EQ(back.day, c.day);
  }
}

TEST(CivilDate, EveryDayOfFourCenturiesFollowsTheOneBefore) {
  std::int64_t days = DaysFromCivil(1800, 1, 1);
  for (int year = 1800; year < 2200; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DaysInMonth(year, month); ++day, ++days) {
        ASSERT_EQ(DaysFromCivil(year, month, day), days) << year << "-" << month << "-" << day;
        const CivilDate back = CivilFromDays(days);
        ASSERT_TRUE(back.year == year && back.month == month && back.day == day) << days;
      }
    }
  }
}

}  // namespace
}  // namespace quorvex
