#include "support/modal_dialog.h"

#include <vector>

namespace tellwick::test {
namespace {

constexpr UINT kLookEveryMs = 20;

struct Pending {
  HWND owner;
  const std::function<void(HWND)>* act;
  UINT_PTR timer;
  bool done;
};

// Nested dialogs (a folder browser opened from a dialog) each have their own entry.
std::vector<Pending*>& pending() {
  static std::vector<Pending*> list;
  return list;
}

HWND find_owned_dialog(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t class_name[16] = {};
        GetClassNameW(window, class_name, 16);
        if (GetWindow(window, GW_OWNER) == s->owner && IsWindowVisible(window) &&
            lstrcmpW(class_name, L"#32770") == 0) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CALLBACK look_for_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
  for (Pending* p : pending()) {
    if (p->timer != timer || p->done) continue;
    const HWND dialog = find_owned_dialog(p->owner);
    if (dialog == nullptr) return;
    p->done = true;
    KillTimer(nullptr, timer);
    (*p->act)(dialog);
    return;
  }
}

}  // namespace

bool with_modal_dialog(HWND owner, const std::function<void()>& open, const std::function<void(HWND)>& act) {
  Pending p{owner, &act, 0, false};
  p.timer = SetTimer(nullptr, 0, kLookEveryMs, look_for_dialog);
  pending().push_back(&p);
  open();
  if (!p.done) KillTimer(nullptr, p.timer);
  std::erase(pending(), &p);
  return p.done;
}

}  // namespace tellwick::test
