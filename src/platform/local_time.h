// Times shown to the user as local calendar time.
#pragma once

#include <cstdint>

#include "platform/file.h"

namespace tellwick {

struct CalendarMinute {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;  // 0..23
  int minute = 0;
};

// The calendar fields of a file time in local time, shifted by the offset
// from UTC in force now (not the one at the file's date), as Windows'
// FileTimeToLocalFileTime does.
CalendarMinute local_calendar_minute(FileTime utc);

struct CalendarSecond {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;  // 0..23
  int minute = 0;
  int second = 0;
  int utc_offset = 0;  // seconds east of UTC in force at that moment
};

// A moment (seconds since 1970-01-01 00:00 UTC) in local time by the C
// library's rules, summer time of that date included, as entry times are
// shown. False when the C library cannot place it.
bool local_calendar_second(std::int64_t unix_seconds, CalendarSecond& local);

// The moment of a local calendar time by the same rules; a time that a
// change of clocks skips or repeats is placed as the C library's mktime
// places it. Fields out of range roll over (the 32nd day is the 1st of the
// next month). False when the C library cannot place it.
bool unix_seconds_of_local(int year, int month, int day, int hour, int minute, std::int64_t& unix_seconds);

// Makes the C library's local time follow the system's time zone: on Windows
// it cannot read a Unix zone name in TZ (Wine passes the Unix TZ on, e.g.
// "Asia/Tokyo", which it would take as UTC), while the system time zone
// already follows that same zone there. Nothing to do on POSIX.
void use_system_time_zone();

}  // namespace tellwick
