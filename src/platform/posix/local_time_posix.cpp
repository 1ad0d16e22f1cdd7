#include <ctime>

#include "platform/local_time.h"

namespace tellwick {
namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

}  // namespace

CalendarMinute local_calendar_minute(FileTime utc) {
  const std::time_t now = std::time(nullptr);
  std::tm local_now{};
  localtime_r(&now, &local_now);
  const std::int64_t unix_seconds =
      static_cast<std::int64_t>(utc / kTicksPerSecond) - kSecondsFrom1601To1970 + local_now.tm_gmtoff;
  const std::time_t shifted = static_cast<std::time_t>(unix_seconds);
  std::tm fields{};
  gmtime_r(&shifted, &fields);
  return {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min};
}

bool local_calendar_second(std::int64_t unix_seconds, CalendarSecond& local) {
  const std::time_t t = static_cast<std::time_t>(unix_seconds);
  std::tm fields{};
  if (localtime_r(&t, &fields) == nullptr) return false;
  local = {fields.tm_year + 1900,
           fields.tm_mon + 1,
           fields.tm_mday,
           fields.tm_hour,
           fields.tm_min,
           fields.tm_sec,
           static_cast<int>(fields.tm_gmtoff)};
  return true;
}

bool unix_seconds_of_local(int year, int month, int day, int hour, int minute, std::int64_t& unix_seconds) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_isdst = -1;
  const std::time_t t = std::mktime(&fields);
  // -1 is also 1969-12-31 23:59:59 UTC, a moment no entry time reaches.
  if (t == static_cast<std::time_t>(-1)) return false;
  unix_seconds = t;
  return true;
}

void use_system_time_zone() {}

}  // namespace tellwick
