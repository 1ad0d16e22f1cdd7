#include "support/modal_dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/message_pump.h"

namespace tellwick::test {
namespace {

constexpr UINT kLookEveryMs = 20;

struct Pending {
  HWND owner;
  const std::function<void(HWND)>* act;
  UINT_PTR timer;
  DWORD deadline;  // tick count: for the dialog to show up, then to close
  HWND dialog;     // once found
  bool acting;     // `act` runs (nested dialogs pump this timer meanwhile)
  bool done;       // `act` has returned, or the wait was given up
  bool gave_up;    // no dialog in time
};

// Nested dialogs (a folder browser opened from a dialog) each have their own entry.
std::vector<Pending*>& pending() {
  static std::vector<Pending*> list;
  return list;
}

bool past(DWORD deadline) { return static_cast<LONG>(GetTickCount() - deadline) >= 0; }

// The first visible window of this thread owned by `owner`; with `dialogs_only`,
// only dialog boxes.
HWND find_owned_window(HWND owner, bool dialogs_only) {
  struct Search {
    HWND owner;
    bool dialogs_only;
    HWND found;
  } search{owner, dialogs_only, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t class_name[16] = {};
        GetClassNameW(window, class_name, 16);
        if (GetWindow(window, GW_OWNER) == s->owner && IsWindowVisible(window) &&
            (!s->dialogs_only || lstrcmpW(class_name, L"#32770") == 0)) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Ends whatever modal loop keeps `open` from returning.
void close_window(HWND window) {
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  if (lstrcmpW(class_name, L"#32770") == 0) EndDialog(window, IDCANCEL);
  PostMessageW(window, WM_CLOSE, 0, 0);
}

void look_after(Pending& p) {
  if (p.acting) return;
  if (p.done) {
    if (p.dialog == nullptr || !IsWindow(p.dialog) || !IsWindowVisible(p.dialog)) {
      KillTimer(nullptr, p.timer);
      p.timer = 0;
    } else if (past(p.deadline)) {
      ADD_FAILURE() << "the dialog was still open " << kModalDialogLimitMs << " ms after the test was done with it";
      close_window(p.dialog);
      KillTimer(nullptr, p.timer);
      p.timer = 0;
    }
    return;
  }
  const HWND dialog = find_owned_window(p.owner, true);
  if (dialog == nullptr) {
    if (!past(p.deadline)) return;
    ADD_FAILURE() << "no dialog showed up within " << kModalDialogLimitMs << " ms";
    p.done = true;
    p.gave_up = true;
    p.dialog = find_owned_window(p.owner, false);  // whatever else opened instead, closed below
    p.deadline = GetTickCount();
    return;
  }
  p.dialog = dialog;
  p.acting = true;
  (*p.act)(dialog);
  p.acting = false;
  p.done = true;
  p.deadline = GetTickCount() + kModalDialogLimitMs;
}

void CALLBACK look_for_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
  for (Pending* p : pending()) {
    if (p->timer == timer) {
      look_after(*p);
      return;
    }
  }
}

}  // namespace

bool with_modal_dialog(HWND owner, const std::function<void()>& open, const std::function<void(HWND)>& act) {
  Pending p{owner, &act, 0, GetTickCount() + kModalDialogLimitMs, nullptr, false, false, false};
  p.timer = SetTimer(nullptr, 0, kLookEveryMs, look_for_dialog);
  pending().push_back(&p);
  open();
  if (p.timer != 0) KillTimer(nullptr, p.timer);
  std::erase(pending(), &p);
  if (!p.done) ADD_FAILURE() << "no dialog showed up before the call returned";
  return p.done && !p.gave_up;
}

void leave_dialog(HWND dialog, Leave leave, int focused_control) {
  switch (leave) {
    case Leave::kCancelButton: click_button(dialog, IDCANCEL); break;
    case Leave::kEscape:
      SetFocus(GetDlgItem(dialog, focused_control));
      press_key(dialog, VK_ESCAPE);
      break;
    case Leave::kCloseBox: click_close_box(dialog); break;
  }
}

}  // namespace tellwick::test
