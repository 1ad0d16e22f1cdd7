// Works a modal dialog from inside its own message loop: the call that opens
// it does not return until it is closed, so the test's part runs from a
// thread timer that the dialog's loop dispatches.
#pragma once

#include <windows.h>

#include <functional>

namespace tellwick::test {

// Calls `open`, which opens a modal dialog owned by `owner`; as soon as the
// dialog is up, `act` gets it. `act` should close it. False when no dialog
// owned by `owner` showed up before `open` returned.
bool with_modal_dialog(HWND owner, const std::function<void()>& open, const std::function<void(HWND)>& act);

}  // namespace tellwick::test
