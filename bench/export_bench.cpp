// A whole export of a generated chunk series, measured against copying the
// same chunk files into one file with cat, plus the exporter's peak memory
// and the cost of an automatic export that finds nothing new.
//   build/native/bench/export_bench [--benchmark_filter=...]
// TELLWICK_BENCH_ENTRIES sets the size of the large series (default 1000000).
//
// Series "played": entry times of 2026, as real logs have. An entry line's
// leading number is read from its hex time, so no line of such a series is
// a materia candidate. Series "materia": times from 0x46A00000, so that every
// line is a candidate and about one in a hundred a materia message: the
// detector's worst case. Series "small": a tenth of "played", to show that
// the peak memory does not grow with the series. Series "real": real-shaped
// lines (battle, links, icons; about 108 bytes an entry), 1.15 times the
// entries of "played", as a real client's log chained to some 124 MB.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "chunkgen/chunk_series.h"
#include "export/export_flags.h"
#include "export/exporter.h"
#include "gamelog/game_folders.h"

extern char** environ;

namespace tellwick {

namespace {

// The benchmark is its own front end; what it would report is dropped.
const ReportSink kQuiet;

namespace fs = std::filesystem;

constexpr std::uint32_t kPlayedStartTime = 0x6B0F2740;  // 2026-12-01 20:00 UTC

struct Series {
  const char* character;
  std::uint32_t start_time;
  chunkgen::EntryShape shape = chunkgen::EntryShape::kShort;
  std::uint64_t entries = 0;
  std::uint64_t bytes = 0;  // of all its chunk files
  double cat_seconds = 0;   // the best of three copies with cat
};

enum SeriesId { kPlayed, kMateria, kSmall, kReal };

struct Workspace {
  fs::path root;
  fs::path game;
  fs::path work;  // working directory: settings file and log folder
  Series series[4] = {
      {"FFXIV_CHR0040000000000001", kPlayedStartTime},
      {"FFXIV_CHR0040000000000002", chunkgen::kDefaultStartTime},
      {"FFXIV_CHR0040000000000003", kPlayedStartTime},
      {"FFXIV_CHR0040000000000004", kPlayedStartTime, chunkgen::EntryShape::kRealShaped},
  };
};

// Spawns a program in `cwd` with its standard output into `output` and its
// standard error dropped; returns its peak resident size in KiB, or -1 when
// it failed.
long run_program(const std::vector<std::string>& args, const fs::path& cwd, const char* output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "export_bench: %s\n", message.c_str());
  std::exit(1);
}

void generate(const Workspace& w, Series& s) {
  chunkgen::SeriesOptions options;
  options.game_folder = w.game;
  options.character = s.character;
  options.entries = s.entries;
  options.start_time = s.start_time;
  options.shape = s.shape;
  chunkgen::SeriesSummary summary;
  std::string error;
  if (!chunkgen::write_chunk_series(options, summary, error)) fail(error);

  std::vector<std::string> cat{"cat"};
  for (std::uint32_t i = 0; i < summary.chunk_files; ++i) {
    const fs::path path = summary.log_folder / chunkgen::chunk_file_name(i);
    cat.push_back(path.string());
    s.bytes += fs::file_size(path);
  }
  const std::string out = (w.root / "copy.out").string();
  s.cat_seconds = 1e9;
  for (int round = 0; round < 3; ++round) {
    const auto start = std::chrono::steady_clock::now();
    if (run_program(cat, w.root, out.c_str()) < 0) fail("cat failed");
    s.cat_seconds =
        std::min(s.cat_seconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  fs::remove(out);
}

Workspace& workspace() {
  static Workspace w = [] {
    Workspace made;
    const char* size = std::getenv("TELLWICK_BENCH_ENTRIES");
    const std::uint64_t entries = size != nullptr ? std::strtoull(size, nullptr, 10) : 1000000;
    made.series[kPlayed].entries = entries;
    made.series[kMateria].entries = entries;
    made.series[kSmall].entries = entries / 10;
    made.series[kReal].entries = entries + entries * 3 / 20;
    char root_template[] = "/tmp/tellwick-export-bench-XXXXXX";
    if (mkdtemp(root_template) == nullptr) fail("cannot make a folder in /tmp");
    made.root = root_template;
    made.game = made.root / "game";
    made.work = made.root / "work";
    fs::create_directories(made.work / "log");
    for (Series& s : made.series) generate(made, s);

    fs::current_path(made.work);
    set_game_user_folder_override(made.game.u16string());
    return made;
  }();
  return w;
}

ExportFlags export_once(const Series& s, ExportMode mode, const ExportOptions& options = {}) {
  const std::u16string name(s.character, s.character + std::char_traits<char>::length(s.character));
  return export_character(character_of(name.c_str()), u"./log/", mode, options, kQuiet, u"").flags;
}

// Args: series, charset, show flag.
void BM_Export(benchmark::State& state) {
  const Series& s = workspace().series[state.range(0)];
  ExportOptions options;
  options.charset = static_cast<OutputCharset>(state.range(1));
  options.show_control = state.range(2) != 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!has_flags(export_once(s, kManualExport, options), ExportFlags::kExported)) {
      state.SkipWithError("nothing exported");
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double per_export = seconds / static_cast<double>(state.iterations());
  state.counters["entries"] = static_cast<double>(s.entries);
  state.counters["ns_per_entry"] = per_export * 1e9 / static_cast<double>(s.entries);
  state.counters["cat_ms"] = s.cat_seconds * 1e3;
  state.counters["vs_cat"] = per_export / s.cat_seconds;
  state.SetBytesProcessed(static_cast<std::int64_t>(s.bytes) * state.iterations());
}
BENCHMARK(BM_Export)
    ->ArgsProduct({{kPlayed}, {0, 1, 2}, {0, 1}})
    ->ArgsProduct({{kReal}, {0, 1, 2}, {0}})
    ->Args({kMateria, 1, 0})
    ->ArgNames({"series", "charset", "show"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The real exporter in a process of its own, so that the peak resident size
// is the exporter's alone.
void BM_ExporterPeakMemory(benchmark::State& state) {
  Workspace& w = workspace();
  const Series& s = w.series[state.range(0)];
  long peak_kib = 0;
  for (auto _ : state) {
    peak_kib = run_program({TELLWICK_EXPORT_PROGRAM, "--game-dir", w.game.string(), s.character}, w.work, "/dev/null");
    if (peak_kib < 0) state.SkipWithError("tellwick-export failed");
  }
  state.counters["entries"] = static_cast<double>(s.entries);
  state.counters["peak_MiB"] = static_cast<double>(peak_kib) / 1024.0;
}
BENCHMARK(BM_ExporterPeakMemory)
    ->Arg(kSmall)
    ->Arg(kPlayed)
    ->Arg(kMateria)
    ->Arg(kReal)
    ->ArgName("series")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// What the watch cycle pays every ten seconds while the game writes nothing.
void BM_AutomaticExportWithoutChange(benchmark::State& state) {
  const Series& s = workspace().series[kSmall];
  export_once(s, kManualExport);
  for (auto _ : state) {
    if (export_once(s, kAutomaticExport) != ExportFlags::kNone) state.SkipWithError("found a change");
  }
}
BENCHMARK(BM_AutomaticExportWithoutChange)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tellwick

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The series and their exports fill a few hundred MB of /tmp.
  std::error_code ignored;
  const std::filesystem::path root = tellwick::workspace().root;
  std::filesystem::current_path("/", ignored);
  std::filesystem::remove_all(root, ignored);
  return 0;
}
