// Whether the notification area shows the program's icon for a window.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace tellwick::test {

// The notification area keeps the icon of a window and id only while it is
// shown: changing it works then and fails otherwise.
inline bool icon_is_shown(HWND window) {
  NOTIFYICONDATAW probe{};
  probe.cbSize = sizeof probe;
  probe.hWnd = window;
  probe.uID = 1;
  return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

}  // namespace tellwick::test
