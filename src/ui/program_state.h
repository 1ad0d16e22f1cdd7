// What the whole window layer shares for the whole run: where the resources
// come from and the main window that every report and list fill addresses.
#pragma once

#include <windows.h>

namespace tellwick {

HINSTANCE& module_instance();
// Set once, at the start of the main window's initialisation.
HWND& main_window();

}  // namespace tellwick
