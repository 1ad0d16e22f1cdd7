#include <windows.h>

#include "platform/local_time.h"

namespace tellwick {

CalendarMinute local_calendar_minute(FileTime utc) {
  FILETIME file_time{static_cast<DWORD>(utc & 0xFFFFFFFF), static_cast<DWORD>(utc >> 32)};
  FILETIME local{};
  SYSTEMTIME fields{};
  FileTimeToLocalFileTime(&file_time, &local);
  FileTimeToSystemTime(&local, &fields);
  return {fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute};
}

}  // namespace tellwick
