#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "export/change_detection.h"
#include "export/export_flags.h"
#include "export/exporter.h"
#include "gamelog/game_folders.h"
#include "platform/file.h"
#include "platform/path.h"
#include "settings/settings.h"
#include "support/settings_keys.h"
#include "support/chunk_files.h"
#include "support/file_holder.h"
#include "support/report_capture.h"
#include "support/temp_dir.h"
#include "support/current_dir.h"
#include "support/export_flags_print.h"
#include "support/time_zone.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::Entry;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
// 2014-03-05 12:07:40 UTC: 21:07:40 in Tokyo, the time zone the tests run in.
constexpr std::int64_t kChunk0Unix = 1394021260;
const FileTime kT0 = test::file_time_of_unix(kChunk0Unix);

// What a first export of a series that took chunk files returns: every flag.
constexpr ExportFlags kNewSeriesExported = ExportFlags::kExported | ExportFlags::kChanged | ExportFlags::kNewSeries;

std::string narrow(const std::u16string& s) { return fs::path(s).string(); }

std::u16string sep() { return std::u16string(1, kPathSeparator); }

class ExporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = dir_.path() / "game";
    character_ = game_ / fs::path(std::u16string(kCharacter));
    fs::create_directories(character_ / "log");
    fs::create_directories(dir_.path() / "work");
    cwd_ = std::make_unique<test::CurrentDirScope>(dir_.path() / "work");
    set_game_user_folder_override(game_.u16string());
    settings().charset = kCharsetUtf8;
    settings().log_folder = u"." + sep() + u"log" + sep();
    create_directory(settings().log_folder.c_str());
    test::clear_captured_reports();
  }

  void TearDown() override {
    set_game_user_folder_override(u"");
    cwd_.reset();
  }

  // As a watch runs its exports: the failure told last is remembered.
  ExportFlags run(ExportMode mode, std::u16string* path_out = nullptr) {
    const ExportResult result =
        export_character(character_of(kCharacter), settings().log_folder, mode, export_options_of(settings()),
                         test::capturing_reports(), told_failure_);
    remember_told_failure(told_failure_, result);
    if (path_out != nullptr && result.ran) *path_out = result.export_path;
    return result.flags;
  }

  Settings& settings() { return settings_; }

  // The diagnostic line that starts with `start`; empty when none does.
  std::u16string diagnostic_starting(const std::u16string& start) {
    for (const std::u16string& text : test::captured_debugger_output()) {
      if (text.starts_with(start)) return text;
    }
    return {};
  }

  std::string key(const char16_t* name) { return narrow(test::read_settings_key(kCharacter, name, u"<none>")); }

  fs::path log_file(const std::string& name) { return dir_.path() / "work" / "log" / name; }
  std::string log_text(const std::string& name) {
    const auto bytes = test::read_bytes(log_file(name));
    return std::string(bytes.begin(), bytes.end());
  }

  // The log folder's entries, sorted.
  std::vector<std::string> log_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path() / "work" / "log")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  void chunk(std::uint32_t index, std::uint32_t first, const std::vector<Entry>& entries, FileTime time) {
    test::write_chunk(character_, index, test::chunk_bytes(first, entries), time);
  }

  // The traced series: entries 0-2 in chunk 0, 3-4 in chunk 1, 5-8 in chunk 2.
  void traced_series() {
    chunk(0, 0,
          {{0x5316F48C, 0x000A, ":Aaa Bbb:hello"},
           {0x5316F48D, 0x0039, std::string("x\x02\x10\x01\x03y", 6)},
           {0x5316F48E, 0x000C, ":Ccc Ddd:こんにちは"}},
          kT0);
    chunk(1, 3, {{0x5316F490, 0x000E, "three"}, {0x5316F491, 0x000E, "four"}}, kT0 + 10);
    chunk(2, 5,
          {{0x5316F492, 0x0010, "five"},
           {0x5316F493, 0x0010, "six"},
           {0x5316F494, 0x0010, "seven"},
           {0x5316F495, 0x0018, "eight"}},
          kT0 + 20);
  }

  static constexpr const char* kTracedLines =
      "5316F48C000A:Aaa Bbb:hello\r\n"
      "5316F48D0039xy\r\n"
      "5316F48E000C:Ccc Ddd:こんにちは\r\n"
      "5316F490000Ethree\r\n"
      "5316F491000Efour\r\n"
      "5316F4920010five\r\n"
      "5316F4930010six\r\n"
      "5316F4940010seven\r\n"
      "5316F4950018eight\r\n";

  test::TempDir dir_;
  fs::path game_, character_;
  std::unique_ptr<test::CurrentDirScope> cwd_;
  Settings settings_;
  std::u16string told_failure_;
};

