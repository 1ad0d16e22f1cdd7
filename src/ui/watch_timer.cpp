#include "ui/watch_timer.h"

#include "ui/program_state.h"
#include "watch/watch_cycle.h"

namespace tellwick {

void start_watch_timer(HWND window) { SetTimer(window, kWatchTimerId, kWatchIntervalMs, nullptr); }

void on_watch_timer(HWND window) {
  KillTimer(window, kWatchTimerId);
  if (session_ending()) return;
  if (settings().watch_enabled) {
    watch_cycle(watch_state(), character_table(), settings(), window_reports());
    queue_info_panel_refresh(window);
  }
  // Counted from the end of this cycle, however long the export took.
  start_watch_timer(window);
}

void queue_info_panel_refresh(HWND window) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kInfoPanelRefreshCommand, 0), 0);
}

}  // namespace tellwick
