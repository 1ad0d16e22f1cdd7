// tellwick-export --watch as a process of its own, beside a stand-in game
// process: the status texts it prints, the exports it makes, how it ends on
// request, and that it does nothing while watching is off.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <thread>

#include "support/chunk_files.h"
#include "support/file_bytes.h"
#include "support/game_scan_lock.h"
#include "support/process.h"
#include "support/small_series.h"
#include "support/stand_in_game.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr char kStarted[] = "FINAL FANTASY XIV の起動を確認しました。\r\n";
constexpr char kEnded[] = "FINAL FANTASY XIV の終了を確認しました。\r\n";
constexpr char kNewSeries[] = "新しいログの記録を確認しました。\r\n";

constexpr char kCharacter[] = "FFXIV_CHR0040000001000001";
// 2014-03-05 21:07:40 in Tokyo: the export file is 2014.03.05.2107.log.
const FileTime kT0 = test::file_time_of_unix(1394021260);
constexpr FileTime kSecond100ns = 10000000ULL;
constexpr char kExportFile[] = "2014.03.05.2107.log";

// Status texts one after the other, as the watcher prints them.
std::string texts(std::initializer_list<const char*> pieces) {
  std::string all;
  for (const char* piece : pieces) all.append(piece);
  return all;
}

// Generous: a watcher under Wine on a busy machine takes seconds to start,
// and a cycle waits one interval after the one before.
constexpr auto kPatience = 120s;
// It finishes the cycle under way first: seconds under Wine on a busy machine.
constexpr auto kStopPatience = 30s;
constexpr auto kPollInterval = 50ms;

// Waits until the file holds exactly `expected`; gives up early when it
// holds something that cannot grow into it.
::testing::AssertionResult file_becomes(const fs::path& file, const std::string& expected) {
  const auto give_up = std::chrono::steady_clock::now() + kPatience;
  std::string text;
  for (;;) {
    text = test::file_bytes(file);
    if (text == expected) return ::testing::AssertionSuccess();
    if (!expected.starts_with(text) || std::chrono::steady_clock::now() > give_up) break;
    std::this_thread::sleep_for(kPollInterval);
  }
  return ::testing::AssertionFailure() << file << " holds \"" << text << "\", expected \"" << expected << "\"";
}

// One tellwick-export --watch --interval 1 in a working folder of its own.
class Watcher {
 public:
  // Standard output goes to `output`, by default stdout.txt in `work`.
  Watcher(const fs::path& work, const fs::path& game, const fs::path& output = {}) : work_(work) {
    fs::create_directories(work);
    const test::ProcessSetup setup{work, output.empty() ? work / "stdout.txt" : output, work / "stderr.txt", true};
    started_ = test::start_process(test::helper_program("tellwick-export"),
                                   {"--game-dir", game, "--watch", "--interval", "1"}, setup, process_);
  }
  ~Watcher() { test::kill_process(process_); }
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  bool started() const { return started_; }
  fs::path output() const { return work_ / "stdout.txt"; }
  fs::path errors() const { return work_ / "stderr.txt"; }
  fs::path export_file() const { return work_ / "log" / kExportFile; }

  // Asks it to end; fails when the request cannot be sent, or it does not
  // end with `expected_exit` within its limit (it is killed then).
  ::testing::AssertionResult stop(test::StopRequest request, int expected_exit = 0) {
    if (!test::request_stop(process_, request)) return ::testing::AssertionFailure() << "the stop request was not sent";
    return test::ends_within(process_, kStopPatience, "tellwick-export --watch", expected_exit);
  }

 private:
  fs::path work_;
  test::Process process_;
  bool started_ = false;
};

class WatchCommandTest : public ::testing::Test {
 protected:
  fs::path character() const { return game_ / kCharacter; }

  test::GameScanLock lock_;
  test::TempDir dir_;
  fs::path game_ = dir_.path() / "game";
};

struct StopCase {
  const char* name;
  test::StopRequest request;
};

// clang-format off
const StopCase kStops[] = {{"interrupt", test::StopRequest::kInterrupt},
                           {"terminate", test::StopRequest::kTerminate},
                           {"hang-up", test::StopRequest::kHangUp}};
// clang-format on

