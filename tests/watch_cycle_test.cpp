// The watch cycle run in this process against real processes and real chunk
// files: the game's start and end told once each, the switch from one
// character to another, and a game folder without characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gamelog/game_folders.h"
#include "platform/path.h"
#include "settings/settings.h"
#include "support/settings_keys.h"
#include "support/chunk_files.h"
#include "support/current_dir.h"
#include "support/file_bytes.h"
#include "support/game_scan_lock.h"
#include "support/report_capture.h"
#include "support/small_series.h"
#include "support/stand_in_game.h"
#include "support/temp_dir.h"
#include "watch/watch_cycle.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kStarted[] = u"FINAL FANTASY XIV の起動を確認しました。\r\n";
constexpr char16_t kEnded[] = u"FINAL FANTASY XIV の終了を確認しました。\r\n";
constexpr char16_t kNewSeries[] = u"新しいログの記録を確認しました。\r\n";

constexpr char16_t kFirst[] = u"FFXIV_CHR0040000001000001";
constexpr char16_t kSecond[] = u"FFXIV_CHR0040000001000002";
// 2014-03-05 21:07:40 in Tokyo, the time zone the tests run in.
const FileTime kT0 = test::file_time_of_unix(1394021260);
constexpr FileTime kHour = 36000000000ULL;
constexpr FileTime kSecond100ns = 10000000ULL;

class WatchCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = dir_.path() / "game";
    work_ = dir_.path() / "work";
    fs::create_directories(game_);
    fs::create_directories(work_);
    cwd_ = std::make_unique<test::CurrentDirScope>(work_);
    set_game_user_folder_override(game_.u16string());
    settings_.charset = kCharsetUtf8;
    settings_.log_folder = {u'.', kPathSeparator, u'l', u'o', u'g', kPathSeparator};
    test::clear_captured_reports();
  }

  void TearDown() override {
    set_game_user_folder_override(u"");
    cwd_.reset();
  }

  fs::path character(const char16_t* name) const { return game_ / fs::path(std::u16string(name)); }

  // What the window does when it opens: fill the table, watch the active character.
  void open_window() {
    enumerate_character_folders(game_user_folder_path(), *characters_);
    watch_.watched_character = active_character(*characters_);
  }

  std::u16string cycle() {
    test::clear_captured_reports();
    watch_cycle(watch_, *characters_, settings_, test::capturing_reports());
    return test::status_log_text();
  }

  std::string export_file(const std::string& name) const { return test::file_bytes(work_ / "log" / name); }
  int lastno(const char16_t* name) const { return test::read_settings_int(name, u"LASTNO", -1); }

  test::GameScanLock lock_;
  test::TempDir dir_;
  fs::path game_;
  fs::path work_;
  std::unique_ptr<test::CurrentDirScope> cwd_;
  // What the window owns.
  Settings settings_;
  std::unique_ptr<CharacterTable> characters_ = std::make_unique<CharacterTable>();
  WatchState watch_;
};

struct ImageCase {
  const char* folder;  // inside the test's own folder; may be empty
  const char* name;
  bool counts;
};

// Both clients count in any case of letters, and so does any image path in
// which the game's image name occurs: inside a longer file name or in a
// folder's name. The launcher's images, which begin like the game's, are
// other programs.
const ImageCase kImages[] = {
    {"", "ffxiv.exe", true},
    {"", "FFXIV.EXE", true},
    {"", "ffxiv_dx11.exe", true},
    {"", "FFXIV_DX11.EXE", true},
    {"", "Ffxiv_Dx11.Exe", true},
    {"", "myffxiv.exe", true},
    {"", "ffxiv.exe-copy.exe", true},
    {"old ffxiv.exe files", "helper.exe", true},
    {"FFXIV.EXE", "helper.exe", true},
    {"ffxiv_dx11.exe.d", "helper.exe", true},
    {"ffxiv", "helper.exe", false},
    {"", "ffxiv.ex_.exe", false},
    {"", "ffxiv-.exe", false},
    {"", "ffxivboot.exe", false},
    {"", "ffxivboot64.exe", false},
    {"", "ffxivlauncher.exe", false},
    {"", "ffxivlauncher64.exe", false},
};

