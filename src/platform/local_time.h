// File times shown to the user as local calendar time.
#pragma once

#include "platform/file.h"

namespace tellwick {

struct CalendarMinute {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;   // 0..23
  int minute = 0;
};

// The calendar fields of a file time in local time, shifted by the offset
// from UTC in force now (not the one at the file's date), as Windows'
// FileTimeToLocalFileTime does.
CalendarMinute local_calendar_minute(FileTime utc);

}  // namespace tellwick