TEST_F(ExporterTest, TracedManualExport) {
  traced_series();
  std::u16string path;
  EXPECT_EQ(run(kManualExport, &path), kNewSeriesExported);
  const std::u16string expected_path = settings().log_folder + u"2014.03.05.2107.log";
  EXPECT_EQ(path, expected_path);
  EXPECT_EQ(test::status_log_text(), u"新しいログの記録を確認しました。\r\n");
  EXPECT_EQ(log_text("2014.03.05.2107.log"), kTracedLines);
  EXPECT_FALSE(fs::exists(log_file("recipe.2014.03.05.2107.log")));  // no materia: removed
  EXPECT_EQ(log_names(), std::vector<std::string>{"2014.03.05.2107.log"}) << "no temporary file is left";
  EXPECT_EQ(key(u"LOGFILE"), "2014.03.05.2107.log");
  EXPECT_EQ(key(u"TOPDATE"), std::to_string(0x5316F48C));
  EXPECT_EQ(key(u"ENDDATE"), std::to_string(0x5316F495));
  EXPECT_EQ(key(u"DATE"), narrow(format_date_key(kT0)));
  EXPECT_EQ(key(u"LASTNO"), "3");
  EXPECT_EQ(key(u"LASTDATE"), "0000000000000000");

  // Nothing changed: an automatic export returns at once and touches nothing.
  test::clear_captured_reports();
  const auto before = fs::last_write_time(log_file("2014.03.05.2107.log"));
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kNone);
  EXPECT_EQ(fs::last_write_time(log_file("2014.03.05.2107.log")), before);
  EXPECT_EQ(test::status_log_text(), u"");

  // A manual export always runs; with nothing changed it only takes chunks.
  EXPECT_EQ(run(kManualExport), ExportFlags::kExported);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), kTracedLines);

  // Chunk 3 appears: changed, same series, same file.
  chunk(3, 9, {{0x5316F496, 0x0010, "nine"}}, kT0 + 30);
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), std::string(kTracedLines) + "5316F4960010nine\r\n");
  EXPECT_EQ(key(u"LASTNO"), "4");
}

TEST_F(ExporterTest, SeriesEndsAtAChainBreakOrAnOlderChunk) {
  struct Case {
    const char* what;
    std::uint32_t chunk2_first;
    FileTime chunk1_time;
    std::size_t lines;
    const char* lastno;
    FileTime lastdate;  // the time of the chunk file LASTNO names; 0 when it does not exist
  } cases[] = {
      {"chunk 2 breaks the chain", 6, kT0 + 10, 5, "2", kT0 + 20},
      {"chunk 1 older than chunk 0", 5, kT0 - 1, 3, "1", kT0 - 1},
      {"chunk 1 as old as chunk 0", 5, kT0, 9, "3", 0},
  };
  for (const Case& c : cases) {
    traced_series();
    chunk(1, 3, {{0x5316F490, 0x000E, "three"}, {0x5316F491, 0x000E, "four"}}, c.chunk1_time);
    chunk(2, c.chunk2_first,
          {{0x5316F492, 0x0010, "five"},
           {0x5316F493, 0x0010, "six"},
           {0x5316F494, 0x0010, "seven"},
           {0x5316F495, 0x0018, "eight"}},
          kT0 + 20);
    EXPECT_TRUE(has_flags(run(kManualExport), ExportFlags::kExported)) << c.what;
    const std::string text = log_text("2014.03.05.2107.log");
    std::size_t lines = 0;
    for (std::size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
    EXPECT_EQ(lines, c.lines) << c.what;
    EXPECT_EQ(key(u"LASTNO"), c.lastno) << c.what;
    EXPECT_EQ(key(u"LASTDATE"), narrow(format_lastdate_key(c.lastdate))) << c.what;
  }
}

// Every other chunk file is read and rendered ahead of its turn, so each way
// a series ends is tried at an even and an odd chunk file. Chunk i holds
// entries 2i and 2i+1, written ten seconds apart; the entry before the end
// is a materia message, whose recipe record must come whichever way its
// chunk was taken.
TEST_F(ExporterTest, SeriesEndsAlikeAtEveryChunkFile) {
  enum class End { kMissing, kOlder, kChainBreak, kGrowing, kHeldByTheGame };
  const auto entries_of = [](std::uint32_t i, std::uint32_t materia_entry) {
    std::vector<Entry> entries;
    for (std::uint32_t e = 2 * i; e < 2 * i + 2; ++e) {
      if (e == materia_entry) {
        entries.push_back({0x46A00000 + e, 0x000A, "::Aaa Bbb:SwordからStoneが生成された！"});
      } else {
        entries.push_back({0x5316F490 + e, 0x000E, "entry " + std::to_string(e)});
      }
    }
    return entries;
  };
  const auto line_of = [](const Entry& entry) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%08X%04X", static_cast<unsigned>(entry.time),
                  static_cast<unsigned>(entry.code));
    return prefix + entry.text + "\r\n";
  };
  for (const End end : {End::kMissing, End::kOlder, End::kChainBreak, End::kGrowing, End::kHeldByTheGame}) {
    for (std::uint32_t at = 1; at <= 4; ++at) {
      SCOPED_TRACE(::testing::Message() << "end kind " << static_cast<int>(end) << " at chunk " << at);
      fs::remove_all(character_ / "log");
      fs::create_directories(character_ / "log");
      fs::remove_all(log_file(""));
      fs::create_directories(log_file(""));
      const std::uint32_t materia_entry = 2 * at - 1;  // the last entry of the chunk before the end
      std::string expected;
      for (std::uint32_t i = 0; i <= 5; ++i) {
        const std::vector<Entry> entries = entries_of(i, materia_entry);
        std::vector<unsigned char> bytes = test::chunk_bytes(2 * i, entries);
        FileTime time = kT0 + 10 * i;
        if (i == at && end == End::kMissing) continue;
        if (i == at && end == End::kOlder) time = kT0 - 1;
        if (i == at && end == End::kChainBreak) bytes = test::chunk_bytes(2 * i + 1, entries);
        if (i == at && end == End::kGrowing) bytes.resize(bytes.size() - 3);  // the second entry not yet whole
        test::write_chunk(character_, i, bytes, time);
        if (i < at || (i == at && end == End::kGrowing)) expected += line_of(entries[0]);
        if (i < at) expected += line_of(entries[1]);
      }
      std::unique_ptr<test::FileHolder> game;
      if (end == End::kHeldByTheGame) {
        const fs::path held = chunk_file_path(character_.u16string() + sep(), at);
        game = std::make_unique<test::FileHolder>(dir_, "write", held);
        ASSERT_TRUE(game->wait_until_holding());
      }
      EXPECT_TRUE(has_flags(run(kManualExport), ExportFlags::kExported));
      EXPECT_EQ(log_text("2014.03.05.2107.log"), expected);
      EXPECT_EQ(key(u"LASTNO"), std::to_string(at));
      EXPECT_EQ(key(u"TOPDATE"), std::to_string(0x5316F490));
      const std::uint32_t last_entry = end == End::kGrowing ? 2 * at : 2 * at - 1;
      const std::uint32_t last_time = last_entry == materia_entry ? 0x46A00000 + last_entry : 0x5316F490 + last_entry;
      EXPECT_EQ(key(u"ENDDATE"), std::to_string(last_time));
      EXPECT_NE(log_text("recipe.2014.03.05.2107.log").find("マテリア：Stone"), std::string::npos);
      if (game) {
        EXPECT_TRUE(game->stop());
      }
    }
  }
}

