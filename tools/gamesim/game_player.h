// Plays planned days as the game client writes its logs: each login starts
// a new chunk series from chunk 0, a chunk file is written whole once it
// holds its entries, the last one at logout. Entry and file times run on a
// compressed game clock; the waits that the watcher must notice (relogs,
// the game being closed) are real.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "week_plan.h"

namespace tellwick::gamesim {

// One chunk series as written, with the export text it must give (UTF-8,
// control sequences dropped).
struct SeriesRecord {
  int character = 0;
  std::uint32_t entries = 0;
  std::uint32_t chunk_files = 0;
  std::string expected_export;
};

struct PlayOptions {
  std::filesystem::path game_folder;
  std::uint32_t per_chunk = 1000;
  std::uint64_t seed = 1;
  std::chrono::milliseconds relog_pause{3000};  // real time; longer than a watch cycle
  std::chrono::milliseconds chunk_pause{200};   // real time between two chunk files
};

struct PlayTotals {
  std::uint64_t entries = 0;
  std::uint64_t chunk_files = 0;
  std::uint64_t sharing_waits = 0;  // opens for writing that waited for a reader
  bool write_failed = false;
};

// The character folder name of character `index`.
std::string character_name(int index);

// Calls `game_started` and `game_ended` around each day's sessions, so that
// the game process runs while the day is played.
PlayTotals play_days(const std::vector<Day>& days, const PlayOptions& options,
                     const std::function<bool()>& game_started, const std::function<bool()>& game_ended,
                     std::vector<SeriesRecord>& series);

}  // namespace tellwick::gamesim
