// The watch cycle: every ten seconds, notice the game starting and ending,
// follow the most recently active character, and export it automatically
// when its chunk files changed.
#pragma once

#include <string>

#include "gamelog/game_folders.h"
#include "report/report.h"
#include "settings/settings.h"

namespace tellwick {

constexpr int kWatchTimerId = 188;
constexpr unsigned kWatchIntervalMs = 10000;

// What the watch carries from one cycle to the next; its front end owns it.
struct WatchState {
  bool game_running = false;
  bool previous_game_running = false;
  std::u16string watched_character;  // exported by the last cycle; may be empty
  // The failure the last export told: an automatic export that fails the
  // same way again does not repeat it.
  std::u16string told_failure;
};

// Whether some process's image path contains "ffxiv.exe" or "ffxiv_dx11.exe", the letters A to Z
// compared without regard to case; every path examined goes to the debugger
// output with " found\r\n".
bool game_scan(const ReportSink& report);

// Creates the log folder (one level) and runs an automatic export of the
// character. False when a file of the export could not be saved.
bool automatic_export(const char16_t* character, const Settings& settings, WatchState& state, const ReportSink& report);

// One cycle: game start and end messages, character switch, automatic
// export. `characters` is the table the front end last filled. False when
// an export of the cycle could not be saved, told or not.
bool watch_cycle(WatchState& state, const CharacterTable& characters, const Settings& settings,
                 const ReportSink& report);

}  // namespace tellwick
