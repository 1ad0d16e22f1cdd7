#include "ui/running_instance.h"

#include "ui/tray_icon.h"

namespace tellwick {
namespace {

constexpr wchar_t kShowWindowMessageName[] = L"TELLWICKSHOW";

}  // namespace

UINT show_window_message() {
  static const UINT message = RegisterWindowMessageW(kShowWindowMessageName);
  return message;
}

void ask_running_instance_to_show() {
  // The system lets only the process the player just started take the
  // foreground; this passes that on to the running instance.
  AllowSetForegroundWindow(ASFW_ANY);
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
