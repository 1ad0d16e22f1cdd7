// The watch cycle: every ten seconds, notice the game starting and ending,
// follow the most recently active character, and export it automatically
// when its chunk files changed.
#pragma once

#include <string>

namespace tellwick {

constexpr int kWatchTimerId = 188;
constexpr unsigned kWatchIntervalMs = 10000;

struct WatchState {
  int game_running = 0;
  int previous_game_running = 0;
  std::u16string watched_character;  // exported by the last cycle; may be empty
};

// The program-wide watch state.
WatchState& watch_state();

// 1 when some process's image path contains "ffxiv.exe" or "ffxiv_dx11.exe", the letters A to Z
// compared without regard to case; every path examined goes to the debugger
// output with " found\r\n".
int game_scan();

// Creates the log folder (one level) and runs an automatic export of the character.
int automatic_export(const char16_t* character);

// One cycle: game start and end messages, character switch, automatic export.
int watch_cycle();

}  // namespace tellwick
