// Saves of the settings file as other programs meet them: another Tellwick
// process saving at the same time, and a file the player made read-only.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "gamelog/game_folders.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "settings/settings.h"
#include "support/chunk_files.h"
#include "support/current_dir.h"
#include "support/file_bytes.h"
#include "support/process.h"
#include "support/report_capture.h"
#include "support/small_series.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::file_bytes;
using test::put_file;
using test::TempDir;

constexpr int kKeysEach = 200;

std::u16string decimal(int n) {
  const std::string text = std::to_string(n);
  return std::u16string(text.begin(), text.end());
}

// Each process reads, edits and replaces the file on every save; without a
// lock between them, a save lands between another's read and its rename and
// that one's key is gone.
TEST(ProfileSave, TwoProcessesSavingAtOnceLoseNoKey) {
  TempDir dir;
  const fs::path file = dir.path() / "test.ini";
  const fs::path go = dir.path() / "go";
  const char* sections[] = {"First", "Second"};
  std::vector<test::Process> writers(std::size(sections));
  for (std::size_t i = 0; i < writers.size(); ++i) {
    ASSERT_TRUE(test::start_process(test::helper_program("profile_writer"),
                                    {file, sections[i], std::to_string(kKeysEach), go}, writers[i]));
  }
  put_file(go, "");
  for (test::Process& writer : writers) {
    EXPECT_TRUE(test::ends_within(writer, std::chrono::minutes(2), "profile_writer"));
  }
  int missing = 0;
  for (const char* section : sections) {
    const std::u16string name = fs::path(section).u16string();
    for (int n = 0; n < kKeysEach; ++n) {
      const std::u16string key = u"K" + decimal(n);
      if (profile_read_int(name.c_str(), key.c_str(), -1, file.u16string().c_str()) != n) ++missing;
    }
  }
  EXPECT_EQ(missing, 0) << "of " << kKeysEach * 2 << " keys";
}

// What marks a file read-only on each system: no write permission at all
// (which root obeys here too), or the read-only attribute.
void make_read_only(const fs::path& file) { fs::permissions(file, fs::perms::owner_read | fs::perms::group_read); }
void make_writable(const fs::path& file) { fs::permissions(file, fs::perms::owner_write, fs::perm_options::add); }

bool refused_for_access() {
#ifdef _WIN32
  return GetLastError() == ERROR_ACCESS_DENIED;
#else
  return errno == EACCES;
#endif
}

TEST(ProfileSave, AReadOnlyFileIsNotRewritten) {
  TempDir dir;
  const fs::path file = dir.path() / "test.ini";
  const std::string before = "[S]\r\nA=1\r\n";
  put_file(file, before);
  make_read_only(file);
  const std::u16string name = file.u16string();
  EXPECT_FALSE(profile_write_string(u"S", u"A", u"2", name.c_str()));
  EXPECT_TRUE(refused_for_access());
  const ProfileWrite writes[] = {{u"A", u"3"}, {u"B", u"4"}};
  EXPECT_FALSE(profile_write_keys(u"S", writes, std::size(writes), name.c_str()));
  EXPECT_FALSE(profile_write_string(u"S", u"A", nullptr, name.c_str()));
  EXPECT_EQ(file_bytes(file), before);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);

  make_writable(file);
  EXPECT_TRUE(profile_write_string(u"S", u"A", u"2", name.c_str()));
  EXPECT_EQ(profile_read_int(u"S", u"A", 0, name.c_str()), 2);
}

// 2014-03-05 21:07:40 in Tokyo, the time zone the tests run in.
const FileTime kT0 = test::file_time_of_unix(1394021260);

// An export whose record cannot be saved says so, and the automatic exports
// after it, which fail the same way, say nothing more.
TEST(ProfileSave, AReadOnlySettingsFileIsToldOnce) {
  constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
  TempDir dir;
  fs::create_directories(dir.path() / "work");
  test::CurrentDirScope cwd(dir.path() / "work");
  set_game_user_folder_override((dir.path() / "game").u16string());
  test::write_small_chunk(dir.path() / "game" / fs::path(std::u16string(kCharacter)), 1, 0, kT0);
  const fs::path file = dir.path() / "work" / "tellwick.ini";
  const std::string before = "[GENERIC]\r\nCHARSET=1\r\n";
  put_file(file, before);
  make_read_only(file);
  Settings settings = load_settings();
  std::u16string told_failure;
  test::clear_captured_reports();
  for (int run = 0; run < 3; ++run) {
    run_export(kCharacter, settings, kAutomaticExport, test::capturing_reports(), told_failure);
  }
  EXPECT_EQ(test::status_log_text(),
            std::u16string(u"新しいログの記録を確認しました。\r\n") + settings_path() + u"の保存に失敗しました。\r\n");
  EXPECT_EQ(file_bytes(file), before);
  make_writable(file);
  set_game_user_folder_override(u"");
}

}  // namespace
}  // namespace tellwick
