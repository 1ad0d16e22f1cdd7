// Reading the history back from export files: a generated series of a year's
// worth of play, exported once in each charset (control sequences shown, the
// most the reader has to take out again), read whole as text and as JSON,
// and read through a filter that keeps little. The figure to watch is the
// bytes of export files read per second.
//   build/native/bench/history_bench [--benchmark_filter=...]
// TELLWICK_BENCH_ENTRIES sets the size of the series (default 1000000).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "chunkgen/chunk_series.h"
#include "export/export_flags.h"
#include "export/exporter.h"
#include "gamelog/game_folders.h"
#include "history/history_reader.h"
#include "history/read_command.h"
#include "report/report.h"

namespace tellwick {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kPlayedStartTime = 0x6B0F2740;  // 2026-12-01 20:00 UTC
constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000000000001";

struct Workspace {
  fs::path root;
  bool ok = false;
  std::u16string exports[3];  // by charset
  std::uint64_t sizes[3] = {};
  std::uint64_t entries = 0;
};

std::uint64_t bench_entries() {
  const char* text = std::getenv("TELLWICK_BENCH_ENTRIES");
  return text != nullptr ? std::strtoull(text, nullptr, 10) : 1000000;
}

Workspace& workspace() {
  static Workspace w = [] {
    Workspace ws;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    ws.root = fs::temp_directory_path() / ("tellwick-history-bench-" + std::to_string(stamp));
    fs::create_directories(ws.root / "work");
    fs::current_path(ws.root / "work");
    chunkgen::SeriesOptions options;
    options.game_folder = ws.root / "game";
    options.entries = bench_entries();
    options.start_time = kPlayedStartTime;
    chunkgen::SeriesSummary summary;
    std::string error;
    if (!chunkgen::write_chunk_series(options, summary, error)) return ws;
    ws.entries = summary.entries;
    set_game_user_folder_override((ws.root / "game").u16string());
    ExportOptions export_options;
    export_options.show_control = true;
    const ReportSink quiet;  // the benchmark is its own front end; reports go nowhere
    for (int charset = 0; charset < 3; ++charset) {
      export_options.charset = static_cast<OutputCharset>(charset);
      const std::u16string log_folder = u"./log" + std::u16string(1, u'0' + charset) + u"/";
      fs::create_directories(fs::path(log_folder));
      ws.exports[charset] =
          export_character(character_of(kCharacter), log_folder, kManualExport, export_options, quiet, u"").export_path;
      ws.sizes[charset] = fs::file_size(fs::path(ws.exports[charset]));
    }
    ws.ok = true;
    return ws;
  }();
  return w;
}

void read_once(const std::u16string& path, HistoryFormat format, const HistoryFilter& filter, std::uint64_t& bytes) {
  HistoryPrinter printer;
  printer.filter = filter;
  printer.format = format;
  printer.sinks.history = [&](std::string_view s) {
    bytes += s.size();
    benchmark::DoNotOptimize(s.data());
  };
  read_export_history(printer, {path}, u"");
}

void run(benchmark::State& state, HistoryFormat format, const HistoryFilter& filter) {
  const Workspace& w = workspace();
  if (!w.ok) {
    state.SkipWithError("chunk series not written");
    return;
  }
  const int charset = static_cast<int>(state.range(0));
  std::uint64_t printed = 0;
  for (auto _ : state) read_once(w.exports[charset], format, filter, printed);
  state.SetBytesProcessed(static_cast<std::int64_t>(w.sizes[charset]) * state.iterations());
  state.counters["entries"] = static_cast<double>(w.entries);
  state.counters["file_MB"] = static_cast<double>(w.sizes[charset]) / 1e6;
  state.counters["printed_MB"] = static_cast<double>(printed) / 1e6 / static_cast<double>(state.iterations());
}

void BM_ReadText(benchmark::State& state) { run(state, HistoryFormat::kText, HistoryFilter{}); }
void BM_ReadJson(benchmark::State& state) { run(state, HistoryFormat::kJson, HistoryFilter{}); }

// Party chat of one sender that mentions a word: most entries are passed
// over on their prefix, the rest on their fields.
void BM_ReadFiltered(benchmark::State& state) {
  ReadArguments arguments;
  arguments.channels = {"party"};
  arguments.has_sender = true;
  arguments.sender = "a";
  arguments.has_grep = true;
  arguments.grep = "run";
  HistoryFilter filter;
  std::string error;
  make_history_filter(arguments, filter, error);
  run(state, HistoryFormat::kText, filter);
}

// Arguments: charset (0 = code page 932, 1 = UTF-8, 2 = UTF-16).
BENCHMARK(BM_ReadText)->Arg(1)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadJson)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFiltered)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tellwick

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  const std::filesystem::path root = tellwick::workspace().root;
  std::filesystem::current_path("/", ignored);
  std::filesystem::remove_all(root, ignored);
  return 0;
}
