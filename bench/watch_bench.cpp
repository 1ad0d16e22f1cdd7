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
#include "platform/report.h"
#include "settings/settings.h"
#include "watch/watch_cycle.h"

namespace tellwick {

// The benchmark is its own front end; reports go nowhere.
void status_log_append(const char16_t* text) { benchmark::DoNotOptimize(text); }
void debugger_output(const char16_t* text) { benchmark::DoNotOptimize(text); }

namespace {

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
    settings() = Settings{};
    settings().log_folder = u"./log/";
    enumerate_character_folders(game_user_folder_path());
    watch_state() = WatchState{};
    watch_state().watched_character = active_character();
    watch_cycle();  // the one export; every cycle after it finds nothing new
  }
  ~ExportedCharacter() {
    set_game_user_folder_override(u"");
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(root_, ignored);
  }
  bool ok() const { return ok_; }

 private:
  fs::path root_;
  fs::path previous_;
  bool ok_ = false;
};

void BM_CycleWithoutScan(benchmark::State& state) {
  ExportedCharacter character;
  if (!character.ok()) state.SkipWithError("chunk series not written");
  for (auto _ : state) {
    const std::u16string active = active_character();
    benchmark::DoNotOptimize(active == watch_state().watched_character);
    automatic_export(watch_state().watched_character.c_str());
  }
}
BENCHMARK(BM_CycleWithoutScan)->Unit(benchmark::kMicrosecond);

void BM_GameScan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(game_scan());
}
BENCHMARK(BM_GameScan)->Unit(benchmark::kMicrosecond);

void BM_WholeCycle(benchmark::State& state) {
  ExportedCharacter character;
  if (!character.ok()) state.SkipWithError("chunk series not written");
  for (auto _ : state) watch_cycle();
}
BENCHMARK(BM_WholeCycle)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tellwick

BENCHMARK_MAIN();