TEST_F(WatchCycleTest, GameStartAndEndAreToldOnceEachAndTheExportGoesOn) {
  test::write_small_chunk(character(kFirst), 1, 0, kT0);
  open_window();
  std::uint32_t chunks = 1;
  int folder = 0;
  for (const ImageCase& image : kImages) {
    SCOPED_TRACE(std::string(image.folder) + "/" + image.name);
    ASSERT_EQ(cycle(), chunks == 1 ? std::u16string(kNewSeries) : u"")
        << "a process named like the game runs outside this test";

    test::StandInGame game(dir_.path() / "bin" / std::to_string(++folder) / image.folder, image.name);
    ASSERT_TRUE(game.running());
    EXPECT_EQ(cycle(), image.counts ? kStarted : u"");
    // Every examined image goes to the debugger output, the game's included.
    const auto& diagnostics = test::captured_debugger_output();
    const auto seen = std::find_if(diagnostics.begin(), diagnostics.end(), [&](const std::u16string& path) {
      return path.size() > std::string(image.name).size() && path.ends_with(fs::path(image.name).u16string()) &&
             is_path_separator(path[path.size() - std::string(image.name).size() - 1]);
    });
    ASSERT_NE(seen, diagnostics.end());
    ASSERT_NE(seen + 1, diagnostics.end());
    EXPECT_EQ(*(seen + 1), u" found\r\n");
    EXPECT_EQ(cycle(), u"");
    EXPECT_EQ(cycle(), u"");

    // The cycle that sees the end still exports what the game wrote last.
    test::write_small_chunk(character(kFirst), 1, chunks, kT0 + chunks * kSecond100ns);
    ++chunks;
    ASSERT_TRUE(game.stop());
    EXPECT_EQ(cycle(), image.counts ? kEnded : u"");
    EXPECT_EQ(lastno(kFirst), static_cast<int>(chunks));
    EXPECT_EQ(export_file("2014.03.05.2107.log"), test::small_series_export(1, chunks));
    EXPECT_EQ(cycle(), u"");
  }
}

// Position of a section header in the settings file: sections are added in
// the order they are first written.
std::size_t section_position(const fs::path& settings_file, const char16_t* name) {
  std::string header(1, '[');
  header.append(fs::path(std::u16string(name)).string()).push_back(']');
  return test::file_bytes(settings_file).find(header);
}

TEST_F(WatchCycleTest, ACharacterSwitchExportsTheOldCharacterThenTheNewOne) {
  test::write_small_chunk(character(kFirst), 1, 0, kT0);
  test::write_small_chunk(character(kSecond), 2, 0, kT0 - kHour);
  open_window();
  ASSERT_EQ(watch_.watched_character, kFirst);

  test::write_small_chunk(character(kFirst), 1, 1, kT0 + kSecond100ns);
  test::write_small_chunk(character(kSecond), 2, 0, kT0 + kHour);  // the other character logs in
  EXPECT_EQ(cycle(), std::u16string(kNewSeries) + kNewSeries);
  EXPECT_EQ(watch_.watched_character, kSecond);
  EXPECT_EQ(export_file("2014.03.05.2107.log"), test::small_series_export(1, 2));
  EXPECT_EQ(export_file("2014.03.05.2207.log"), test::small_series_export(2, 1));
  const fs::path settings_file = work_ / "tellwick.ini";
  ASSERT_NE(section_position(settings_file, kFirst), std::string::npos);
  ASSERT_NE(section_position(settings_file, kSecond), std::string::npos);
  EXPECT_LT(section_position(settings_file, kFirst), section_position(settings_file, kSecond));

  // From now on only the new one: what the old one writes waits for it to be active again.
  test::write_small_chunk(character(kFirst), 1, 2, kT0 + 2 * kSecond100ns);
  test::write_small_chunk(character(kSecond), 2, 1, kT0 + kHour + kSecond100ns);
  EXPECT_EQ(cycle(), u"");
  EXPECT_EQ(lastno(kFirst), 2);
  EXPECT_EQ(lastno(kSecond), 2);
  EXPECT_EQ(export_file("2014.03.05.2107.log"), test::small_series_export(1, 2));
  EXPECT_EQ(export_file("2014.03.05.2207.log"), test::small_series_export(2, 2));
}

std::vector<fs::path> files_in(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) files.push_back(entry.path().filename());
  return files;
}

TEST_F(WatchCycleTest, WithoutCharactersTheCycleRunsAndWritesNothing) {
  open_window();
  ASSERT_EQ(watch_.watched_character, u"");
  EXPECT_EQ(cycle(), u"");
  EXPECT_EQ(cycle(), u"");
  EXPECT_EQ(files_in(work_ / "log"), std::vector<fs::path>{});
  EXPECT_FALSE(fs::exists(work_ / "tellwick.ini"));

  // A character folder that appears later waits until the table is filled again.
  test::write_small_chunk(character(kFirst), 1, 0, kT0);
  EXPECT_EQ(cycle(), u"");
  EXPECT_EQ(files_in(work_ / "log"), std::vector<fs::path>{});
  enumerate_character_folders(game_user_folder_path(), *characters_);
  EXPECT_EQ(cycle(), kNewSeries);
  EXPECT_EQ(export_file("2014.03.05.2107.log"), test::small_series_export(1, 1));
}

}  // namespace
}  // namespace tellwick
