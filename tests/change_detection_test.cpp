#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "export/change_detection.h"
#include "export/export_flags.h"
#include "gamelog/game_folders.h"
#include "platform/path.h"
#include "settings/character_record.h"
#include "support/settings_keys.h"
#include "support/chunk_files.h"
#include "support/current_dir.h"
#include "support/export_flags_print.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
constexpr ExportFlags kNewSeries = ExportFlags::kChanged | ExportFlags::kNewSeries;
// High half 01CF38B2, low half 1A2B3C4D: hex letters in the low half.
constexpr FileTime kT0 = 0x01CF38B21A2B3C4DULL;

class ChangeDetectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    character_ = dir_.path() / "game" / fs::path(std::u16string(kCharacter));
    fs::create_directories(character_ / "log");
    fs::create_directories(dir_.path() / "work");
    cwd_ = std::make_unique<test::CurrentDirScope>(dir_.path() / "work");
    set_game_user_folder_override((dir_.path() / "game").u16string());
  }
  void TearDown() override {
    set_game_user_folder_override(u"");
    cwd_.reset();
  }

  void chunk(std::uint32_t index, FileTime time) {
    test::write_chunk(character_, index, test::chunk_bytes(index, {{1, 10, "x"}}), time);
  }
  void remove_chunk(std::uint32_t index) {
    char name[16];
    std::snprintf(name, sizeof name, "%08x.log", index);
    fs::remove(character_ / "log" / name);
  }
  void set_key(const char16_t* key, const char16_t* value) { test::write_settings_key(kCharacter, key, value); }
  std::u16string key(const char16_t* name) { return test::read_settings_key(kCharacter, name, u"<none>"); }

  ExportFlags detect() { return detect_change(character_of(kCharacter).folder, read_export_record(kCharacter)).flags; }
  void write_progress_record(int chunk_count, FileTime chunk0_time, FileTime next_chunk_time) {
    ExportRecord record = read_export_record(kCharacter);
    set_progress_record(record, chunk_count, chunk0_time, next_chunk_time);
    ASSERT_TRUE(write_export_record(kCharacter, record));
  }

  test::TempDir dir_;
  fs::path character_;
  std::unique_ptr<test::CurrentDirScope> cwd_;
};

TEST_F(ChangeDetectionTest, KeyFormatsDifferInTheCaseOfTheLowHalf) {
  EXPECT_EQ(format_date_key(kT0), u"01CF38B21A2B3C4D");
  EXPECT_EQ(format_lastdate_key(kT0), u"01CF38B21a2b3c4d");
  EXPECT_EQ(format_date_key(0), u"0000000000000000");
  EXPECT_EQ(format_lastdate_key(0), u"0000000000000000");
}

TEST_F(ChangeDetectionTest, NeverExported) {
  EXPECT_EQ(detect(), ExportFlags::kNone);  // no chunk 0
  chunk(0, kT0);
  EXPECT_EQ(detect(), kNewSeries);
}

TEST_F(ChangeDetectionTest, LooksInTheFolderItIsGiven) {
  const fs::path elsewhere = dir_.path() / "elsewhere";
  test::write_chunk(elsewhere, 0, test::chunk_bytes(0, {{1, 10, "x"}}), kT0);
  const std::u16string folder = elsewhere.u16string() + kPathSeparator;
  const ChangeCheck check = detect_change(folder, ExportRecord{});
  EXPECT_EQ(check.flags, kNewSeries);
  EXPECT_TRUE(check.chunk0_exists);
  EXPECT_EQ(check.chunk0_time, kT0);
  EXPECT_EQ(detect(), ExportFlags::kNone) << "the character's own folder has no chunk 0";
}

TEST_F(ChangeDetectionTest, RecordTakenUpToAMissingChunk) {
  chunk(0, kT0);
  chunk(1, kT0 + 1);
  chunk(2, kT0 + 2);
  write_progress_record(3, kT0, 0);
  EXPECT_EQ(key(u"DATE"), u"01CF38B21A2B3C4D");
  EXPECT_EQ(key(u"LASTNO"), u"3");
  EXPECT_EQ(key(u"LASTDATE"), u"0000000000000000");
  EXPECT_EQ(detect(), ExportFlags::kNone);

  // A chunk the export took, other than chunk 0, grows unseen.
  chunk(1, kT0 + 100);
  EXPECT_EQ(detect(), ExportFlags::kNone);

  chunk(3, kT0 + 3);
  EXPECT_EQ(detect(), ExportFlags::kChanged);
  chunk(0, kT0 + 5);
  EXPECT_EQ(detect(), kNewSeries);
  remove_chunk(0);
  EXPECT_EQ(detect(), ExportFlags::kNone);  // no chunk 0, whatever the record says
}

TEST_F(ChangeDetectionTest, RecordEndingAtAnOlderChunkSeesItRewritten) {
  chunk(4, kT0 - 1000);  // left from an earlier series
  chunk(0, kT0);
  write_progress_record(4, kT0, kT0 - 1000);
  EXPECT_EQ(key(u"LASTDATE"), format_lastdate_key(kT0 - 1000));
  EXPECT_EQ(detect(), ExportFlags::kNone);
  chunk(4, kT0 + 10);
  EXPECT_EQ(detect(), ExportFlags::kChanged);
}

TEST_F(ChangeDetectionTest, StoredValuesAreComparedAsExactText) {
  chunk(0, kT0);
  write_progress_record(0, kT0, kT0);  // an export that took no chunk file
  EXPECT_EQ(key(u"LASTDATE"), u"01CF38B21a2b3c4d");
  EXPECT_EQ(detect(), ExportFlags::kNone);

  const struct {
    const char16_t* key;
    const char16_t* value;
    ExportFlags result;
  } cases[] = {
      {u"LASTDATE", u"01CF38B21A2B3C4D", ExportFlags::kChanged},  // upper-case low half never matches
      {u"DATE", u"01cf38b21a2b3c4d", kNewSeries},                 // lower-case DATE never matches
      {u"LASTNO", u"x", ExportFlags::kNone},                      // not a number: chunk 0 again
      {u"LASTNO", nullptr, ExportFlags::kNone},                   // missing: 0
      {u"LASTDATE", nullptr, ExportFlags::kChanged},              // missing: "0"
      {u"DATE", nullptr, kNewSeries},
  };
  for (const auto& c : cases) {
    write_progress_record(0, kT0, kT0);
    set_key(c.key, c.value);
    for (int call = 0; call < 2; ++call) {
      EXPECT_EQ(detect(), c.result) << fs::path(std::u16string(c.key)).string();
    }
  }
}

}  // namespace
}  // namespace tellwick