TEST_F(WatchCommandTest, PrintsTheStatusTextsExportsAndEndsOnRequest) {
  for (const StopCase& stop : kStops) {
    SCOPED_TRACE(stop.name);
    fs::remove_all(game_);
    test::write_small_chunk(character(), 1, 0, kT0);
    test::StandInGame game(dir_.path() / "bin", "ffxiv.exe");
    ASSERT_TRUE(game.running());

    Watcher watcher(dir_.path() / stop.name, game_);
    ASSERT_TRUE(watcher.started());
    ASSERT_TRUE(file_becomes(watcher.output(), texts({kStarted, kNewSeries})));
    EXPECT_TRUE(file_becomes(watcher.export_file(), test::small_series_export(1, 1)));

    // A chunk file added later is exported by a later cycle, without a status text.
    test::write_small_chunk(character(), 1, 1, kT0 + kSecond100ns);
    EXPECT_TRUE(file_becomes(watcher.export_file(), test::small_series_export(1, 2)));

    ASSERT_TRUE(game.stop());
    const std::string all = texts({kStarted, kNewSeries, kEnded});
    ASSERT_TRUE(file_becomes(watcher.output(), all));

    EXPECT_TRUE(watcher.stop(stop.request));
    EXPECT_EQ(test::file_bytes(watcher.output()), all);
  }
}

// Waits until the file holds `part`.
::testing::AssertionResult file_comes_to_hold(const fs::path& file, const std::string& part) {
  const auto give_up = std::chrono::steady_clock::now() + kPatience;
  std::string text;
  while (std::chrono::steady_clock::now() < give_up) {
    text = test::file_bytes(file);
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    std::this_thread::sleep_for(kPollInterval);
  }
  return ::testing::AssertionFailure() << file << " holds \"" << text << "\", without \"" << part << "\"";
}

// An export that failed once makes the watch end with exit status 1, even
// after a later cycle saved the series: the failure was told in a status
// text that nobody may have read.
TEST_F(WatchCommandTest, AnExportThatFailedEndsTheWatchWithStatusOne) {
  test::write_small_chunk(character(), 1, 0, kT0);
  const fs::path work = dir_.path() / "work";
  fs::create_directories(work);
  test::put_file(work / "log", "a file where the log folder belongs");
#ifdef _WIN32
  const std::string export_path = ".\\log\\" + std::string(kExportFile);
#else
  const std::string export_path = "./log/" + std::string(kExportFile);
#endif
  Watcher watcher(work, game_);
  ASSERT_TRUE(watcher.started());
  ASSERT_TRUE(file_becomes(watcher.output(), texts({kNewSeries, export_path.c_str(), "の保存に失敗しました。\r\n"})));
  EXPECT_TRUE(file_comes_to_hold(watcher.errors(), export_path + ": no temporary file could be created for it"));

  fs::remove(work / "log");
  EXPECT_TRUE(file_becomes(watcher.export_file(), test::small_series_export(1, 1)));
  EXPECT_TRUE(watcher.stop(test::StopRequest::kInterrupt, 1));
}

#ifndef _WIN32
// Status texts that cannot be written are told on standard error; the
// exports go on, and the watch ends with exit status 1.
TEST_F(WatchCommandTest, AStandardOutputThatFailsIsToldAndEndsTheWatchWithStatusOne) {
  test::write_small_chunk(character(), 1, 0, kT0);
  Watcher watcher(dir_.path() / "work", game_, "/dev/full");
  ASSERT_TRUE(watcher.started());
  EXPECT_TRUE(file_becomes(watcher.export_file(), test::small_series_export(1, 1)));
  EXPECT_TRUE(file_comes_to_hold(watcher.errors(),
                                 "tellwick-export: standard output could not be written: No space left on device\n"));
  EXPECT_TRUE(watcher.stop(test::StopRequest::kTerminate, 1));
}
#endif

TEST_F(WatchCommandTest, WithWatchingOffNothingHappens) {
  test::write_small_chunk(character(), 1, 0, kT0);
  test::StandInGame game(dir_.path() / "bin", "ffxiv.exe");
  ASSERT_TRUE(game.running());
  const fs::path off = dir_.path() / "off";
  fs::create_directories(off);
  const std::string settings = "[GENERIC]\r\nOBSERVE=0\r\n";
  test::put_file(off / "tellwick.ini", settings);
  Watcher idle(off, game_);
  ASSERT_TRUE(idle.started());

  // A second watcher, started after it and watching, shows that cycles came
  // and went meanwhile: its first export and one more cycle.
  Watcher busy(dir_.path() / "on", game_);
  ASSERT_TRUE(busy.started());
  ASSERT_TRUE(file_becomes(busy.output(), texts({kStarted, kNewSeries})));
  test::write_small_chunk(character(), 1, 1, kT0 + kSecond100ns);
  ASSERT_TRUE(file_becomes(busy.export_file(), test::small_series_export(1, 2)));

  EXPECT_TRUE(idle.stop(test::StopRequest::kInterrupt));
  EXPECT_TRUE(busy.stop(test::StopRequest::kInterrupt));
  EXPECT_EQ(test::file_bytes(idle.output()), "");
  EXPECT_FALSE(fs::exists(off / "log"));
  EXPECT_EQ(test::file_bytes(off / "tellwick.ini"), settings);
}

}  // namespace
}  // namespace tellwick
