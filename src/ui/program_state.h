// What the whole window layer shares for the whole run: where the resources
// come from, the main window that every report and list fill addresses, and
// the program-wide state the window owns and hands down to the logic.
#pragma once

#include <windows.h>

#include "gamelog/game_folders.h"
#include "report/report.h"
#include "settings/settings.h"
#include "watch/watch_cycle.h"

namespace tellwick {

HINSTANCE& module_instance();
// Set once, at the start of the main window's initialisation.
HWND& main_window();

// The settings record, loaded at start-up and changed by the settings dialog.
Settings& settings();
// The character table behind the character list.
CharacterTable& character_table();
WatchState& watch_state();
// Set when the session ends (log-off, shut-down): from then on no export
// starts, since the system may end the process at any moment.
bool& session_ending();
// The logic's reports: the status log and the debugger output.
const ReportSink& window_reports();

}  // namespace tellwick