// A chunk file whose lines would take more memory than rendering ahead
// allows: the lines past the limit are rendered in their turn, in order,
// and so are the materia tests on either side of the limit.
TEST_F(ExporterTest, AHugeChunkFileIsExportedWholeInOrder) {
  chunk(0, 0, {{0x5316F48C, 0x000A, "first"}}, kT0);
  std::vector<Entry> entries;
  const std::string filler(1000, 'x');
  for (std::uint32_t e = 0; e < 6000; ++e) entries.push_back({0x5316F490 + e, 0x000E, filler});
  entries[10] = {0x46A00000, 0x000A, "::Aaa Bbb:SwordからStoneが生成された！"};
  entries[5990] = {0x46A00001, 0x000A, "::Aaa Bbb:ShieldからRockが生成された！"};
  test::write_chunk(character_, 1, test::chunk_bytes(1, entries), kT0 + 10);
  EXPECT_EQ(run(kManualExport), kNewSeriesExported);

  std::string expected = "5316F48C000Afirst\r\n";
  for (const Entry& entry : entries) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%08X%04X", static_cast<unsigned>(entry.time),
                  static_cast<unsigned>(entry.code));
    expected += prefix + entry.text + "\r\n";
  }
  EXPECT_TRUE(log_text("2014.03.05.2107.log") == expected);  // not printed: megabytes
  const std::string recipe = log_text("recipe.2014.03.05.2107.log");
  const std::size_t stone = recipe.find("マテリア：Stone");
  const std::size_t rock = recipe.find("マテリア：Rock");
  EXPECT_NE(stone, std::string::npos);
  EXPECT_NE(rock, std::string::npos);
  EXPECT_LT(stone, rock);
  EXPECT_EQ(key(u"LASTNO"), "2");
  EXPECT_EQ(key(u"ENDDATE"), std::to_string(0x5316F490 + 5999));
}

TEST_F(ExporterTest, EmptyChunkAndEntryTimes) {
  chunk(0, 0, {{0, 0x000A, "a"}, {0, 0x000A, "b"}, {0x5316F48C, 0x000A, "c"}, {0, 0x000A, "d"}}, kT0);
  test::write_chunk(character_, 1, test::chunk_bytes(4, 4, {}), kT0);  // no entries, still taken
  chunk(2, 4, {{0x5316F490, 0x000A, "e"}, {0, 0x000A, "f"}}, kT0);
  EXPECT_EQ(run(kManualExport), kNewSeriesExported);
  EXPECT_EQ(key(u"TOPDATE"), std::to_string(0x5316F48C));
  EXPECT_EQ(key(u"ENDDATE"), "0");
  EXPECT_EQ(key(u"LASTNO"), "3");
  EXPECT_EQ(log_text("2014.03.05.2107.log"),
            "00000000000Aa\r\n00000000000Ab\r\n5316F48C000Ac\r\n00000000000Ad\r\n5316F490000Ae\r\n00000000000Af\r\n");
}

TEST_F(ExporterTest, OutputCharsets) {
  chunk(0, 0, {{0x5316F48C, 0x000A, "あ"}}, kT0);
  struct Case {
    int charset;
    std::string file;
    // clang-format off
  } cases[] = {
      {0, "5316F48C000A\x82\xA0\r\n"},
      {1, "5316F48C000A\xE3\x81\x82\r\n"},
      {2, std::string("5\0" "3\0" "1\0" "6\0" "F\0" "4\0" "8\0" "C\0" "0\0" "0\0" "0\0" "A\0" "\x42\x30\r\0\n\0", 30)},
      {3, ""},
      {-1, ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    // As the settings file gives it: any number, kept as it is.
    const std::string stored = std::to_string(c.charset);
    test::write_settings_key(u"GENERIC", u"CHARSET", std::u16string(stored.begin(), stored.end()).c_str());
    settings().charset = load_settings().charset;
    EXPECT_TRUE(has_flags(run(kManualExport), ExportFlags::kExported));
    EXPECT_EQ(log_text("2014.03.05.2107.log"), c.file) << c.charset;
    EXPECT_EQ(key(u"LASTNO"), "1");
  }
}

TEST_F(ExporterTest, MissingChunk0ExportsNothing) {
  std::u16string path = u"untouched";
  EXPECT_EQ(run(kManualExport, &path), ExportFlags::kNone);
  EXPECT_EQ(path, u"untouched");
  EXPECT_TRUE(fs::is_empty(dir_.path() / "work" / "log"));
  EXPECT_EQ(key(u"LOGFILE"), "<none>");
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kNone);
}

