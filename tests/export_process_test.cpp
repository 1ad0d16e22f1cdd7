// tellwick-export CHARACTER as a process of its own, ended while it writes a
// long export: by Ctrl+C, and on POSIX by SIGTERM or SIGHUP as well (a
// service stopped, a terminal closed). Its temporary files go with it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "chunkgen/chunk_series.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr char kCharacter[] = "FFXIV_CHR0040000001000002";
// Tens of megabytes of export: long enough to be ended on the way.
constexpr std::uint64_t kEntries = 1000000;
// The request goes once the export file's temporary file holds this much.
constexpr std::uintmax_t kWrittenBeforeTheRequest = 4 * 1024 * 1024;
// A cold start under Wine on a busy machine takes seconds.
constexpr auto kPatience = 120s;
constexpr auto kPollInterval = 5ms;

bool is_temporary(const fs::path& file) { return file.filename().string().find(".~") != std::string::npos; }

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) names.push_back(entry.path().filename().string());
  return names;
}

// Whether the export file's temporary file holds `size` bytes or more.
bool temporary_holds(const fs::path& log_folder, std::uintmax_t size) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(log_folder, ignored)) {
    const std::string name = entry.path().filename().string();
    if (!is_temporary(entry.path()) || name.starts_with("recipe.")) continue;
    if (fs::file_size(entry.path(), ignored) >= size && !ignored) return true;
  }
  return false;
}

struct StopCase {
  const char* name;
  test::StopRequest request;
};

// clang-format off
const StopCase kStops[] = {{"interrupt", test::StopRequest::kInterrupt},
                           {"terminate", test::StopRequest::kTerminate},
                           {"hang-up", test::StopRequest::kHangUp}};
// clang-format on

TEST(ExportProcessTest, AnExportEndedOnRequestLeavesNoTemporaryFile) {
  test::TempDir dir;
  chunkgen::SeriesOptions series;
  series.game_folder = dir.path() / "game";
  series.character = kCharacter;
  series.entries = kEntries;
  chunkgen::SeriesSummary summary;
  std::string error;
  ASSERT_TRUE(chunkgen::write_chunk_series(series, summary, error)) << error;

  for (const StopCase& stop : kStops) {
    SCOPED_TRACE(stop.name);
    const fs::path work = dir.path() / stop.name;
    fs::create_directories(work);
    const test::ProcessSetup setup{work, work / "stdout.txt", work / "stderr.txt", true};
    test::Process exporter;
    ASSERT_TRUE(test::start_process(test::helper_program("tellwick-export"),
                                    {"--game-dir", series.game_folder, kCharacter}, setup, exporter));

    const auto give_up = std::chrono::steady_clock::now() + kPatience;
    while (!temporary_holds(work / "log", kWrittenBeforeTheRequest) && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(kPollInterval);
    }
    ASSERT_TRUE(test::request_stop(exporter, stop.request));
    const int code = test::wait_process(exporter, kPatience);
    if (code == test::kStillRunning) test::kill_process(exporter);
    ASSERT_NE(code, test::kStillRunning) << "it did not end on the request";
    // Not even the export file: it ended before the export was done. (Its
    // exit status differs: killed by the signal on POSIX, but Wine's Ctrl+C
    // may end it with 0.)
    EXPECT_EQ(names_in(work / "log"), std::vector<std::string>{}) << "no temporary file, and no export file";
  }
}

}  // namespace
}  // namespace tellwick
