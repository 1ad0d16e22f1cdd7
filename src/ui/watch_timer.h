// The main window's side of the watch cycle: its timer, stopped while a cycle
// runs so that cycles never overlap.
#pragma once

#include <windows.h>

namespace tellwick {

constexpr UINT kInfoPanelRefreshCommand = 1919;

void start_watch_timer(HWND window);

// Handles the watch timer: stops it, runs a cycle and queues an info panel
// refresh while watching is on, and starts it again.
void on_watch_timer(HWND window);

// Queues the info panel refresh behind whatever the window has to do first.
void queue_info_panel_refresh(HWND window);

}  // namespace tellwick