TEST_F(ExporterTest, ChainBrokenAtChunk0TakesNothing) {
  chunk(0, 1, {{0x5316F48C, 0x000A, "a"}}, kT0);
  EXPECT_EQ(run(kManualExport), ExportFlags::kChanged | ExportFlags::kNewSeries);
  EXPECT_TRUE(fs::exists(log_file("2014.03.05.2107.log")));
  EXPECT_EQ(log_text("2014.03.05.2107.log"), "");
  EXPECT_FALSE(fs::exists(log_file("recipe.2014.03.05.2107.log")));
  EXPECT_EQ(key(u"TOPDATE"), "0");
  EXPECT_EQ(key(u"LASTNO"), "0");
  EXPECT_EQ(key(u"LASTDATE"), narrow(format_lastdate_key(kT0)));
}

TEST_F(ExporterTest, FailedExportIsToldAndRecordsNothing) {
  traced_series();
  settings().log_folder = u"." + sep() + u"missing" + sep();
  const std::u16string expected = settings().log_folder + u"2014.03.05.2107.log";
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kChanged | ExportFlags::kNewSeries);
  EXPECT_EQ(test::status_log_text(),
            u"新しいログの記録を確認しました。\r\n" + expected + u"の保存に失敗しました。\r\n");
  EXPECT_EQ(key(u"LOGFILE"), "<none>");
  EXPECT_EQ(key(u"DATE"), "<none>");
  // The status text stays the fixed one; the diagnostics name the system's reason.
#ifdef _WIN32
  const std::u16string reason = u", system error 3\r\n";  // ERROR_PATH_NOT_FOUND
#else
  const std::u16string reason = u", system error 2 (No such file or directory)\r\n";
#endif
  for (const std::u16string& file : {expected, settings().log_folder + u"recipe.2014.03.05.2107.log"}) {
    EXPECT_EQ(diagnostic_starting(file), file + u": no temporary file could be created for it" + reason);
  }

  // The same failure on the next watch cycle is not told again, nor is the
  // series it keeps finding new.
  test::clear_captured_reports();
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kChanged | ExportFlags::kNewSeries);
  EXPECT_EQ(test::status_log_text(), u"");
  // A manual export always tells.
  EXPECT_EQ(run(kManualExport), ExportFlags::kChanged | ExportFlags::kNewSeries);
  EXPECT_EQ(test::status_log_text(),
            u"新しいログの記録を確認しました。\r\n" + expected + u"の保存に失敗しました。\r\n");

  // Once the folder is there, the export succeeds and is recorded.
  create_directory(settings().log_folder.c_str());
  EXPECT_EQ(run(kAutomaticExport), kNewSeriesExported);
  EXPECT_EQ(key(u"LASTNO"), "3");
}

TEST_F(ExporterTest, FailedPlacementKeepsTheEarlierExport) {
  traced_series();
  EXPECT_EQ(run(kManualExport), kNewSeriesExported);
  // Something now stands in the way of the recipe name (here a folder), so the
  // new export cannot be put in place.
  chunk(3, 9, {{0x46A00000, 0x000A, "::Aaa Bbb:SwordからStoneが生成された！"}}, kT0 + 30);
  fs::create_directories(log_file("recipe.2014.03.05.2107.log") / "blocker");
  test::clear_captured_reports();
  const ExportFlags flags = run(kManualExport);
  EXPECT_FALSE(has_flags(flags, ExportFlags::kExported));
  EXPECT_NE(test::status_log_text().find(u"の保存に失敗しました。\r\n"), std::u16string::npos);
  EXPECT_EQ(key(u"LASTNO"), "3");
}

TEST_F(ExporterTest, NewSeriesInTheSameMinuteGetsItsOwnName) {
  traced_series();
  EXPECT_EQ(run(kManualExport), kNewSeriesExported);
  // A relog within the minute: a new chunk 0, 10 seconds later.
  for (int i = 1; i <= 2; ++i) fs::remove(character_ / "log" / (i == 1 ? "00000001.log" : "00000002.log"));
  chunk(0, 0, {{0x5316F4A0, 0x000A, "second series"}}, kT0 + 10 * 10000000LL);
  std::u16string path;
  EXPECT_EQ(run(kAutomaticExport, &path), kNewSeriesExported);
  EXPECT_EQ(path, settings().log_folder + u"2014.03.05.2107_2.log");
  EXPECT_EQ(log_text("2014.03.05.2107.log"), kTracedLines);  // the first series stays whole
  EXPECT_EQ(log_text("2014.03.05.2107_2.log"), "5316F4A0000Asecond series\r\n");
  EXPECT_EQ(key(u"LOGFILE"), "2014.03.05.2107_2.log");

  // Later exports of the second series keep its name.
  chunk(1, 1, {{0x5316F4A1, 0x000A, "more"}}, kT0 + 30 * 10000000LL);
  EXPECT_EQ(run(kAutomaticExport, &path), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(path, settings().log_folder + u"2014.03.05.2107_2.log");
  EXPECT_EQ(log_text("2014.03.05.2107_2.log"), "5316F4A0000Asecond series\r\n5316F4A1000Amore\r\n");
}

}  // namespace
}  // namespace tellwick

