// What the handset's command interpreter shares between its parts: reply framing, error
// codes, field limits and its own small parsers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex::sim::engine {

inline constexpr int kCmeNotAllowed = 3;
inline constexpr int kCmeInvalidIndex = 21;
inline constexpr int kCmsNotAllowed = 302;
inline constexpr int kCmsInvalidIndex = 321;
inline constexpr int kCmsMemoryFull = 322;

inline constexpr int kNumberLength = 40;

std::string Line(std::string_view s);
char Upper(char c);
std::string Upper(std::string_view s);
std::string Quote(std::string_view s);
std::string S(std::int64_t v);

// A peer must not share the client's parsing, so the handset keeps its own copies of these.
int DaysInMonth(int year, int month);
// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d);
void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d);
bool Digits(std::string_view s, std::size_t at, std::size_t count, int& value);
std::optional<int> ToInt(std::string_view s, int lo, int hi);

std::string DefaultRevision(std::string_view model);

}  // namespace quorvex::sim::engine
