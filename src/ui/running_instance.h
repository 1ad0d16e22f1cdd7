// A second start of the program hands over to the one already running: the
// running window comes back (from the tray too) and in front, and the second
// start ends.
#pragma once

#include <windows.h>

namespace tellwick {

// The registered message ("TELLWICKSHOW") that asks the running window to show itself.
UINT show_window_message();

// From every start, before it looks for a running instance: a named event
// through which a later start's request waits until this start's window
// exists (the launcher-folder search and the settings come first, and a
// message sent before then would reach no window).
void keep_show_requests();

// From the second start: lets the running instance come to the front and
// asks its window to show itself. The request is kept for a window still
// to come, and the message goes to every top-level window, as the running
// one may be hidden; no other window knows it.
void ask_running_instance_to_show();

// From the first start once its window exists: shows it when a later start
// asked before then.
void show_if_asked_before(HWND window);

// The running window's answer: back from the tray or from a minimised
// state, shown, and in front (or its open dialog, which holds the input).
void show_in_front(HWND window);

}  // namespace tellwick