namespace tellwick {
namespace {

TEST_F(ExporterTest, ChunkHeldByTheGameKeepsTheEarlierExport) {
  traced_series();
  chunk(0, 0, {{0x46A00000, 0x000A, "::Aaa Bbb:SwordからStoneが生成された！"}}, kT0);
  EXPECT_EQ(run(kManualExport), kNewSeriesExported);
  const std::string earlier = log_text("2014.03.05.2107.log");
  const std::string earlier_recipe = log_text("recipe.2014.03.05.2107.log");
  ASSERT_FALSE(earlier_recipe.empty());

  // The game writes chunk 0 again and holds it open: nothing can be read.
  test::FileHolder game(dir_, "write", character_ / "log" / "00000000.log");
  ASSERT_TRUE(game.wait_until_holding());
  EXPECT_FALSE(has_flags(run(kManualExport), ExportFlags::kExported));
  EXPECT_EQ(log_text("2014.03.05.2107.log"), earlier);
  EXPECT_EQ(log_text("recipe.2014.03.05.2107.log"), earlier_recipe);
  EXPECT_TRUE(game.stop());
  // The chunk file that could not be read is recorded as still to take.
  EXPECT_EQ(run(kManualExport), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), earlier);

  // The game removes chunk 0 (a new login): the exports stay as they are.
  fs::remove(character_ / "log" / "00000000.log");
  EXPECT_EQ(run(kManualExport), ExportFlags::kNone);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), earlier);
  EXPECT_EQ(log_text("recipe.2014.03.05.2107.log"), earlier_recipe);
}

// The game lets go of the chunk file it was writing without writing it
// again, so its time does not move: the next automatic export must still take it.
TEST_F(ExporterTest, AChunkFileLetGoUnchangedIsTakenByTheNextAutomaticExport) {
  traced_series();
  const fs::path chunk2 = character_ / "log" / "00000002.log";
  auto game = std::make_unique<test::FileHolder>(dir_, "write", chunk2);
  ASSERT_TRUE(game->wait_until_holding());
  EXPECT_EQ(run(kAutomaticExport), kNewSeriesExported);
  const std::string traced(kTracedLines);
  const std::string before_chunk2 = traced.substr(0, traced.find("5316F4920010five"));
  EXPECT_EQ(log_text("2014.03.05.2107.log"), before_chunk2);
  EXPECT_EQ(key(u"LASTNO"), "2");
  EXPECT_EQ(key(u"LASTDATE"), "0000000000000000");
  // Still held: an export could take nothing more, so none runs, even when
  // the game writes the file again.
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kNone);
  ASSERT_TRUE(set_file_write_time(chunk2.u16string().c_str(), kT0 + 25));
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kNone);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), before_chunk2);

  EXPECT_TRUE(game->stop());
  game.reset();
  FileTime time = 0;
  ASSERT_TRUE(file_write_time(chunk2.u16string().c_str(), time));
  ASSERT_EQ(time, kT0 + 25) << "letting go of the file left its time as it was";
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), kTracedLines);
  EXPECT_EQ(key(u"LASTNO"), "3");
  EXPECT_EQ(key(u"LASTDATE"), "0000000000000000");
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kNone);

  // A chunk file older than chunk 0, left from an earlier series, is not
  // held by anyone: its own time is recorded, so that nothing runs until
  // the game writes it again.
  chunk(3, 9, {{0x5316F496, 0x0010, "old"}}, kT0 - 50);
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(key(u"LASTDATE"), narrow(format_lastdate_key(kT0 - 50)));
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kNone);
}

TEST_F(ExporterTest, ChunkStillGrowingIsTakenAgainWhenWhole) {
  traced_series();
  // Chunk 2's table names four entries; only two have arrived.
  const std::vector<unsigned char> whole = test::chunk_bytes(5, {{0x5316F492, 0x0010, "five"},
                                                                 {0x5316F493, 0x0010, "six"},
                                                                 {0x5316F494, 0x0010, "seven"},
                                                                 {0x5316F495, 0x0018, "eight"}});
  const std::size_t table_end = 8 + 4 * 4;
  const std::vector<unsigned char> partial(whole.begin(), whole.begin() + table_end + 2 * 8 + 4 + 3);
  test::write_chunk(character_, 2, partial, kT0 + 20);
  EXPECT_EQ(run(kAutomaticExport), kNewSeriesExported);
  // What has arrived is exported: five and six, not seven and eight.
  const std::string traced(kTracedLines);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), traced.substr(0, traced.find("5316F4940010seven")));
  EXPECT_EQ(key(u"LASTNO"), "2");  // the growing chunk is not counted

  test::write_chunk(character_, 2, whole, kT0 + 30);
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), kTracedLines);
  EXPECT_EQ(key(u"LASTNO"), "3");
}

TEST_F(ExporterTest, ExportFileHeldOpenByAnotherProgram) {
  traced_series();
  EXPECT_EQ(run(kManualExport), kNewSeriesExported);
  chunk(3, 9, {{0x5316F496, 0x0010, "nine"}}, kT0 + 30);
  test::FileHolder viewer(dir_, "write", log_file("2014.03.05.2107.log"));
  ASSERT_TRUE(viewer.wait_until_holding());
  test::clear_captured_reports();
  const ExportFlags flags = run(kAutomaticExport);
#ifdef _WIN32
  // Windows will not replace a file another program has open.
  EXPECT_EQ(flags, ExportFlags::kChanged);
  EXPECT_EQ(test::status_log_text(), settings().log_folder + u"2014.03.05.2107.logの保存に失敗しました。\r\n");
  EXPECT_EQ(log_text("2014.03.05.2107.log"), kTracedLines);
  EXPECT_EQ(key(u"LASTNO"), "3");
  EXPECT_TRUE(viewer.stop());
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kExported | ExportFlags::kChanged);
#else
  // Elsewhere a file is replaced whoever has it open.
  EXPECT_EQ(flags, ExportFlags::kExported | ExportFlags::kChanged);
  EXPECT_EQ(test::status_log_text(), u"");
