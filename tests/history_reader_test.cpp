// Reading the history back from real files: export files the exporter wrote
// in each charset, the log folder's files in order, the chunk series itself,
// and bad input told while the rest is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "chunkgen/chunk_series.h"
#include "export/export_flags.h"
#include "export/exporter.h"
#include "gamelog/game_folders.h"
#include "history/export_lines.h"
#include "history/export_text.h"
#include "history/history_reader.h"
#include "history/read_command.h"
#include "output/output_charset.h"
#include "platform/file.h"
#include "platform/path.h"
#include "settings/settings.h"
#include "support/chunk_files.h"
#include "support/current_dir.h"
#include "support/file_bytes.h"
#include "support/report_capture.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::Entry;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
constexpr std::int64_t kChunk0Unix = 1394021260;  // 2014-03-05 21:07:40 in Tokyo
const FileTime kT0 = test::file_time_of_unix(kChunk0Unix);

std::u16string sep() { return std::u16string(1, kPathSeparator); }

// ".\log\" or "./log/", as the settings give it.
std::u16string log_folder() {
  std::u16string folder = u".";
  folder += kPathSeparator;
  folder += u"log";
  folder += kPathSeparator;
  return folder;
}

struct Reading {
  HistoryPrinter printer;
  std::string out;
  std::vector<std::string> messages;

  explicit Reading(HistoryFormat format = HistoryFormat::kText) {
    printer.format = format;
    printer.sinks.history = [this](std::string_view s) { out += s; };
    printer.sinks.message = [this](std::string_view s) { messages.emplace_back(s); };
  }
};

std::string read_files(const std::vector<std::u16string>& paths, std::vector<std::string>* messages = nullptr) {
  Reading r;
  read_export_history(r.printer, paths, u"");
  if (messages != nullptr) *messages = r.messages;
  return r.out;
}

class HistoryReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = dir_.path() / "game";
    character_ = game_ / fs::path(std::u16string(kCharacter));
    fs::create_directories(character_ / "log");
    fs::create_directories(dir_.path() / "work");
    cwd_ = std::make_unique<test::CurrentDirScope>(dir_.path() / "work");
    set_game_user_folder_override(game_.u16string());
    settings().log_folder = log_folder();
    create_directory(settings().log_folder.c_str());
  }

  void TearDown() override {
    set_game_user_folder_override(u"");
    cwd_.reset();
  }

  std::u16string character_folder() { return game_user_folder_path(kCharacter); }

  std::string chunk_history(HistoryFormat format = HistoryFormat::kText) {
    Reading r(format);
    read_chunk_history(r.printer, character_folder());
    EXPECT_TRUE(r.messages.empty()) << r.messages.front();
    return r.out;
  }

  std::u16string export_with(int charset, bool show_control) {
    settings().charset = static_cast<OutputCharset>(charset);
    settings().show_control = show_control;
    const ExportResult result = export_character(character_of(kCharacter), settings().log_folder, kManualExport,
                                                 export_options_of(settings()), test::capturing_reports(), u"");
    EXPECT_TRUE(has_flags(result.flags, ExportFlags::kExported));
    return result.export_path;
  }

  Settings& settings() { return settings_; }

  void write_file(const std::string& name, const std::string& bytes) {
    test::write_bytes(dir_.path() / "work" / "log" / name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
  }
  std::u16string log_path(const std::string& name) { return settings().log_folder + fs::path(name).u16string(); }

  test::TempDir dir_;
  fs::path game_;
  fs::path character_;
  Settings settings_;
  std::unique_ptr<test::CurrentDirScope> cwd_;
};

