// Cost of one watch cycle on which nothing changed, for one character whose
// chunk series was exported already: the cycle's own work (active character,
// change detection, log folder) without the game scan, the game scan alone,
// and the whole cycle. The scan's cost grows with the number of processes
// on the machine.
//   build/native/bench/watch_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "chunkgen/chunk_series.h"
#include "gamelog/game_folders.h"
#include "report/report.h"
#include "settings/settings.h"
#include "watch/watch_cycle.h"

namespace tellwick {

namespace {

// The benchmark is its own front end; reports go nowhere.
const ReportSink kReports{[](const char16_t* text) { benchmark::DoNotOptimize(text); },
                          [](const char16_t* text) { benchmark::DoNotOptimize(text); }};

namespace fs = std::filesystem;

constexpr std::uint64_t kEntries = 10000;  // ten chunk files of 1000 entries

// A game folder with one exported character, in a folder of its own that
// is the working folder (settings file and log folder) while it lives.
class ExportedCharacter {
 public:
  ExportedCharacter() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = fs::temp_directory_path() / ("tellwick-watch-bench-" + std::to_string(stamp));
    fs::create_directories(root_ / "work");
    previous_ = fs::current_path();
    fs::current_path(root_ / "work");
    chunkgen::SeriesOptions options;
    options.game_folder = root_ / "game";
    options.entries = kEntries;
    chunkgen::SeriesSummary summary;
    std::string error;
    ok_ = chunkgen::write_chunk_series(options, summary, error);
    set_game_user_folder_override((root_ / "game").u16string());
    settings.log_folder = u"./log/";
    enumerate_character_folders(game_user_folder_path(), characters);
    watch.watched_character = active_character(characters);
    watch_cycle(watch, characters, settings, kReports);  // the one export; every cycle after it finds nothing new
  }
  ~ExportedCharacter() {
    set_game_user_folder_override(u"");
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(root_, ignored);
  }
  bool ok() const { return ok_; }

  Settings settings;
  CharacterTable characters;
  WatchState watch;

 private:
  fs::path root_;
  fs::path previous_;
  bool ok_ = false;
};

void BM_CycleWithoutScan(benchmark::State& state) {
  ExportedCharacter character;
  if (!character.ok()) state.SkipWithError("chunk series not written");
  for (auto _ : state) {
    const std::u16string active = active_character(character.characters);
    benchmark::DoNotOptimize(active == character.watch.watched_character);
    automatic_export(character.watch.watched_character.c_str(), character.settings, character.watch, kReports);
  }
}
BENCHMARK(BM_CycleWithoutScan)->Unit(benchmark::kMicrosecond);

void BM_GameScan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(game_scan(kReports));
}
BENCHMARK(BM_GameScan)->Unit(benchmark::kMicrosecond);

void BM_WholeCycle(benchmark::State& state) {
  ExportedCharacter character;
  if (!character.ok()) state.SkipWithError("chunk series not written");
  for (auto _ : state) watch_cycle(character.watch, character.characters, character.settings, kReports);
}
BENCHMARK(BM_WholeCycle)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tellwick

BENCHMARK_MAIN();
