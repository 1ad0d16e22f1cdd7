// The steps every front end takes around an export: the log folder made,
// the export run, and where a manual export saved told once.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "export/export_run.h"
#include "gamelog/game_folders.h"
#include "platform/path.h"
#include "support/chunk_files.h"
#include "support/current_dir.h"
#include "support/export_flags_print.h"
#include "support/file_bytes.h"
#include "support/report_capture.h"
#include "support/small_series.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
constexpr char16_t kNewSeries[] = u"新しいログの記録を確認しました。\r\n";
// 2014-03-05 21:07:40 in Tokyo, the time zone the tests run in.
const FileTime kT0 = test::file_time_of_unix(1394021260);

class ExportRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_.path() / "work");
    cwd_ = std::make_unique<test::CurrentDirScope>(dir_.path() / "work");
    set_game_user_folder_override((dir_.path() / "game").u16string());
    settings_.charset = kCharsetUtf8;
    settings_.log_folder = {u'.', kPathSeparator, u'o', u'u', u't', kPathSeparator};
    test::write_small_chunk(dir_.path() / "game" / fs::path(std::u16string(kCharacter)), 1, 0, kT0);
    test::clear_captured_reports();
  }
  void TearDown() override {
    set_game_user_folder_override(u"");
    cwd_.reset();
  }

  test::TempDir dir_;
  std::unique_ptr<test::CurrentDirScope> cwd_;
  Settings settings_;
  std::u16string told_failure_;
};

TEST_F(ExportRunTest, AManualExportMakesTheFolderAndTellsWhereItSaved) {
  const ExportResult result =
      run_export(kCharacter, settings_, kManualExport, test::capturing_reports(), told_failure_);
  EXPECT_EQ(result.flags, ExportFlags::kExported | ExportFlags::kChanged | ExportFlags::kNewSeries);
  const std::u16string path = settings_.log_folder + u"2014.03.05.2107.log";
  EXPECT_EQ(result.export_path, path);
  EXPECT_EQ(test::status_log_text(), kNewSeries + path + u"に保存しました。\r\n");
  EXPECT_EQ(test::file_bytes(dir_.path() / "work" / "out" / "2014.03.05.2107.log"), test::small_series_export(1, 1));

  // Nothing taken, nothing saved: a manual export that finds no chunk 0 says nothing.
  test::clear_captured_reports();
  fs::remove_all(dir_.path() / "game");
  EXPECT_EQ(run_export(kCharacter, settings_, kManualExport, test::capturing_reports(), told_failure_).flags,
            ExportFlags::kNone);
  EXPECT_EQ(test::status_log_text(), u"");
}

TEST_F(ExportRunTest, AnAutomaticExportDoesNotTellWhereItSaved) {
  EXPECT_EQ(run_export(kCharacter, settings_, kAutomaticExport, test::capturing_reports(), told_failure_).flags,
            ExportFlags::kExported | ExportFlags::kChanged | ExportFlags::kNewSeries);
  EXPECT_EQ(test::status_log_text(), kNewSeries);
}

TEST_F(ExportRunTest, AFolderPathBeyondTheCapacityIsNotExported) {
  const std::size_t folder_length = character_of(kCharacter).folder.size();
  const ExportResult refused =
      run_export(kCharacter, settings_, kManualExport, test::capturing_reports(), told_failure_, folder_length);
  EXPECT_EQ(refused.flags, ExportFlags::kNone);
  EXPECT_FALSE(fs::exists(dir_.path() / "work" / "out")) << "not even the log folder";
  EXPECT_TRUE(has_flags(
      run_export(kCharacter, settings_, kManualExport, test::capturing_reports(), told_failure_, folder_length + 1)
          .flags,
      ExportFlags::kExported));
}

TEST_F(ExportRunTest, TheCallerRemembersTheFailureItWasTold) {
  settings_.log_folder = {u'.', kPathSeparator, u'o', u'u', u't',          kPathSeparator,
                          u'd', u'e',           u'e', u'p', kPathSeparator};
  const std::u16string failed = settings_.log_folder + u"2014.03.05.2107.log";
  run_export(kCharacter, settings_, kAutomaticExport, test::capturing_reports(), told_failure_);
  EXPECT_EQ(told_failure_, failed);
  EXPECT_EQ(test::status_log_text(), kNewSeries + failed + u"の保存に失敗しました。\r\n");
  test::clear_captured_reports();
  run_export(kCharacter, settings_, kAutomaticExport, test::capturing_reports(), told_failure_);
  EXPECT_EQ(test::status_log_text(), u"") << "the same failure again is not told";
  fs::create_directories(dir_.path() / "work" / "out" / "deep");
  run_export(kCharacter, settings_, kAutomaticExport, test::capturing_reports(), told_failure_);
  EXPECT_EQ(told_failure_, u"");
}

}  // namespace
}  // namespace tellwick