TEST_F(HistoryReaderTest, ExportFilesOfEveryCharsetReadAsTheChunkSeries) {
  chunkgen::SeriesOptions options;
  options.game_folder = game_;
  options.character = fs::path(std::u16string(kCharacter)).string();
  options.entries = 3000;
  options.per_chunk = 700;
  options.start_time = 0x6B0F2740;  // 2026
  chunkgen::SeriesSummary summary;
  std::string error;
  ASSERT_TRUE(chunkgen::write_chunk_series(options, summary, error)) << error;
  for (std::uint64_t used : summary.form_entries) ASSERT_GT(used, 0u);  // every packed form is shown somewhere

  // Without CTRLTOSTR the export holds no sequences, so what they showed
  // (spaces, line breaks, auto-translate phrases) is not in it: such exports
  // agree with each other, and those that show sequences with the series.
  for (HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
    const std::string expected = chunk_history(format);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 3000);
    std::string without_sequences;
    for (int charset : {kCharsetAnsi, kCharsetUtf8, kCharsetUtf16}) {
      for (int show : {0, 1}) {
        Reading r(format);
        read_export_file(r.printer, export_with(charset, show));
        flush_history(r.printer);
        EXPECT_TRUE(r.messages.empty()) << r.messages.front();
        if (show == 1) {
          EXPECT_EQ(r.out, expected) << "charset " << charset;
        } else if (without_sequences.empty()) {
          without_sequences = r.out;
          EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3000);
          EXPECT_NE(r.out, expected);
        } else {
          EXPECT_EQ(r.out, without_sequences) << "charset " << charset;
        }
      }
    }
  }
}

// The whole text decoded at once, every entry taken apart and then filtered:
// what a reading in pieces, which filters first, must print exactly.
// The size of the parts a long reading is formatted in, on several threads.
constexpr std::size_t kFormattedTestPart = std::size_t{1} << 20;

std::string read_whole_text(const std::string& bytes, const HistoryFilter& filter, HistoryFormat format) {
  Reading r(format);
  r.printer.filter = filter;
  ExportText decoded;
  decode_export_text(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), decoded);
  ExportCursor cursor;
  cursor.text = decoded.text;
  ExportEntry entry;
  for (ExportStep step; (step = next_export_entry(cursor, entry)) != ExportStep::kEnd;) {
    if (step == ExportStep::kEntry) print_entry(r.printer, entry.time, entry.code, entry.text, true);
  }
  flush_history(r.printer);
  return r.out;
}

// The first character of two bytes or more in a text: a search text that
// a byte-wise search in another charset must still find.
std::string first_wide_character(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0xE0 && b < 0xF0 && text.compare(i, 3, "\xEF\xBF\xBD") != 0) return text.substr(i, 3);
  }
  return "";
}

