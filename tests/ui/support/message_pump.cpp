#include "support/message_pump.h"

#include "ui/history_window.h"
#include "ui/program_state.h"

namespace tellwick::test {
namespace {

bool& quit_seen() {
  static bool seen = false;
  return seen;
}

}  // namespace

void pump_messages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit_seen() = true;
      continue;
    }
    if (history_window_message(message)) continue;
    const HWND window = main_window();
    if (window != nullptr && IsWindow(window) && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool quit_was_posted() { return quit_seen(); }
void forget_quit() { quit_seen() = false; }

void press_key(HWND window, WPARAM key) {
  HWND target = GetFocus();
  if (target == nullptr) target = window;
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

void press_control_key(HWND window, WPARAM key) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  const BYTE before = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  press_key(window, key);
  pump_messages();
  keys[VK_CONTROL] = before;
  SetKeyboardState(keys);
}

bool pump_until(const std::function<bool()>& done, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    pump_messages();
    if (done()) return true;
    if (GetTickCount() - start > limit_ms) return false;
    // Wakes as soon as a message (a worker's notice) arrives.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

void click_close_box(HWND window) { SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void click_button(HWND dialog, int button) { SendMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0); }

void mouse_click(HWND dialog, HWND control) {
  RECT area{};
  GetWindowRect(control, &area);
  SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
  INPUT press[2] = {};
  press[0].type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].type = INPUT_MOUSE;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, press, sizeof(INPUT));
  // The input reaches the queue through the system; give it a few rounds.
  constexpr int kRounds = 20;
  constexpr DWORD kRoundMs = 10;
  for (int round = 0; round < kRounds; ++round) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (IsDialogMessageW(dialog, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(kRoundMs);
  }
}

}  // namespace tellwick::test
