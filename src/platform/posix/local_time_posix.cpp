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

}  // namespace tellwick