// Real-shaped exports in every charset, with bad input of each kind added,
// read in pieces so small that every entry, character and line end lies
// across a boundary somewhere: the same lines as the whole text decoded at
// once, with and without filters, and the same messages as one piece.
TEST_F(HistoryReaderTest, PiecesOfAnySizeReadAsTheWholeText) {
  chunkgen::SeriesOptions options;
  options.game_folder = game_;
  options.character = fs::path(std::u16string(kCharacter)).string();
  options.entries = 1200;
  options.per_chunk = 500;
  options.start_time = 0x6B0F2740;
  options.shape = chunkgen::EntryShape::kRealShaped;
  chunkgen::SeriesSummary summary;
  std::string error;
  ASSERT_TRUE(chunkgen::write_chunk_series(options, summary, error)) << error;
  const std::string chunk_text = chunk_history();
  const std::string wide = first_wide_character(chunk_text);
  ASSERT_FALSE(wide.empty());

  const struct {
    int charset;
    std::string bad;  // an entry with input that cannot be decoded as it stands
  } charsets[] = {
      {kCharsetUtf8,
       "6B0F2741000A:Aaa Bbb:bad \xFF\xC3 byte\r\n"
       "6B0F2741000A:Aaa Bbb:jo[02 13 02 EC 03]in us 一\r\n"
       "6B0F2741000A:Aaa Bbb:Potion\uE03C sold\r\n"
       "6B0F2741000A:Aaa Bbb:first line\r\nsecond zq line\r\n"},
      {kCharsetUtf16, test::utf16le(u"6B0F2741000A:Aaa Bbb:lone ") + std::string("\x00\xD8", 2) +
                          test::utf16le(u" surrogate\r\n6B0F2741000A:Aaa Bbb:jo[02 13 02 EC 03]in us 一\r\n"
                                        u"6B0F2741000A:Aaa Bbb:Potion\uE03C sold\r\n"
                                        u"6B0F2741000A:Aaa Bbb:first line\r\nsecond zq line\r\n")},
      {kCharsetAnsi,
       "6B0F2741000A:Aaa Bbb:\x85\x40 unmapped\r\n"
       "6B0F2741000A:Aaa Bbb:jo[02 13 02 EC 03]in us 一\r\n"
       "6B0F2741000A:Aaa Bbb:first line\r\nsecond zq line\r\n"},
  };
  std::vector<std::pair<std::string, HistoryFilter>> filters(13);
  filters[1].first = "text a";
  set_text_filter("a", filters[1].second);
  filters[2].first = "text The";
  set_text_filter("The", filters[2].second);
  filters[3].first = "text wide";
  set_text_filter(wide, filters[3].second);
  filters[4].first = "text nowhere";
  set_text_filter("no such text anywhere", filters[4].second);
  filters[5].first = "sender and channel";
  set_sender_filter("a", filters[5].second);
  std::string unknown;
  ASSERT_TRUE(add_channel_filter("chat", filters[5].second, unknown));
  // Found only once the shown control sequence inside it is taken out.
  filters[7].first = "text across a shown sequence";
  set_text_filter("join us", filters[7].second);
  // U+4E00: in UTF-16 the byte of an upper-case N.
  filters[8].first = "text with a letter's byte";
  set_text_filter("一", filters[8].second);
  // Matches that begin or end inside a glyph's stand-in "(HQ)", or hold it.
  filters[9].first = "text ending in a stand-in";
  set_text_filter("potion(h", filters[9].second);
  filters[10].first = "text beginning in a stand-in";
  set_text_filter("Q) sold", filters[10].second);
  filters[11].first = "text holding a stand-in";
  set_text_filter("n(HQ) s", filters[11].second);
  // On the second line of an entry.
  filters[12].first = "text on a continuation line";
  set_text_filter("zq", filters[12].second);
  filters[6].first = "since";
  filters[6].second.since = 0x6B0F2740 + 3000;

  for (const auto& c : charsets) {
    for (int show : {0, 1}) {
      const std::string exported = test::file_bytes(fs::path(export_with(c.charset, show)));
      // The bad entry goes after a few hundred lines, so that its line is told.
      std::size_t at = 0;
      const std::string line_end = c.charset == kCharsetUtf16 ? std::string("\n\0", 2) : "\n";
      for (int lines = 0; lines < 300; ++lines) at = exported.find(line_end, at) + line_end.size();
      const std::string bytes = exported.substr(0, at) + c.bad + exported.substr(at);
      for (const auto& [label, filter] : filters) {
        for (HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
          const std::string expected = read_whole_text(bytes, filter, format);
          if (label.empty()) {
            ASSERT_GT(std::count(expected.begin(), expected.end(), '\n'), 1200);
          }
          if (label == filters[7].first || label == filters[12].first) {
            ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 1);
          }
          if (c.charset != kCharsetAnsi &&
              (label == filters[9].first || label == filters[10].first || label == filters[11].first)) {
            ASSERT_GE(std::count(expected.begin(), expected.end(), '\n'), 1) << label;
          }
          std::vector<std::string> one_piece_messages;
          for (std::size_t piece : {bytes.size() + 64, std::size_t{1}, std::size_t{37}, std::size_t{4096}}) {
            Reading r(format);
            r.printer.filter = filter;
            read_export_bytes(r.printer, "x.log", reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                              piece);
            flush_history(r.printer);
            ASSERT_EQ(r.out, expected) << "charset " << c.charset << ", shown " << show << ", " << label << ", piece "
                                       << piece;
            if (piece > bytes.size()) {
              one_piece_messages = r.messages;
              ASSERT_EQ(r.messages.size(), 1u);
              EXPECT_NE(r.messages[0].find("(the first on line 301)"), std::string::npos) << r.messages[0];
            }
            EXPECT_EQ(r.messages, one_piece_messages) << "piece " << piece;
          }
        }
      }
    }
  }
}

