// gamesim: plays weeks of FINAL FANTASY XIV logging beside a running
// `tellwick-export --watch`, then checks that every entry written reached an
// export file. Exit status 0 when the check passed, 1 when it found a
// problem or the run could not be made, 2 for bad usage.
//   gamesim --watcher PATH [--weeks N] [--entries N] [--per-chunk N] [--seed S]
//           [--interval SECONDS] [--relog-ms MS] [--chunk-pause-ms MS] [--work DIR] [--keep]
// --entries is the mean size of a long session; --weeks and --entries scale
// the run from a few minutes to hours. --work keeps the run in DIR instead
// of a new temporary folder; --keep keeps that folder after a passed check.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "export_check.h"
#include "game_player.h"
#include "process_kit/game_scan_lock.h"
#include "stand_in_game.h"
#include "watcher.h"
#include "week_plan.h"

namespace {

namespace fs = std::filesystem;
using namespace tellwick::gamesim;

constexpr int kExitPassed = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Options {
  fs::path watcher;
  fs::path work;
  bool keep = false;
  int interval = 1;
  PlanOptions plan;
  PlayOptions play;
};

bool parse_number(const char* text, std::uint64_t& value) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  char* end = nullptr;
  value = std::strtoull(text, &end, 10);
  return *end == '\0';
}

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    std::uint64_t n = 0;
    if (a == "--keep") {
      o.keep = true;
      continue;
    }
    if (value == nullptr) return false;
    ++i;
    if (a == "--watcher") {
      o.watcher = value;
    } else if (a == "--work") {
      o.work = value;
    } else if (!parse_number(value, n)) {
      return false;
    } else if (a == "--weeks" && n > 0) {
      o.plan.weeks = static_cast<int>(n);
    } else if (a == "--entries" && n > 0) {
      o.plan.normal_entries = static_cast<std::uint32_t>(n);
    } else if (a == "--per-chunk" && n > 1) {
      o.plan.per_chunk = o.play.per_chunk = static_cast<std::uint32_t>(n);
    } else if (a == "--seed") {
      o.plan.seed = o.play.seed = n;
    } else if (a == "--interval" && n > 0) {
      o.interval = static_cast<int>(n);
    } else if (a == "--relog-ms" && n > 0) {
      o.play.relog_pause = std::chrono::milliseconds(n);
    } else if (a == "--chunk-pause-ms") {
      o.play.chunk_pause = std::chrono::milliseconds(n);
    } else {
      return false;
    }
  }
  return !o.watcher.empty();
}

void say(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

int simulate(Options& o) {
  // A relog must outlast a watch cycle, or the series before it is lost to
  // the watcher whatever the program does.
  const auto interval = std::chrono::milliseconds(1000LL * o.interval);
  if (o.play.relog_pause <= interval) {
    say("--relog-ms must be longer than the watch interval\n");
    return kExitUsage;
  }
  tellwick::kit::GameScanLock lock;
  if (o.work.empty()) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    o.work = fs::temp_directory_path() / ("gamesim-" + std::to_string(stamp));
  }
  o.watcher = fs::absolute(o.watcher);
  o.play.game_folder = o.work / "game";
  // The watcher reads the character folders once, when it starts: they are
  // there already, as for players who have played before.
  for (int c = 0; c < kCharacters; ++c) fs::create_directories(o.play.game_folder / character_name(c) / "log");

  const std::vector<Day> days = plan_weeks(o.plan);
  Watcher watcher(o.watcher, o.work / "watcher", o.play.game_folder, o.interval);
  if (!watcher.started() || !watcher.wait_for_scans(1)) {
    say("the watcher did not start\n");
    return kExitFailed;
  }
  StandInGame game(o.work / "bin");
  std::vector<SeriesRecord> series;
  const auto started = std::chrono::steady_clock::now();
  const PlayTotals totals = play_days(
      days, o.play, [&] { return game.start(); }, [&] { return game.end(); }, series);
  // Two more scans after the game ended: the cycle of the second began after
  // the first had ended, so it saw the last chunk files.
  const bool settled = watcher.wait_for_scans(3);
  const int stopped = watcher.stop();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  CheckResult check = check_exports(series, watcher.log_folder(), watcher.output(), game.runs());
  if (totals.write_failed) check.problems.push_back("the game could not write a chunk file or start its process");
  if (!settled) check.problems.push_back("the watcher ran no cycle after the play ended");
  if (stopped != 0) check.problems.push_back("the watcher ended with " + std::to_string(stopped) + " after Ctrl+C");
  const bool passed = check.passed && !totals.write_failed && settled && stopped == 0;

  std::printf("days %zu, game runs %d, series %zu, chunk files %llu, entries written %llu, exported %llu\n",
              days.size(), game.runs(), series.size(), static_cast<unsigned long long>(totals.chunk_files),
              static_cast<unsigned long long>(totals.entries), static_cast<unsigned long long>(check.exported_entries));
  std::printf("export files %d (%d empty), series exported twice %d, new-series texts %d, starts %d, ends %d\n",
              check.export_files, check.empty_export_files, check.series_with_two_files, check.new_series_texts,
              check.started_texts, check.ended_texts);
  std::printf("chunk writes that waited for a reader %llu, %.0f s\n",
              static_cast<unsigned long long>(totals.sharing_waits), seconds);
  for (const std::string& p : check.problems) std::printf("PROBLEM: %s\n", p.c_str());
  std::printf("%s (%s)\n", passed ? "PASSED" : "FAILED", o.work.string().c_str());
  std::fflush(stdout);
  if (passed && !o.keep) {
    std::error_code ignored;
    fs::remove_all(o.work, ignored);
  }
  return passed ? kExitPassed : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--stand-in") == 0) return run_stand_in(argv[2], argv[3]);
  Options options;
  if (!parse(argc, argv, options)) {
    std::fputs(
        "usage: gamesim --watcher PATH [--weeks N] [--entries N] [--per-chunk N] [--seed S] [--interval SECONDS]"
        " [--relog-ms MS] [--chunk-pause-ms MS] [--work DIR] [--keep]\n",
        stderr);
    return kExitUsage;
  }
  return simulate(options);
}
