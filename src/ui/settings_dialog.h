// The settings dialog (template CONFBOX): output charset, watching, start in
// the tray, and the log folder. Writes only the keys whose value changed.
#pragma once

#include <windows.h>

namespace tellwick {

constexpr int kLogFolderEditCapacity = 200;  // characters, terminator included

INT_PTR CALLBACK settings_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Runs the dialog modally; 1 when confirmed, 0 when cancelled.
INT_PTR run_settings_dialog(HWND owner);

}  // namespace tellwick
