// Calendar arithmetic in the proleptic Gregorian calendar, without any time
// zone: what both systems' local time code and the history reader share.
#pragma once

#include <cstdint>

namespace tellwick {

// Days since 1970-01-01 of a calendar date (month 1..12).
constexpr std::int64_t days_of_civil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

constexpr std::int64_t seconds_of_civil(std::int64_t year, int month, int day, int hour, int minute, int second) {
  return days_of_civil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

constexpr bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

constexpr int days_in_month(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

}  // namespace tellwick
