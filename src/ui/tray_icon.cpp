#include "ui/tray_icon.h"

#include <cwchar>

#include "ui/status_log.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

constexpr UINT kTrayIconId = 1;
constexpr wchar_t kTrayTip[] = L"Tellwick";
constexpr int kFailureMessageCapacity = 256;
// No line end: the next status message continues this line.
constexpr wchar_t kTrayFailedFormat[] = L"タスクトレイ化に失敗しました。(%d)";
constexpr wchar_t kTaskbarCreated[] = L"TaskbarCreated";

bool g_in_tray = false;

bool notify(DWORD action) { return Shell_NotifyIconW(action, &notify_icon_record()) != FALSE; }

}  // namespace

NOTIFYICONDATAW& notify_icon_record() {
  static NOTIFYICONDATAW record;
  return record;
}

void prepare_notify_icon(HWND window, HINSTANCE instance) {
  NOTIFYICONDATAW& record = notify_icon_record();
  record = NOTIFYICONDATAW{};
  // The full size of the record as this build lays it out.
  record.cbSize = sizeof(NOTIFYICONDATAW);
  record.hWnd = window;
  record.uID = kTrayIconId;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = LoadIconW(instance, L"MAIN");
  std::wcsncpy(record.szTip, kTrayTip, sizeof record.szTip / sizeof record.szTip[0] - 1);
}

int hide_to_tray(HWND window) {
  ShowWindow(window, SW_HIDE);
  g_in_tray = true;
  if (notify(NIM_ADD)) return 0;
  // The notification area may not be there yet (early in a session): ask
  // again once a second, first whether the icon got in after all.
  for (int attempt = 0; attempt < kTrayAddRetries; ++attempt) {
    Sleep(kTrayRetryDelayMs);
    if (notify(NIM_MODIFY)) return 0;
    if (notify(NIM_ADD)) return 0;
  }
  g_in_tray = false;
  wchar_t message[kFailureMessageCapacity];
  wsprintfW(message, kTrayFailedFormat, static_cast<int>(GetLastError()));
  status_log_append(utf16(message));
  ShowWindow(window, SW_SHOWNORMAL);
  return 1;
}

void restore_from_tray(HWND window) {
  g_in_tray = false;
  notify(NIM_DELETE);
  ShowWindow(window, SW_SHOWNORMAL);
}

void remove_tray_icon() {
  g_in_tray = false;
  notify(NIM_DELETE);
}

bool is_in_tray() { return g_in_tray; }

UINT taskbar_created_message() {
  static const UINT message = RegisterWindowMessageW(kTaskbarCreated);
  return message;
}

void add_tray_icon_again(HWND window) {
  if (!g_in_tray) return;
  // The message can also come while the icon is still there (another
  // program sending it): then the add fails and a modify finds the icon.
  if (notify(NIM_ADD) || notify(NIM_MODIFY)) return;
  restore_from_tray(window);
}

}  // namespace tellwick