#endif
  EXPECT_EQ(log_text("2014.03.05.2107.log"), std::string(kTracedLines) + "5316F4960010nine\r\n");
  EXPECT_EQ(key(u"LASTNO"), "4");
}

TEST_F(ExporterTest, SettingsFileThatCannotBeWrittenIsTold) {
  traced_series();
  // Where the settings file belongs there is a folder: nothing can be kept.
  fs::create_directories(dir_.path() / "work" / "tellwick.ini" / "inner");
  const std::u16string told = std::u16string(settings_path()) + u"の保存に失敗しました。\r\n";
  EXPECT_EQ(run(kAutomaticExport), kNewSeriesExported);
  EXPECT_EQ(log_text("2014.03.05.2107.log"), kTracedLines);
  EXPECT_EQ(test::status_log_text(), u"新しいログの記録を確認しました。\r\n" + told);
  const std::u16string said = diagnostic_starting(settings_path());
  const std::u16string expected = std::u16string(settings_path()) + u": the export's record could not be written";
  EXPECT_TRUE(said.starts_with(expected + u", system error ")) << fs::path(said).string();
#ifndef _WIN32
  EXPECT_TRUE(said.ends_with(u" 21 (Is a directory)\r\n")) << fs::path(said).string();
#endif
  test::clear_captured_reports();
  EXPECT_EQ(run(kAutomaticExport), kNewSeriesExported);  // without its record, the export repeats, untold
  EXPECT_EQ(test::status_log_text(), u"");

  fs::remove_all(dir_.path() / "work" / "tellwick.ini");
  EXPECT_EQ(run(kAutomaticExport), kNewSeriesExported);
  EXPECT_EQ(test::status_log_text(), u"新しいログの記録を確認しました。\r\n");
  EXPECT_EQ(run(kAutomaticExport), ExportFlags::kNone);
}

// Without a settings file that takes the record, every export finds the
// series new; it must still be one file, in each charset, while a relog in
// the same minute gets a file of its own.
TEST_F(ExporterTest, WithoutItsRecordASeriesKeepsOneExportFile) {
  fs::create_directories(dir_.path() / "work" / "tellwick.ini" / "inner");
  const fs::path log_folder = dir_.path() / "work" / "log";
  for (int charset : {0, 1, 2}) {
    SCOPED_TRACE(charset);
    settings().charset = static_cast<OutputCharset>(charset);
    fs::remove_all(log_folder);
    fs::create_directories(log_folder);
    fs::remove_all(character_ / "log");
    fs::create_directories(character_ / "log");
    chunk(0, 0, {{0x5316F48C, 0x000A, ":Ccc Ddd:こんにちは"}, {0x5316F48D, 0x000A, "two"}}, kT0);
    test::clear_captured_reports();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(run(kAutomaticExport), kNewSeriesExported);
    EXPECT_EQ(log_names(), std::vector<std::string>{"2014.03.05.2107.log"});
    const std::string first_export = log_text("2014.03.05.2107.log");
    // Told once in all: the same failure on later exports says nothing.
    const std::u16string told =
        u"新しいログの記録を確認しました。\r\n" + std::u16string(settings_path()) + u"の保存に失敗しました。\r\n";
    EXPECT_EQ(test::status_log_text(), charset == 0 ? told : u"");

    // Another series under the same minute's name: the first one's file is
    // not rewritten, and the second keeps to its own.
    chunk(0, 0, {{0x5316F4A0, 0x000A, ":Ccc Ddd:こんにちは"}}, kT0 + 10 * 10000000LL);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(run(kAutomaticExport), kNewSeriesExported);
    EXPECT_EQ(log_names(), (std::vector<std::string>{"2014.03.05.2107.log", "2014.03.05.2107_2.log"}));
    EXPECT_EQ(log_text("2014.03.05.2107.log"), first_export);
    EXPECT_EQ(key(u"LOGFILE"), "<none>");
  }
}

// A log folder whose absolute path, final separator included, has exactly
// `length` characters.
std::u16string folder_of_length(const fs::path& base, std::size_t length) {
  std::u16string folder = fs::absolute(base).u16string();
  if (!is_path_separator(folder.back())) folder += kPathSeparator;
  std::size_t left = length > folder.size() + 1 ? length - folder.size() : 0;
  for (; left > 80; left -= 61) folder += std::u16string(60, u'd') + kPathSeparator;
  if (left > 0) folder += std::u16string(left - 1, u'e') + kPathSeparator;
  return folder;
}

constexpr char kMateriaText[] = "::Aaa Bbb:SwordからStoneが生成された！";

// The longest log folder the settings take: the recipe file's path of a
// second series in the minute is 257 characters, and every file written on
// the way there must fit the system's limit as well.
TEST_F(ExporterTest, ALogFolderOfTheLongestAcceptedPathTakesEveryExport) {
  const std::u16string folder = folder_of_length(dir_.path() / "work", 229);
  ASSERT_EQ(folder.size(), 229u);
  ASSERT_TRUE(fs::create_directories(fs::path(folder)));
  settings().log_folder = folder;
  auto names = [&] {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(fs::path(folder)))
      found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  };

  chunk(0, 0, {{0x46A00000, 0x000A, kMateriaText}}, kT0);
  std::u16string path;
  EXPECT_EQ(run(kManualExport, &path), kNewSeriesExported);
  EXPECT_EQ(path, folder + u"2014.03.05.2107.log");
  EXPECT_EQ(names(), (std::vector<std::string>{"2014.03.05.2107.log", "recipe.2014.03.05.2107.log"}));
  EXPECT_EQ(test::status_log_text(), u"新しいログの記録を確認しました。\r\n");

  chunk(0, 0, {{0x46A00010, 0x000A, kMateriaText}}, kT0 + 10 * 10000000LL);  // a relog within the minute
  EXPECT_EQ(run(kAutomaticExport, &path), kNewSeriesExported);
  EXPECT_EQ(path, folder + u"2014.03.05.2107_2.log");
  EXPECT_EQ(names(), (std::vector<std::string>{"2014.03.05.2107.log", "2014.03.05.2107_2.log",
                                               "recipe.2014.03.05.2107.log", "recipe.2014.03.05.2107_2.log"}));
  EXPECT_EQ(key(u"LOGFILE"), "2014.03.05.2107_2.log");
  const auto bytes = test::read_bytes(fs::path(folder + u"2014.03.05.2107_2.log"));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "46A00010000A" + std::string(kMateriaText) + "\r\n");
}

