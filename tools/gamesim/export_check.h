// Compares what the watcher exported with what the game wrote: every series
// must have an export file that holds each of its entries once, in order,
// and every export file must be the whole of one series (a file replaced by
// another series would leave the first without one). Its status texts must
// be the known ones, with the game's start and end told once per run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game_player.h"

namespace tellwick::gamesim {

struct CheckResult {
  bool passed = true;
  std::vector<std::string> problems;
  std::uint64_t exported_entries = 0;  // entries in the export files that match a series
  int export_files = 0;
  int empty_export_files = 0;  // exports of a chunk 0 seen while the game was writing it
  int series_with_two_files = 0;
  int new_series_texts = 0;
  int started_texts = 0;
  int ended_texts = 0;
};

CheckResult check_exports(const std::vector<SeriesRecord>& series, const std::filesystem::path& log_folder,
                          const std::string& watcher_output, int game_runs);

}  // namespace tellwick::gamesim
