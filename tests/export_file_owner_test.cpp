// Several characters exporting into the one log folder of a working folder:
// each series keeps to its own export file, whatever names the minute of
// its chunk 0 gives and however its first entry reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "export/exporter.h"
#include "gamelog/game_folders.h"
#include "platform/file.h"
#include "platform/path.h"
#include "settings/settings.h"
#include "support/chunk_files.h"
#include "support/current_dir.h"
#include "support/export_flags_print.h"
#include "support/file_holder.h"
#include "support/report_capture.h"
#include "support/settings_keys.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::Entry;

constexpr char16_t kFirst[] = u"FFXIV_CHR0040000001A2B3C4D";
constexpr char16_t kSecond[] = u"FFXIV_CHR0040000001A2B3C4E";
// 2014-03-05 12:07:40 UTC: 21:07:40 in Tokyo, the time zone the tests run in.
const FileTime kT0 = test::file_time_of_unix(1394021260);
constexpr FileTime kSecond100ns = 10000000;

// Two accounts logging in in the same second get the same welcome message.
const Entry kWelcome = {0x5316F48C, 0x0039, "Welcome to Eorzea!"};

std::string narrow(const std::u16string& s) { return fs::path(s).string(); }

class ExportFileOwnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = dir_.path() / "game";
    fs::create_directories(dir_.path() / "work" / "log");
    cwd_ = std::make_unique<test::CurrentDirScope>(dir_.path() / "work");
    set_game_user_folder_override(game_.u16string());
    settings_.charset = kCharsetUtf8;
    const std::u16string sep(1, kPathSeparator);
    settings_.log_folder = u"." + sep + u"log" + sep;
    test::clear_captured_reports();
  }

  void TearDown() override {
    set_game_user_folder_override(u"");
    cwd_.reset();
  }

  fs::path character_folder(const char16_t* character) { return game_ / fs::path(std::u16string(character)); }

  void chunk(const char16_t* character, std::uint32_t index, std::uint32_t first, const std::vector<Entry>& entries,
             FileTime time) {
    test::write_chunk(character_folder(character), index, test::chunk_bytes(first, entries), time);
  }

  ExportFlags run(const char16_t* character, ExportMode mode) {
    return export_character(character_of(character), settings_.log_folder, mode, export_options_of(settings_),
                            test::capturing_reports(), told_failure_)
        .flags;
  }

  std::string logfile(const char16_t* character) {
    return narrow(test::read_settings_key(character, u"LOGFILE", u"<none>"));
  }

  fs::path log_file(const std::string& name) { return dir_.path() / "work" / "log" / name; }

  std::string log_text(const std::string& name) {
    const auto bytes = test::read_bytes(log_file(name));
    return std::string(bytes.begin(), bytes.end());
  }

  std::vector<std::string> log_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path() / "work" / "log")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir dir_;
  fs::path game_;
  std::unique_ptr<test::CurrentDirScope> cwd_;
  Settings settings_;
  std::u16string told_failure_;
};