// The charset is told from the file's start; bad input far beyond it is
// still found, replaced and told with its line, in pieces of any size and
// on every core, as when the whole text is read at once.
TEST_F(HistoryReaderTest, BadInputFarIntoALongFileIsTold) {
  const struct {
    const char* label;
    std::string line;  // one entry line, holding Japanese text
    std::string bad;   // a line with bytes that cannot be decoded
  } cases[] = {
      {"UTF-8", "6B0F2741000A:Aaa Bbb:あいうえおかきくけこ text\r\n", "6B0F2742000A:Aaa Bbb:bad \xFF byte\r\n"},
      {"code page 932", "6B0F2741000A:Aaa Bbb:\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8 text\r\n",
       "6B0F2742000A:Aaa Bbb:bad \x85\x40 pair\r\n"},
  };
  for (const auto& c : cases) {
    std::string bytes;
    for (int line = 1; line <= 30000; ++line) bytes += line == 25000 ? c.bad : c.line;
    const std::string expected = read_whole_text(bytes, HistoryFilter{}, HistoryFormat::kText);
    ASSERT_NE(expected.find(c.label[0] == 'U' ? "bad \xEF\xBF\xBD byte" : "bad ・ pair"), std::string::npos) << c.label;
    for (const std::size_t piece : {bytes.size() + 1, std::size_t{65536}, std::size_t{4000}}) {
      Reading r;
      read_export_bytes(r.printer, "x.log", reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), piece);
      flush_history(r.printer);
      EXPECT_EQ(r.out, expected) << c.label << ", piece " << piece;
      ASSERT_EQ(r.messages.size(), 1u) << c.label;
      EXPECT_NE(r.messages[0].find("1 "), std::string::npos) << r.messages[0];
      EXPECT_NE(r.messages[0].find("(the first on line 25000)"), std::string::npos) << r.messages[0];
    }
  }
}

