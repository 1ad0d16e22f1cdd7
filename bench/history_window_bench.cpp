// What the history window waits for: a real-shaped series of 1,150,000
// entries (a long year of play) exported as UTF-8, then read into a session
// as the window's reading does. Prints the time to the first rows, to the
// whole session, of filter changes, and the session's memory against the
// export file's size.
//   build/native/bench/history_window_bench
// TELLWICK_BENCH_ENTRIES sets the size of the series (default 1150000).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "chunkgen/chunk_series.h"
#include "export/export_flags.h"
#include "export/exporter.h"
#include "gamelog/game_folders.h"
#include "history/channel_choices.h"
#include "history/history_session.h"
#include "history/history_sources.h"
#include "history/session_view.h"
#include "report/report.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kPlayedStartTime = 0x6B0F2740;  // 2026-12-01 20:00 UTC
constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000000000001";
constexpr std::size_t kFirstRows = 100;  // a screenful and more

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Loading {
  HistorySession session;
  double first_rows_ms = -1;
};

void load(const HistorySource& source, Loading& loading) {
  HistoryPrinter printer;
  const Clock::time_point start = Clock::now();
  printer.sinks.entry = [&](std::uint32_t time, std::uint32_t code, std::string_view sender, std::string_view message) {
    add_session_entry(loading.session, time, code, sender, message);
    if (loading.session.count == kFirstRows) loading.first_rows_ms = ms_since(start);
  };
  read_history_source(printer, source);
}

double filter_ms(SessionView& view, const HistorySession& session, const ViewFilter& filter) {
  const Clock::time_point start = Clock::now();
  set_view_filter(view, session, filter);
  return ms_since(start);
}

int run(const fs::path& root) {
  const char* text = std::getenv("TELLWICK_BENCH_ENTRIES");
  chunkgen::SeriesOptions options;
  options.game_folder = root / "game";
  options.entries = text != nullptr ? std::strtoull(text, nullptr, 10) : 1150000;
  options.start_time = kPlayedStartTime;
  options.shape = chunkgen::EntryShape::kRealShaped;
  chunkgen::SeriesSummary summary;
  std::string error;
  if (!chunkgen::write_chunk_series(options, summary, error)) {
    std::fprintf(stderr, "chunk series not written: %s\n", error.c_str());
    return 1;
  }
  set_game_user_folder_override((root / "game").u16string());
  ExportOptions export_options;
  export_options.charset = kCharsetUtf8;
  const ReportSink quiet;
  fs::create_directories(root / "log");
  const std::u16string log_folder = (root / "log").u16string() + u"/";
  const std::u16string path =
      export_character(character_of(kCharacter), log_folder, kManualExport, export_options, quiet, u"").export_path;
  const double file_size = static_cast<double>(fs::file_size(fs::path(path)));

  for (const HistorySource& source :
       {HistorySource{false, path}, HistorySource{true, game_user_folder_path(kCharacter)}}) {
    Loading loading;
    const Clock::time_point start = Clock::now();
    load(source, loading);
    const double whole_ms = ms_since(start);
    SessionView view;
    set_view_filter(view, loading.session, ViewFilter{});
    const double memory = static_cast<double>(session_memory(loading.session) + view.shown.capacity() * 4);
    std::printf("%s: %zu entries, export file %.1f MB\n",
                source.current_log ? "current log (chunk series)" : "export file", loading.session.count,
                file_size / 1e6);
    std::printf("  first %zu rows after %.1f ms, whole session after %.0f ms\n", kFirstRows, loading.first_rows_ms,
                whole_ms);
    std::printf("  memory %.1f MB = %.2f x the export file (text %.1f MB)\n", memory / 1e6, memory / file_size,
                static_cast<double>(loading.session.text_bytes) / 1e6);

    ViewFilter party;
    party.all_channels = false;
    party.channels = channel_choices()[channel_choice_of_key("Party,CrossParty,Alliance")].channels;
    ViewFilter word;
    word.text = "r";
    ViewFilter longer;
    longer.text = "run";
    ViewFilter rare;
    rare.text = "zzq";
    ViewFilter japanese;
    japanese.text = "ありがとう";
    struct Step {
      const char* name;
      ViewFilter filter;
    } steps[] = {{"channel: party", party},       {"all again", ViewFilter{}},      {"text \"r\"", word},
                 {"typed on to \"run\"", longer}, {"text \"zzq\" (no hits)", rare}, {"text \"ありがとう\"", japanese}};
    for (const Step& step : steps) {
      const double ms = filter_ms(view, loading.session, step.filter);
      std::printf("  filter %-24s %7.1f ms, %zu rows\n", step.name, ms, view.shown.size());
    }
  }
  return 0;
}

}  // namespace
}  // namespace tellwick

int main() {
  namespace fs = std::filesystem;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path root = fs::temp_directory_path() / ("tellwick-window-bench-" + std::to_string(stamp));
  fs::create_directories(root);
  // The export keeps its bookkeeping in ./tellwick.ini: the bench's own.
  fs::current_path(root);
  const int result = tellwick::run(root);
  std::error_code ignored;
  std::filesystem::current_path("/", ignored);
  std::filesystem::remove_all(root, ignored);
  return result;
}