#ifndef _WIN32
// Berlin's clocks go back on 2024-10-27. A name is made with the offset in
// force when the export runs, so after the change the minute of a series
// exported in summer names another series' file: each must keep its own.
// The process's zone is switched between exports to fixed zones with
// Berlin's summer and winter offsets, as the clocks would change under a
// running program. (Under Wine a process keeps its zone: the headless tool's
// test runs one process in each.)
TEST_F(ExportFileOwnerTest, ContinuingSeriesKeepTheirFilesWhenTheOffsetChanges) {
  const FileTime at_0930_utc = test::file_time_of_unix(1729935000);  // 2024-10-26 09:30:00 UTC
  const FileTime at_1030_utc = at_0930_utc + 3600 * kSecond100ns;
  chunk(kFirst, 0, 0, {{0x671CB698, 0x0039, "first"}}, at_0930_utc);
  chunk(kSecond, 0, 0, {{0x671CC4A8, 0x0039, "second"}}, at_1030_utc);
  {
    test::TimeZoneScope summer("CEST-2");
    EXPECT_TRUE(has_flags(run(kFirst, kAutomaticExport), ExportFlags::kExported));
    EXPECT_TRUE(has_flags(run(kSecond, kAutomaticExport), ExportFlags::kExported));
  }
  EXPECT_EQ(log_names(), (std::vector<std::string>{"2024.10.26.1130.log", "2024.10.26.1230.log"}));
  const std::string first_lines = "671CB6980039first\r\n";
  const std::string second_lines = "671CC4A80039second\r\n";

  test::TimeZoneScope winter("CET-1");
  // The second series' chunk 0 now falls in the minute 11:30.
  chunk(kSecond, 1, 1, {{0x671CC4B0, 0x0039, "second, later"}}, at_1030_utc + 60 * kSecond100ns);
  EXPECT_EQ(run(kSecond, kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(log_text("2024.10.26.1130.log"), first_lines);
  EXPECT_EQ(log_text("2024.10.26.1230.log"), second_lines + "671CC4B00039second, later\r\n");
  EXPECT_EQ(logfile(kSecond), "2024.10.26.1230.log");
  chunk(kFirst, 1, 1, {{0x671CB6A0, 0x0039, "first, later"}}, at_0930_utc + 60 * kSecond100ns);
  EXPECT_EQ(run(kFirst, kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(log_text("2024.10.26.1130.log"), first_lines + "671CB6A00039first, later\r\n");
  EXPECT_EQ(logfile(kFirst), "2024.10.26.1130.log");
  EXPECT_EQ(log_names(), (std::vector<std::string>{"2024.10.26.1130.log", "2024.10.26.1230.log"}));

  // The player removes the second series' file: the name it takes anew is
  // the minute's first one that holds no other series.
  fs::remove(log_file("2024.10.26.1230.log"));
  EXPECT_EQ(run(kSecond, kManualExport), ExportFlags::kExported);
  EXPECT_EQ(log_text("2024.10.26.1130.log"), first_lines + "671CB6A00039first, later\r\n");
  EXPECT_EQ(log_text("2024.10.26.1130_2.log"), second_lines + "671CC4B00039second, later\r\n");
  EXPECT_EQ(logfile(kSecond), "2024.10.26.1130_2.log");
}
#endif

// Two characters whose chunk 0 opens with the same entry in the same minute:
// the second gets a file of its own, and each keeps its file in every
// output charset.
TEST_F(ExportFileOwnerTest, SeriesThatBeginAlikeKeepFilesOfTheirOwn) {
  chunk(kFirst, 0, 0, {kWelcome, {0x5316F48D, 0x000A, "first's"}}, kT0);
  chunk(kSecond, 0, 0, {kWelcome, {0x5316F48D, 0x000A, "second's"}}, kT0 + 10 * kSecond100ns);
  EXPECT_EQ(run(kFirst, kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged | ExportFlags::kNewSeries);
  EXPECT_EQ(run(kSecond, kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged | ExportFlags::kNewSeries);
  EXPECT_EQ(log_names(), (std::vector<std::string>{"2014.03.05.2107.log", "2014.03.05.2107_2.log"}));
  EXPECT_EQ(logfile(kFirst), "2014.03.05.2107.log");
  EXPECT_EQ(logfile(kSecond), "2014.03.05.2107_2.log");

  // Chunk k holds entry k + 1.
  std::uint32_t k = 1;
  for (const OutputCharset charset : {kCharsetUtf8, kCharsetAnsi, kCharsetUtf16}) {
    SCOPED_TRACE(static_cast<int>(charset));
    settings_.charset = charset;
    settings_.show_control = charset == kCharsetUtf16;
    for (const char16_t* character : {kSecond, kFirst}) {
      chunk(character, k, k + 1, {{0x5316F490 + k, 0x000A, "more"}}, kT0 + (30 + k) * kSecond100ns);
      EXPECT_EQ(run(character, kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
    }
    ++k;
    EXPECT_EQ(log_names(), (std::vector<std::string>{"2014.03.05.2107.log", "2014.03.05.2107_2.log"}));
    EXPECT_EQ(logfile(kFirst), "2014.03.05.2107.log");
    EXPECT_EQ(logfile(kSecond), "2014.03.05.2107_2.log");
  }
  settings_.charset = kCharsetUtf8;
  settings_.show_control = false;
  EXPECT_EQ(run(kFirst, kManualExport), ExportFlags::kExported);
  EXPECT_NE(log_text("2014.03.05.2107.log").find("first's"), std::string::npos);
  EXPECT_EQ(log_text("2014.03.05.2107.log").find("second's"), std::string::npos);
}

// Records left naming one file by an earlier version: the first of them to
// export again moves to a file of its own, and the other keeps the file.
TEST_F(ExportFileOwnerTest, RecordsNamingOneFileArePartedByTheNextExport) {
  chunk(kFirst, 0, 0, {kWelcome, {0x5316F48D, 0x000A, "first's"}}, kT0);
  chunk(kSecond, 0, 0, {kWelcome, {0x5316F48D, 0x000A, "second's"}}, kT0 + 10 * kSecond100ns);
  EXPECT_TRUE(has_flags(run(kFirst, kManualExport), ExportFlags::kExported));
  EXPECT_TRUE(has_flags(run(kSecond, kManualExport), ExportFlags::kExported));
  fs::remove(log_file("2014.03.05.2107_2.log"));
  ASSERT_TRUE(test::write_settings_key(kSecond, u"LOGFILE", u"2014.03.05.2107.log"));
  const std::string first_export = log_text("2014.03.05.2107.log");

  chunk(kSecond, 1, 2, {{0x5316F490, 0x000A, "second's more"}}, kT0 + 30 * kSecond100ns);
  EXPECT_EQ(run(kSecond, kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), first_export);
  EXPECT_NE(log_text("2014.03.05.2107_2.log").find("second's more"), std::string::npos);
  EXPECT_EQ(logfile(kSecond), "2014.03.05.2107_2.log");
  EXPECT_EQ(logfile(kFirst), "2014.03.05.2107.log");
}

// Without a first line to compare (chunk 0 held by the game, or holding no
// entry) nothing tells two series apart: a file another character's record
// names is never shared, and an export that keeps finding no first line
// keeps to its own file rather than making new ones.
TEST_F(ExportFileOwnerTest, WithoutAFirstLineNoFileIsShared) {
  for (const bool held : {true, false}) {
    SCOPED_TRACE(held ? "chunk 0 held by the game" : "chunk 0 without entries");
    fs::remove_all(log_file(""));
    fs::create_directories(log_file(""));
    fs::remove_all(game_);
    fs::remove(dir_.path() / "work" / "tellwick.ini");
    std::vector<std::unique_ptr<test::TempDir>> holder_dirs;
    std::vector<std::unique_ptr<test::FileHolder>> game;
    int second_offset = 0;
    for (const char16_t* character : {kFirst, kSecond}) {
      const FileTime time = kT0 + (second_offset += 5) * kSecond100ns;
      const Entry only = {0x5316F490, 0x000A, narrow(character)};
      if (held) {
        chunk(character, 0, 0, {only}, time);
      } else {
        chunk(character, 0, 0, {}, time);
        chunk(character, 1, 0, {only}, time);
      }
      if (held) {
        holder_dirs.push_back(std::make_unique<test::TempDir>());
        game.push_back(std::make_unique<test::FileHolder>(*holder_dirs.back(), "write",
                                                          character_folder(character) / "log" / "00000000.log"));
        ASSERT_TRUE(game.back()->wait_until_holding());
      }
    }
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      run(kFirst, kManualExport);
      run(kSecond, kManualExport);
      EXPECT_EQ(log_names(), (std::vector<std::string>{"2014.03.05.2107.log", "2014.03.05.2107_2.log"}));
      EXPECT_EQ(logfile(kFirst), "2014.03.05.2107.log");
      EXPECT_EQ(logfile(kSecond), "2014.03.05.2107_2.log");
    }
    for (auto& holder : game) EXPECT_TRUE(holder->stop());
    EXPECT_TRUE(has_flags(run(kFirst, kManualExport), ExportFlags::kExported));
    EXPECT_TRUE(has_flags(run(kSecond, kManualExport), ExportFlags::kExported));
    EXPECT_EQ(log_text("2014.03.05.2107.log"), "5316F490000A" + narrow(kFirst) + "\r\n");
    EXPECT_EQ(log_text("2014.03.05.2107_2.log"), "5316F490000A" + narrow(kSecond) + "\r\n");
  }
}

}  // namespace
}  // namespace tellwick
