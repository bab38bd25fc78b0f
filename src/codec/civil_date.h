// Dates of the proleptic Gregorian calendar as day numbers, for the exports' time stamps
// and recurrence rules.
#pragma once

#include <cstdint>

namespace quorvex {

struct CivilDate {
  std::int64_t year = 1970;
  int month = 1;
  int day = 1;
};

// The days of a month; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// Days since 1970-01-01 (negative before it), and back.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day);
CivilDate CivilFromDays(std::int64_t days);

// 0 Sunday .. 6 Saturday.
int WeekdayOfDays(std::int64_t days);

}  // namespace quorvex
