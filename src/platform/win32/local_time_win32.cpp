#include <windows.h>

#include <ctime>

#include "platform/civil_days.h"
#include "platform/local_time.h"

namespace tellwick {
namespace {

// Every caller of the C library's local time needs the zone it can read;
// the program sets it up at start, tools and tests get it here.
void ensure_time_zone() {
  static const bool done = [] {
    use_system_time_zone();
    return true;
  }();
  (void)done;
}

}  // namespace

CalendarMinute local_calendar_minute(FileTime utc) {
  FILETIME file_time{static_cast<DWORD>(utc & 0xFFFFFFFF), static_cast<DWORD>(utc >> 32)};
  FILETIME local{};
  SYSTEMTIME fields{};
  FileTimeToLocalFileTime(&file_time, &local);
  FileTimeToSystemTime(&local, &fields);
  return {fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute};
}

bool local_calendar_second(std::int64_t unix_seconds, CalendarSecond& local) {
  ensure_time_zone();
  const __time64_t t = unix_seconds;
  std::tm fields{};
  if (_localtime64_s(&fields, &t) != 0) return false;
  local = {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec, 0};
  // The C library does not give the offset: it is the distance between the
  // local fields read as UTC and the moment itself.
  const std::int64_t as_utc =
      seconds_of_civil(local.year, local.month, local.day, local.hour, local.minute, local.second);
  local.utc_offset = static_cast<int>(as_utc - unix_seconds);
  return true;
}

bool unix_seconds_of_local(int year, int month, int day, int hour, int minute, std::int64_t& unix_seconds) {
  ensure_time_zone();
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_isdst = -1;
  const __time64_t t = _mktime64(&fields);
  if (t == -1) return false;
  unix_seconds = t;
  return true;
}

}  // namespace tellwick