// What killed exports left under the temporary names, a whole set of them,
// is removed by the next export of the name, which then writes its files
// whole; a link there is left as it is, and so is what it points to.
TEST_F(ExporterTest, LeftoverTemporaryFilesAreRemovedAndNeverBlockAnExport) {
  chunk(0, 0, {{0x46A00000, 0x000A, kMateriaText}}, kT0);
  const std::string left = "left by a killed export";
  for (const std::string stem : {"2014.03.05.2107", "recipe.2014.03.05.2107"}) {
    for (int number = 0; number < 100; ++number) {
      char suffix[8];
      std::snprintf(suffix, sizeof suffix, ".~%02d", number);
      test::write_bytes(log_file(stem + suffix), std::vector<std::uint8_t>(left.begin(), left.end()));
    }
  }
  std::vector<std::string> expected_names = {"2014.03.05.2107.log", "recipe.2014.03.05.2107.log"};
#ifndef _WIN32
  test::write_bytes(dir_.path() / "elsewhere.txt", {'x'});
  fs::remove(log_file("2014.03.05.2107.~50"));
  fs::create_symlink(dir_.path() / "elsewhere.txt", log_file("2014.03.05.2107.~50"));
  expected_names.push_back("2014.03.05.2107.~50");
#endif
  std::sort(expected_names.begin(), expected_names.end());

  EXPECT_TRUE(has_flags(run(kManualExport), ExportFlags::kExported));
  EXPECT_EQ(test::status_log_text(), u"新しいログの記録を確認しました。\r\n");
  EXPECT_EQ(log_text("2014.03.05.2107.log"), "46A00000000A" + std::string(kMateriaText) + "\r\n");
  EXPECT_NE(log_text("recipe.2014.03.05.2107.log"), "");
  EXPECT_EQ(log_names(), expected_names);
#ifndef _WIN32
  EXPECT_TRUE(fs::is_symlink(log_file("2014.03.05.2107.~50")));
  EXPECT_EQ(test::read_bytes(dir_.path() / "elsewhere.txt"), std::vector<std::uint8_t>{'x'});
#endif
}

// A temporary file that another export (another process) is still writing
// is neither removed nor written: this export takes the next name. Once
// that process is gone without putting it in place, the next export
// removes it.
TEST_F(ExporterTest, TemporaryFileOfARunningExportIsLeftAlone) {
  chunk(0, 0, {{0x46A00000, 0x000A, kMateriaText}}, kT0);
  const std::vector<std::string> finals = {"2014.03.05.2107.log", "recipe.2014.03.05.2107.log"};
  std::vector<std::string> while_held = finals;
  while_held.push_back("2014.03.05.2107.~00");
  std::sort(while_held.begin(), while_held.end());
  {
    test::FileHolder other_export(dir_, "temporary", log_file("2014.03.05.2107.~00"));
    ASSERT_TRUE(other_export.wait_until_holding());
    EXPECT_TRUE(has_flags(run(kManualExport), ExportFlags::kExported));
    EXPECT_EQ(log_text("2014.03.05.2107.log"), "46A00000000A" + std::string(kMateriaText) + "\r\n");
    EXPECT_EQ(log_names(), while_held);
    EXPECT_TRUE(other_export.stop());
  }
  EXPECT_EQ(log_names(), while_held);
  EXPECT_TRUE(has_flags(run(kManualExport), ExportFlags::kExported));
  EXPECT_EQ(log_names(), finals);
}

TEST_F(ExporterTest, Utf16SettingsFileStaysUtf16) {
  traced_series();
  const std::u16string text = u"[GENERIC]\r\nCHARSET=2\r\n";
  std::vector<unsigned char> bytes = {0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  }
  test::write_bytes(dir_.path() / "work" / "tellwick.ini", bytes);
  const std::u16string log_folder = settings().log_folder;
  settings() = load_settings();
  EXPECT_EQ(settings().charset, 2);
  settings().log_folder = log_folder;
  EXPECT_EQ(run(kManualExport), kNewSeriesExported);
  EXPECT_EQ(key(u"LASTNO"), "3");
  const auto written = test::read_bytes(dir_.path() / "work" / "tellwick.ini");
  ASSERT_GE(written.size(), 2u);
  EXPECT_EQ(written[0], 0xFF);
  EXPECT_EQ(written[1], 0xFE);
  EXPECT_EQ(log_text("2014.03.05.2107.log").substr(0, 4), std::string("5\0003\000", 4));
}

