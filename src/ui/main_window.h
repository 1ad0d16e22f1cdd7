// The main window (template RECIPEBOX): character list, info panel, export
// and settings buttons, and the status log.
#pragma once

#include <windows.h>

namespace tellwick {

constexpr wchar_t kVersionText[] = L"Ver.15.06.20.0";

INT_PTR CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Creates the main window, modeless and without owner, hidden; its
// initialisation runs inside this call.
HWND create_main_window(HINSTANCE instance);

}  // namespace tellwick