// A reader that takes entries one by one (the history window) gets every
// entry of a file far longer than a piece, in order, though text readings
// of such a file are formatted on several threads.
TEST_F(HistoryReaderTest, EntriesTakenOneByOneComeWholeAndInOrder) {
  std::string bytes;
  constexpr std::uint32_t kEntries = 120000;
  char line[64];
  for (std::uint32_t i = 0; i < kEntries; ++i) {
    std::snprintf(line, sizeof line, "%08X000A:Aaa Bbb:message %u ほげ\r\n", 0x6B0F2740u + i, static_cast<unsigned>(i));
    bytes += line;
  }
  ASSERT_GT(bytes.size(), 3 * kFormattedTestPart);
  Reading r;
  std::uint32_t taken = 0;
  bool in_order = true;
  r.printer.sinks.entry = [&](std::uint32_t time, std::uint32_t, std::string_view sender, std::string_view message) {
    in_order = in_order && time == 0x6B0F2740u + taken && sender == "Aaa Bbb" &&
               message == "message " + std::to_string(taken) + " ほげ";
    ++taken;
  };
  read_export_bytes(r.printer, "x.log", reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  flush_history(r.printer);
  EXPECT_EQ(taken, kEntries);
  EXPECT_TRUE(in_order);
  EXPECT_TRUE(r.out.empty());
}

TEST_F(HistoryReaderTest, TheLogFolderIsReadOldestFirstWithoutRecipeFiles) {
  write_file("2014.03.05.2107_10.log", "5316F4A3000Ad\r\n");
  write_file("2014.03.05.2107_2.log", "5316F4A2000Ac\r\n");
  write_file("2014.03.05.2107.log", "5316F4A1000Ab\r\n");
  write_file("2013.12.31.2359.log", "52C2DB00000Aa\r\n");
  for (const char* other : {"recipe.2014.03.05.2107.log", "2014.03.05.2107_1.log", "2014.03.05.2107_02.log",
                            "2014.03.05.2107.log.part", "notes.txt", "2014-03-05.2107.log", "2014.03.05.210.log"}) {
    write_file(other, "5316F4A4000Ax\r\n");
  }
  fs::create_directories(dir_.path() / "work" / "log" / "2015.01.01.0000.log");

  std::vector<std::u16string> paths;
  ASSERT_TRUE(export_files_in(settings().log_folder, paths));
  EXPECT_EQ(paths,
            (std::vector<std::u16string>{log_path("2013.12.31.2359.log"), log_path("2014.03.05.2107.log"),
                                         log_path("2014.03.05.2107_2.log"), log_path("2014.03.05.2107_10.log")}));

  Reading r;
  read_export_history(r.printer, {}, settings().log_folder);
  EXPECT_EQ(r.out,
            "2013-12-31 23:56:00 [Say] a\n2014-03-05 18:55:45 [Say] b\n"
            "2014-03-05 18:55:46 [Say] c\n2014-03-05 18:55:47 [Say] d\n");
  EXPECT_TRUE(r.messages.empty());

  Reading missing;
  read_export_history(missing.printer, {}, settings().log_folder + u"missing" + sep());
  EXPECT_EQ(missing.out, "");
  ASSERT_EQ(missing.messages.size(), 1u);
  EXPECT_NE(missing.messages[0].find("cannot be read"), std::string::npos);
}

TEST_F(HistoryReaderTest, BadInputIsToldAndTheRestIsRead) {
  write_file("not-export.txt", "hello\r\nworld\r\n");
  // clang-format off
  std::string odd("5\0" "3\0" "1\0" "6\0" "F\0" "4\0" "8\0" "C\0" "0\0" "0\0" "0\0" "A\0" "x\0\r\0\n\0!", 31);
  // clang-format on
  write_file("odd.log", odd);
  write_file("junk-first.log", "### saved by hand\r\nnote\r\n5316F48C000Ay\r\n5316F48D000Z:bad:code\r\n");
  write_file("bad-utf8.log", "5316F48C000Aあいうえお\xFF\xFE!\r\n");
  write_file("empty.log", "");
  const std::vector<std::u16string> paths = {
      log_path("not-export.txt"), log_path("odd.log"),   log_path("missing.log"), log_path("junk-first.log"),
      log_path("bad-utf8.log"),   log_path("empty.log"), settings().log_folder};
  std::vector<std::string> messages;
  EXPECT_EQ(read_files(paths, &messages),
            "2014-03-05 18:55:24 [Say] x\n"
            "2014-03-05 18:55:24 [Say] y 5316F48D000Z:bad:code\n"
            "2014-03-05 18:55:24 [Say] あいうえお\xEF\xBF\xBD\xEF\xBF\xBD!\n");
  const std::vector<std::string> expected = {
      "not-export.txt: not an export file",
      "odd.log: UTF-16 text of odd length",
      "missing.log: cannot be read, system error 2",  // ENOENT, and ERROR_FILE_NOT_FOUND on Windows
      "junk-first.log: lines 1-2 before the first entry line",
      "bad-utf8.log: 2 ill-formed characters shown as U+FFFD (the first on line 1)",
      "log" + fs::path(sep()).string() + ": cannot be read",
  };
  ASSERT_EQ(messages.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NE(messages[i].find(expected[i]), std::string::npos) << messages[i];
  }
}

// A sink whose reader takes nothing more (a pipe closed early) stops the
// reading: the rest of the file and the files after it are not read.
TEST_F(HistoryReaderTest, ReadingEndsWhenTheOutputTakesNothingMore) {
  std::string text;
  const std::string message(200, 'm');
  constexpr int kEntries = 4000;  // some 900 KB of history, handed out in pieces
  for (int i = 0; i < kEntries; ++i) text += "5316F48C000A:Aaa Bbb:" + message + "\r\n";
  write_file("big.log", text);
  Reading r;
  int handed_out = 0;
  r.printer.sinks.history = [&](std::string_view s) {
    r.out += s;
    r.printer.stopped = ++handed_out == 1;
  };
  read_export_history(r.printer, {log_path("big.log"), log_path("missing.log")}, u"");
  EXPECT_EQ(handed_out, 1);
  EXPECT_LT(r.out.size(), text.size() / 2);
  EXPECT_TRUE(r.messages.empty()) << r.messages[0];
}

TEST_F(HistoryReaderTest, TheChunkSeriesIsTakenAsTheExporterTakesIt) {
  test::write_chunk(character_, 0,
                    test::chunk_bytes(0, {{0x5316F48C, 0x000A, ":Aaa Bbb:hi\x02\x10\x01\x03!"},
                                          {0x5316F48D, 0x1039, std::string("::\x02\x13\x00sys\xC3", 9)}}),
                    kT0);
  // clang-format off
  test::write_chunk(character_, 1, test::chunk_bytes(2, {{0x5316F48E, 0x000D, "\x1F" "Ccc Ddd\x1Fyo"}}), kT0 + 1);
  // clang-format on
  // Breaks the numbering: the series ends before it.
  test::write_chunk(character_, 2, test::chunk_bytes(9, {{0x5316F48F, 0x000A, "lost"}}), kT0 + 2);
  Reading r;
  read_chunk_history(r.printer, character_folder());
  EXPECT_EQ(r.out,
            "2014-03-05 18:55:24 [Say] Aaa Bbb: hi !\n"
            "2014-03-05 18:55:25 [SystemMessage] sys\xEF\xBF\xBD\n"
            "2014-03-05 18:55:26 [TellIncoming] Ccc Ddd: yo\n");
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_NE(r.messages[0].find("1 ill-formed UTF-8 sequence shown as U+FFFD"), std::string::npos);

  // A later chunk older than chunk 0 is left from an earlier series.
  test::write_chunk(character_, 1, test::chunk_bytes(2, {{0x5316F48E, 0x000D, "old"}}), kT0 - 1);
  Reading older;
  older.printer.filter.since = 0x5316F48D;
  read_chunk_history(older.printer, character_folder());
  EXPECT_EQ(older.out, "2014-03-05 18:55:25 [SystemMessage] sys\xEF\xBF\xBD\n");

  fs::remove(character_ / "log" / "00000000.log");
  Reading none;
  read_chunk_history(none.printer, character_folder());
  EXPECT_EQ(none.out, "");
  ASSERT_EQ(none.messages.size(), 1u);
  EXPECT_NE(none.messages[0].find("no chunk file 0"), std::string::npos);
}

TEST_F(HistoryReaderTest, FiltersFromTheCommandLine) {
  write_file("2014.03.05.2107.log",
             "5316F48C000A:Aaa Bbb:Hello there\r\n"
             "5316F48D000D:Ccc Ddd:hello back\r\n"
             "5316F48E000E:Aaa Bbb:party time\r\n"
             "5316F4C8000C:Aaa Bbb:later HELLO\r\n"
             "5316F4C9002A:Eee Fff:HELLO misses\r\n");
  const struct {
    ReadArguments arguments;
    const char* expected;
  } cases[] = {
      {{{"say,TELLINCOMING"}}, "[Say] Aaa Bbb: Hello there|[TellIncoming] Ccc Ddd: hello back|"},
      {{{"chat"}, false, "", false, "", true, "aaa"},
       "[Say] Aaa Bbb: Hello there|[Party] Aaa Bbb: party time|[TellOutgoing] Aaa Bbb: later HELLO|"},
      {{{"battle"}}, "[0x2A] Eee Fff: HELLO misses|"},
      {{{}, false, "", false, "", false, "", true, "hello"},
       "[Say] Aaa Bbb: Hello there|[TellIncoming] Ccc Ddd: hello back|[TellOutgoing] Aaa Bbb: later HELLO|"
       "[0x2A] Eee Fff: HELLO misses|"},
      // 18:55:24 to 18:56:24: "--until 18:55" keeps the whole minute.
      {{{}, true, "2014-03-05 18:55", true, "2014-03-05 18:55"},
       "[Say] Aaa Bbb: Hello there|[TellIncoming] Ccc Ddd: hello back|[Party] Aaa Bbb: party time|"},
      {{{}, true, "2014-03-05 18:56"}, "[TellOutgoing] Aaa Bbb: later HELLO|[0x2A] Eee Fff: HELLO misses|"},
      {{{}, true, "2014-03-06"}, ""},
  };
  for (const auto& c : cases) {
    Reading r;
    std::string error;
    ASSERT_TRUE(make_history_filter(c.arguments, r.printer.filter, error)) << error;
    read_export_history(r.printer, {log_path("2014.03.05.2107.log")}, u"");
    std::string lines;
    for (std::size_t pos = 0; pos < r.out.size();) {
      const std::size_t end = r.out.find('\n', pos);
      lines += r.out.substr(pos + 20, end - pos - 20) + "|";
      pos = end + 1;
    }
    EXPECT_EQ(lines, c.expected) << c.expected;
  }

  const struct {
    ReadArguments arguments;
    const char* error;
  } bad[] = {
      {{{"say,bogus"}}, "--channel: no channel or group is named \"bogus\""},
      {{{""}}, "--channel: no channel or group is named \"\""},
      {{{}, true, "yesterday"}, "--since: not a date: yesterday (YYYY-MM-DD"},
      {{{}, false, "", true, "2014-02-30"}, "--until: not a date: 2014-02-30 (YYYY-MM-DD"},
  };
  for (const auto& c : bad) {
    HistoryFilter filter;
    std::string error;
    EXPECT_FALSE(make_history_filter(c.arguments, filter, error));
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
  }
}

// Battle lines carry bit 7 in their entry code (0xA9: damage done to the
// player's party); the channel is bits 0-6 alone, in files and in chunks.
TEST_F(HistoryReaderTest, EntryCodesWithBit7SetFilterByTheirChannel) {
  const char kLines[] =
      "5316F48C00A9:Aaa Bbb:takes 9064 damage.\r\n"
      "5316F48D00B9:Ccc Ddd:uses Cure.\r\n"
      "5316F48E000A:Aaa Bbb:hello\r\n";
  write_file("2014.03.05.2107.log", kLines);
  test::write_chunk(character_, 0,
                    test::chunk_bytes(0, {{0x5316F48C, 0x00A9, ":Aaa Bbb:takes 9064 damage."},
                                          {0x5316F48D, 0x00B9, ":Ccc Ddd:uses Cure."},
                                          {0x5316F48E, 0x000A, ":Aaa Bbb:hello"}}),
                    kT0);
  const struct {
    const char* channels;
    const char* expected;
  } cases[] = {
      {"battle", "2014-03-05 18:55:24 [0x29] Aaa Bbb: takes 9064 damage.\n"},
      {"0x29,SystemMessage",
       "2014-03-05 18:55:24 [0x29] Aaa Bbb: takes 9064 damage.\n"
       "2014-03-05 18:55:25 [SystemMessage] Ccc Ddd: uses Cure.\n"},
      {"say", "2014-03-05 18:55:26 [Say] Aaa Bbb: hello\n"},
      {"party", ""},
  };
  for (const auto& c : cases) {
    ReadArguments arguments;
    arguments.channels = {c.channels};
    for (bool chunks : {false, true}) {
      Reading r;
      std::string error;
      ASSERT_TRUE(make_history_filter(arguments, r.printer.filter, error)) << error;
      if (chunks) {
        read_chunk_history(r.printer, character_folder());
      } else {
        read_export_history(r.printer, {log_path("2014.03.05.2107.log")}, u"");
      }
      EXPECT_EQ(r.out, c.expected) << c.channels << (chunks ? " from chunks" : " from the export file");
      EXPECT_TRUE(r.messages.empty());
    }
  }
  Reading json(HistoryFormat::kJson);
  read_export_history(json.printer, {log_path("2014.03.05.2107.log")}, u"");
  EXPECT_NE(json.out.find("\"channel\":\"0x29\",\"code\":169,"), std::string::npos) << json.out;
}

#ifndef _WIN32
// A zone half an hour off the hour (India, UTC+05:30): times, their offset
// and the filters' dates all keep the half hour. (The Windows build meets
// it in the command-line tests, which start the program in that zone.)
TEST_F(HistoryReaderTest, TimesAndFiltersInAZoneOffByHalfAnHour) {
  if (!fs::exists("/usr/share/zoneinfo/Asia/Kolkata")) GTEST_SKIP() << "no time zone data for Asia/Kolkata (tzdata)";
  test::TimeZoneScope india("Asia/Kolkata");
  // 09:55:24 and 10:25:24 UTC: 15:25:24 and 15:55:24 in India.
  write_file("2014.03.05.2107.log", "5316F48C000A:Aaa Bbb:first\r\n5316FB94000A:Aaa Bbb:second\r\n");
  const struct {
    ReadArguments arguments;
    const char* expected;
  } cases[] = {
      {{}, "2014-03-05 15:25:24 [Say] Aaa Bbb: first\n2014-03-05 15:55:24 [Say] Aaa Bbb: second\n"},
      {{{}, true, "2014-03-05 15:26"}, "2014-03-05 15:55:24 [Say] Aaa Bbb: second\n"},
      {{{}, true, "2014-03-05 15:25", true, "2014-03-05 15:54"}, "2014-03-05 15:25:24 [Say] Aaa Bbb: first\n"},
  };
  for (const auto& c : cases) {
    Reading r;
    std::string error;
    ASSERT_TRUE(make_history_filter(c.arguments, r.printer.filter, error)) << error;
    read_export_history(r.printer, {log_path("2014.03.05.2107.log")}, u"");
    EXPECT_EQ(r.out, c.expected);
  }
  Reading json(HistoryFormat::kJson);
  read_export_history(json.printer, {log_path("2014.03.05.2107.log")}, u"");
  EXPECT_NE(json.out.find("\"time\":\"2014-03-05T15:25:24+05:30\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"time\":\"2014-03-05T15:55:24+05:30\""), std::string::npos) << json.out;
}
#endif

}  // namespace
}  // namespace tellwick