// UTF-16 text as little-endian bytes, the way charset 2 writes it.
std::string utf16le_bytes(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// The recipe file of a series with the same materia twice and another once:
// one record per pair unless duplicates are kept, in the output charset. In
// an entry line the actor name is not where the detector looks for it, so an
// item name begins at the line's eighth character: the time's last hex digit,
// the code, then the text. The two Sword entries share that digit.
TEST_F(ExporterTest, RecipeFileBytesFollowTheCharsetAndTheDuplicatesSetting) {
  chunk(0, 0,
        {{0x46A00000, 0x000A, "::Aaa Bbb:SwordからStoneが生成された！"},
         {0x46A00001, 0x000A, "::Aaa Bbb:ShieldからRockが生成された！"},
         {0x46A00010, 0x000A, "::Aaa Bbb:SwordからStoneが生成された！"}},
        kT0);
  const std::u16string sword = u"アイテム：0000A::Aaa Bbb:Sword\r\nマテリア：Stone\r\nCheck：492813191577\r\n\r\n";
  const std::u16string shield = u"アイテム：1000A::Aaa Bbb:Shield\r\nマテリア：Rock\r\nCheck：264829110056\r\n\r\n";
  const std::string sword_utf8 = "アイテム：0000A::Aaa Bbb:Sword\r\nマテリア：Stone\r\nCheck：492813191577\r\n\r\n";
  const std::string shield_utf8 = "アイテム：1000A::Aaa Bbb:Shield\r\nマテリア：Rock\r\nCheck：264829110056\r\n\r\n";
  struct Case {
    int charset;
    bool keep_duplicates;
    std::string recipe;
  } cases[] = {
      {1, 0, sword_utf8 + shield_utf8},
      {1, 1, sword_utf8 + shield_utf8 + sword_utf8},
      {2, 0, utf16le_bytes(sword + shield)},
      {2, 1, utf16le_bytes(sword + shield + sword)},
  };
  ASSERT_EQ(sword_utf8.substr(0, 3), "\xE3\x82\xA2");  // the source's literals are UTF-8
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "charset " << c.charset << ", MATERIANODEL=" << c.keep_duplicates);
    settings().charset = static_cast<OutputCharset>(c.charset);
    settings().keep_duplicates = c.keep_duplicates;
    EXPECT_TRUE(has_flags(run(kManualExport), ExportFlags::kExported));
    EXPECT_EQ(log_text("recipe.2014.03.05.2107.log"), c.recipe);
  }
}

// Chunk 0's time in Europe/Berlin, whose offset from UTC changes with summer
// time. The name takes the offset in force when the export runs, not the one
// at chunk 0's date, as the system's own file time conversion does.
class ExportNameTimeZoneTest : public ExporterTest {
 protected:
  // The offset of Berlin's clocks from UTC at `moment`, by the EU rule:
  // summer time from 01:00 UTC on the last Sunday of March to 01:00 UTC on
  // the last Sunday of October.
  static std::chrono::hours berlin_offset(std::chrono::sys_seconds moment) {
    using namespace std::chrono;
    const year y = year_month_day(floor<days>(moment)).year();
    const auto last_sunday = [&](month m) { return sys_days(y / m / Sunday[last]) + 1h; };
    return moment >= last_sunday(March) && moment < last_sunday(October) ? 2h : 1h;
  }

  static std::string name_at(std::chrono::sys_seconds local) {
    using namespace std::chrono;
    const year_month_day date(floor<days>(local));
    const hh_mm_ss<seconds> time(local - floor<days>(local));
    char name[80];
    std::snprintf(name, sizeof name, "%04d.%02u.%02u.%02ld%02ld.log", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()));
    return name;
  }

  static std::chrono::sys_seconds now() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  }
};

TEST_F(ExportNameTimeZoneTest, SummerAndWinterChunksTakeTheOffsetInForceNow) {
#ifdef _WIN32
  // The system's zone cannot be switched for one test: under Wine a process
  // takes it from its own TZ, which the test ExportNameTimeZoneTest.InBerlin
  // sets; on Windows it is the machine's.
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  if (kind == TIME_ZONE_ID_INVALID || zone.Bias != -60 || zone.DaylightBias != -60 || zone.DaylightDate.wMonth != 3 ||
      zone.StandardDate.wMonth != 10) {
    GTEST_SKIP() << "the system's time zone is not Central European time (bias " << zone.Bias
                 << " min); run it as ctest -R ExportNameTimeZoneTest.InBerlin";
  }
#else
  if (!fs::exists("/usr/share/zoneinfo/Europe/Berlin")) GTEST_SKIP() << "no time zone data for Europe/Berlin (tzdata)";
  test::TimeZoneScope berlin("Europe/Berlin");
#endif
  using namespace std::chrono;
  struct Case {
    const char* season;
    sys_seconds chunk0;  // UTC
  } cases[] = {
      {"summer", sys_days(2014y / July / 15) + 12h + 7min + 40s},
      {"winter", sys_days(2014y / January / 15) + 12h + 7min + 40s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.season);
    fs::remove_all(dir_.path() / "work" / "log");
    fs::create_directories(dir_.path() / "work" / "log");
    chunk(0, 0, {{0x5316F48C, 0x000A, ":Aaa Bbb:hello"}}, test::file_time_of_unix(c.chunk0.time_since_epoch().count()));

    const hours offset_before = berlin_offset(now());
    std::u16string path;
    EXPECT_TRUE(has_flags(run(kManualExport, &path), ExportFlags::kExported));
    if (berlin_offset(now()) != offset_before) GTEST_SKIP() << "Berlin's clocks changed while the test ran";
    const std::string expected = name_at(c.chunk0 + offset_before);
    EXPECT_EQ(log_names(), std::vector<std::string>{expected}) << "offset now: +" << offset_before.count() << " h";
    EXPECT_EQ(path, settings().log_folder + fs::path(expected).u16string());
  }
}

}  // namespace
}  // namespace tellwick
