// A second start of the program hands over to the one already running: the
// running window comes back (from the tray too) and in front, and the second
// start ends.
#pragma once

#include <windows.h>

namespace tellwick {

// The registered message ("TELLWICKSHOW") that asks the running window to show itself.
UINT show_window_message();

// From the second start: lets the running instance come to the front and
// asks its window to show itself. The message goes to every top-level
// window, as the running one may be hidden; no other window knows it.
void ask_running_instance_to_show();

// The running window's answer: back from the tray or from a minimised
// state, shown, and in front (or its open dialog, which holds the input).
void show_in_front(HWND window);

}  // namespace tellwick
