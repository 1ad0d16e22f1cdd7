// Where a chunk series ends, decided once for every reader: the series
// itself, the export and the history must end it at the same file, for
// every way a series ends and at even and odd chunk files (the export reads
// every other file ahead of its turn).
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "export/change_detection.h"
#include "export/export_flags.h"
#include "export/export_options.h"
#include "export/exporter.h"
#include "gamelog/chunk_series.h"
#include "gamelog/game_folders.h"
#include "history/read_command.h"
#include "platform/path.h"
#include "settings/settings.h"
#include "support/chunk_files.h"
#include "support/current_dir.h"
#include "support/file_holder.h"
#include "support/report_capture.h"
#include "support/settings_keys.h"
#include "support/temp_dir.h"

namespace tellwick {

// Found by the test framework next to the type it prints.
static void PrintTo(SeriesEnd end, std::ostream* out) {
  static const char* const kNames[] = {"not ended", "missing", "older", "unreadable", "not continued", "growing"};
  *out << kNames[static_cast<int>(end)];
}

namespace {

namespace fs = std::filesystem;
using test::Entry;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
const FileTime kT0 = test::file_time_of_unix(1394021260);
constexpr std::uint32_t kChunks = 5;  // chunk i holds entries 2i and 2i+1

enum class Way { kMissing, kOlder, kHeldByTheGame, kChainBreak, kNoHeader, kGrowing, kNone };

const char* name_of(Way way) {
  switch (way) {
    case Way::kMissing: return "missing";
    case Way::kOlder: return "older than chunk 0";
    case Way::kHeldByTheGame: return "held by the game";
    case Way::kChainBreak: return "breaks the numbering";
    case Way::kNoHeader: return "too short for a header";
    case Way::kGrowing: return "still growing";
    case Way::kNone: return "no end before the last file";
  }
  return "?";
}

struct Case {
  Way way;
  SeriesEnd end;
  bool own_time_recorded;  // LASTDATE is the file's own time, not 0
};

const Case kCases[] = {
    {Way::kMissing, SeriesEnd::kMissing, false},          {Way::kOlder, SeriesEnd::kOlder, true},
    {Way::kHeldByTheGame, SeriesEnd::kUnreadable, false}, {Way::kChainBreak, SeriesEnd::kNotContinued, true},
    {Way::kNoHeader, SeriesEnd::kNotContinued, true},     {Way::kGrowing, SeriesEnd::kGrowing, true},
};

std::size_t line_count(const std::string& text, const std::string& end) {
  std::size_t lines = 0;
  for (std::size_t p = 0; (p = text.find(end, p)) != std::string::npos; p += end.size()) ++lines;
  return lines;
}

class ChunkSeriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = dir_.path() / "game";
    character_ = game_ / fs::path(std::u16string(kCharacter));
    fs::create_directories(dir_.path() / "work");
    cwd_ = std::make_unique<test::CurrentDirScope>(dir_.path() / "work");
    set_game_user_folder_override(game_.u16string());
    settings_.charset = kCharsetUtf8;
    // ".\log\" or "./log/", as the settings give it.
    settings_.log_folder = {u'.', kPathSeparator, u'l', u'o', u'g', kPathSeparator};
  }

  void TearDown() override {
    set_game_user_folder_override(u"");
    cwd_.reset();
  }

  std::u16string folder() const { return character_.u16string() + kPathSeparator; }
  fs::path log_folder() const { return dir_.path() / "work" / "log"; }

  // Chunk files 0 .. kChunks - 1, the one at `at` made to end the series
  // the given way; returns that file's write time.
  FileTime lay_out(Way way, std::uint32_t at) {
    fs::remove_all(character_);
    fs::create_directories(character_ / "log");
    fs::remove_all(log_folder());
    fs::create_directories(log_folder());
    FileTime end_time = 0;
    for (std::uint32_t i = 0; i < kChunks; ++i) {
      std::vector<Entry> entries;
      for (std::uint32_t e = 2 * i; e < 2 * i + 2; ++e) {
        std::string text = ":Aaa Bbb:entry ";
        text += std::to_string(e);
        entries.push_back({0x5316F490 + e, 0x000A, text});
      }
      std::vector<unsigned char> bytes = test::chunk_bytes(2 * i, entries);
      FileTime time = kT0 + 10 * i;
      if (i == at) {
        if (way == Way::kMissing) continue;
        if (way == Way::kOlder) time = kT0 - 1;
        if (way == Way::kChainBreak) bytes = test::chunk_bytes(2 * i + 1, entries);
        if (way == Way::kNoHeader) bytes.resize(7);
        if (way == Way::kGrowing) bytes.resize(bytes.size() - 3);  // the second entry not yet whole
        end_time = time;
      }
      test::write_chunk(character_, i, bytes, time);
    }
    return end_time;
  }

  test::TempDir dir_;
  fs::path game_, character_;
  std::unique_ptr<test::CurrentDirScope> cwd_;
  Settings settings_;
};

