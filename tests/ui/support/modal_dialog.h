// Works a modal dialog from inside its own message loop: the call that opens
// it does not return until it is closed, so the test's part runs from a
// thread timer that the dialog's loop dispatches.
#pragma once

#include <windows.h>

#include <functional>

namespace tellwick::test {

// How long a dialog may take to show up, and to close once the test's part
// is done with it: a dialog that misses either fails the test instead of
// holding the run until its time limit.
constexpr DWORD kModalDialogLimitMs = 10000;

// Calls `open`, which opens a modal dialog owned by `owner`; as soon as the
// dialog is up, `act` gets it. `act` should close it; a dialog still open
// kModalDialogLimitMs after `act` returned is closed with a failure. False
// (and a failure) when no dialog owned by `owner` showed up in time.
bool with_modal_dialog(HWND owner, const std::function<void()>& open, const std::function<void(HWND)>& act);

// The ways a user leaves a dialog without saving.
enum class Leave { kCancelButton, kEscape, kCloseBox };
inline constexpr Leave kWaysToLeave[] = {Leave::kCancelButton, Leave::kEscape, Leave::kCloseBox};

// Leaves `dialog` that way; Escape is pressed with the focus on `focused_control`.
void leave_dialog(HWND dialog, Leave leave, int focused_control);

}  // namespace tellwick::test
