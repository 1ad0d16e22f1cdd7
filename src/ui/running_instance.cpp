#include "ui/running_instance.h"

#include "ui/tray_icon.h"

namespace tellwick {
namespace {

constexpr wchar_t kShowWindowMessageName[] = L"TELLWICKSHOW";
constexpr wchar_t kShowRequestEventName[] = L"TELLWICKSHOWREQUEST";

// Held for the whole run, so that the event lives as long as this instance.
HANDLE g_show_requests = nullptr;

}  // namespace

void keep_show_requests() {
  // Auto-reset: the window takes a request only once.
  if (g_show_requests == nullptr) g_show_requests = CreateEventW(nullptr, FALSE, FALSE, kShowRequestEventName);
}

void show_if_asked_before(HWND window) {
  if (g_show_requests != nullptr && WaitForSingleObject(g_show_requests, 0) == WAIT_OBJECT_0) show_in_front(window);
}

UINT show_window_message() {
  static const UINT message = RegisterWindowMessageW(kShowWindowMessageName);
  return message;
}

void ask_running_instance_to_show() {
  // The system lets only the process the player just started take the
  // foreground; this passes that on to the running instance.
  AllowSetForegroundWindow(ASFW_ANY);
  const HANDLE requests = OpenEventW(EVENT_MODIFY_STATE, FALSE, kShowRequestEventName);
  if (requests != nullptr) {
    SetEvent(requests);
    CloseHandle(requests);
  }
  PostMessageW(HWND_BROADCAST, show_window_message(), 0, 0);
}

void show_in_front(HWND window) {
  if (is_in_tray()) {
    restore_from_tray(window);
  } else if (IsIconic(window)) {
    ShowWindow(window, SW_RESTORE);
  } else {
    ShowWindow(window, SW_SHOW);
  }
  SetForegroundWindow(GetLastActivePopup(window));
}

}  // namespace tellwick