TEST_F(ChunkSeriesTest, TheSeriesTheExportAndTheHistoryEndAtTheSameFile) {
  for (const Case& c : kCases) {
    for (std::uint32_t at = 0; at < kChunks; ++at) {
      if (at == 0 && (c.way == Way::kMissing || c.way == Way::kOlder)) continue;  // no series at all
      SCOPED_TRACE(::testing::Message() << name_of(c.way) << " at chunk " << at);
      const FileTime end_time = lay_out(c.way, at);
      std::unique_ptr<test::FileHolder> game;
      if (c.way == Way::kHeldByTheGame) {
        game = std::make_unique<test::FileHolder>(dir_, "write", fs::path(chunk_file_path(folder(), at)));
        ASSERT_TRUE(game->wait_until_holding());
      }
      const std::size_t entries = 2 * at + (c.way == Way::kGrowing ? 1 : 0);
      const FileTime recorded = c.own_time_recorded ? end_time : 0;

      // The series itself.
      ChunkSeries series = start_chunk_series(folder(), kT0);
      std::size_t taken = 0;
      for (;;) {
        ChunkFile file;
        const SeriesStep step = read_next_chunk(series, file);
        if (step == SeriesStep::kEnded) break;
        for (std::uint32_t k = 0; k < file.view.entry_count; ++k) {
          ChunkEntry entry;
          if (chunk_entry(file.view, k, entry)) ++taken;
        }
        if (step == SeriesStep::kTakeAndEnd) break;
      }
      EXPECT_EQ(series.end, c.end);
      EXPECT_EQ(series.chunk_count, static_cast<int>(at));
      EXPECT_EQ(series.next_chunk_time, recorded);
      EXPECT_EQ(series.taken, at > 0 || c.way == Way::kGrowing);
      EXPECT_EQ(taken, entries);
      ChunkFile after;
      EXPECT_EQ(read_next_chunk(series, after), SeriesStep::kEnded) << "an ended series stays ended";

      // The export.
      const ExportResult result = export_character(character_of(kCharacter), settings_.log_folder, kManualExport,
                                                   export_options_of(settings_), test::capturing_reports(), u"");
      EXPECT_TRUE(result.failed_path.empty());
      EXPECT_EQ(has_flags(result.flags, ExportFlags::kExported), series.taken);
      const std::vector<unsigned char> bytes = test::read_bytes(log_folder() / "2014.03.05.2107.log");
      EXPECT_EQ(line_count(std::string(bytes.begin(), bytes.end()), "\r\n"), entries);
      EXPECT_EQ(fs::path(test::read_settings_key(kCharacter, u"LASTNO", u"")).string(), std::to_string(at));
      EXPECT_EQ(test::read_settings_key(kCharacter, u"LASTDATE", u""), format_lastdate_key(recorded));

      // The history.
      HistoryPrinter printer;
      std::string history;
      std::vector<std::string> messages;
      printer.sinks.history = [&](std::string_view s) { history += s; };
      printer.sinks.message = [&](std::string_view s) { messages.emplace_back(s); };
      read_chunk_history(printer, folder());
      EXPECT_EQ(line_count(history, "\n"), entries);
      if (c.way == Way::kHeldByTheGame) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("the series ends before it"), std::string::npos) << messages[0];
      } else {
        EXPECT_TRUE(messages.empty()) << messages[0];
      }
      if (game) {
        EXPECT_TRUE(game->stop());
      }
    }
  }
}

// Without any end the series runs to the first missing number.
TEST_F(ChunkSeriesTest, AWholeSeriesEndsAtTheFirstMissingNumber) {
  lay_out(Way::kNone, kChunks);
  ChunkSeries series = start_chunk_series(folder(), kT0);
  ChunkFile file;
  int taken_files = 0;
  while (read_next_chunk(series, file) == SeriesStep::kTake) ++taken_files;
  EXPECT_EQ(taken_files, static_cast<int>(kChunks));
  EXPECT_EQ(series.end, SeriesEnd::kMissing);
  EXPECT_EQ(series.chunk_count, static_cast<int>(kChunks));
  EXPECT_EQ(series.next_chunk_time, 0u);
  EXPECT_EQ(series.expected_first_index, 2 * kChunks);
}

// A file read ahead of its turn is decided on in its turn, like one read then.
TEST_F(ChunkSeriesTest, FilesReadAheadAreDecidedInTurn) {
  lay_out(Way::kChainBreak, 2);
  ChunkSeries series = start_chunk_series(folder(), kT0);
  ChunkFile files[3];
  for (std::uint32_t i = 0; i < 3; ++i) read_chunk_file(chunk_file_path(folder(), i), kT0, files[i]);
  EXPECT_EQ(continue_series(series, files[0]), SeriesStep::kTake);
  EXPECT_EQ(next_chunk_path(series, 1), chunk_file_path(folder(), 2));
  EXPECT_EQ(continue_series(series, files[1]), SeriesStep::kTake);
  EXPECT_EQ(continue_series(series, files[2]), SeriesStep::kEnded);
  EXPECT_EQ(series.end, SeriesEnd::kNotContinued);
  EXPECT_EQ(series.chunk_count, 2);
  EXPECT_EQ(series.next_chunk_time, kT0 + 20);
}

}  // namespace
}  // namespace tellwick
