// The notification-area icon that stands for the main window while it is hidden.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace tellwick {

constexpr UINT kTrayCallbackMessage = WM_USER;
constexpr int kTrayAddRetries = 31;  // after the first failed add
constexpr DWORD kTrayRetryDelayMs = 1000;

// The one record every Shell_NotifyIconW call passes.
NOTIFYICONDATAW& notify_icon_record();

// Fills the record for `window` with the icon MAIN of `instance`.
void prepare_notify_icon(HWND window, HINSTANCE instance);

// Hides the window and shows the icon: 0 when the icon is shown, 1 when the
// notification area kept refusing it (the window is visible again, and the
// status log says so).
int hide_to_tray(HWND window);

// Removes the icon and shows the window.
void restore_from_tray(HWND window);

// Removes the icon; harmless when it is not shown.
void remove_tray_icon();

// Whether the window is hidden with its icon shown.
bool is_in_tray();

// The message ("TaskbarCreated") the shell sends every top-level window when
// it starts anew with an empty notification area.
UINT taskbar_created_message();

// After the shell started anew: the icon of a window hidden in the tray is
// added again (the same record); when the notification area will not take
// it, the window is shown, so that the player can still reach it.
void add_tray_icon_again(HWND window);

}  // namespace tellwick
