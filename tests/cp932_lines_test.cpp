// Code page 932 entries printed straight from their bytes must read as the
// piece's decoded text reads, and stop where that text alone can tell.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "history/cp932_lines.h"
#include "history/export_lines.h"
#include "history/export_text.h"
#include "history/history_filter.h"
#include "history/history_printer.h"
#include "history/history_reader.h"

namespace tellwick {
namespace {

const std::uint8_t* bytes_of(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// The history of a piece as reading its decoded text entry by entry gives it.
std::string decoded_reading(const std::string& piece, HistoryFormat format, const HistoryFilter& filter = {}) {
  HistoryPrinter printer;
  printer.format = format;
  printer.filter = filter;
  printer.flush_size = static_cast<std::size_t>(-1);  // all of it stays in the buffer
  ExportText decoded;
  decode_export_piece(bytes_of(piece), piece.size(), ExportCharset::kShiftJis, decoded);
  ExportCursor cursor;
  cursor.text = decoded.text;
  ExportEntry entry;
  for (ExportStep step; (step = next_export_entry(cursor, entry)) != ExportStep::kEnd;) {
    if (step == ExportStep::kEntry) print_entry(printer, entry.time, entry.code, entry.text, true);
  }
  return printer.buffer;
}

struct Taken {
  std::string history;
  std::size_t offset = 0;
  std::size_t line_ends = 0;
};

Taken straight_reading(const std::string& piece, HistoryFormat format, const HistoryFilter& filter = {}) {
  HistoryPrinter printer;
  printer.format = format;
  printer.filter = filter;
  // What the buffer held is room: the lines replace it.
  printer.buffer.assign(5000, 'j');
  Cp932Lines state;
  Taken taken;
  // In a buffer of its own size, as the reader's pieces are, so that a look past its end is caught.
  const std::vector<std::uint8_t> bytes(piece.begin(), piece.end());
  taken.offset = print_cp932_entries(printer, state, bytes.data(), bytes.size(), taken.line_ends);
  taken.history = printer.buffer;
  return taken;
}

constexpr const char* kBefore = "6B0F27400A29\x1FYou use Cure.\r\n";
constexpr const char* kAfter = "6B0F27440A29\x1FYou defeat the dummy.\r\n";

// A glyph of the game's font in code page 932: U+E03C (HQ) is F0 7C, and
// U+E053 (both mouse buttons) F0 94. U+E000 has no stand-in.
constexpr const char* kHq = "\xF0\x7C";
constexpr const char* kBothClicks = "\xF0\x94";
constexpr const char* kNoStandIn = "\xF0\x40";

TEST(Cp932Lines, EntriesReadAsTheirDecodedText) {
  const std::string many_glyphs = [] {
    std::string text = "\x1F";
    for (int i = 0; i < 40; ++i) text += kBothClicks;
    return text;
  }();
  const struct {
    const char* label;
    std::string text;  // after the entry's time and code
    bool whole;        // the pass takes the whole piece
    bool json_whole;
  } cases[] = {
      {"message alone", "\x1FYou defeat the Amalj'aa brawler.", true, true},
      {"sender and kanji", "Def Mi\x1F\x8A\xBF\x8E\x9A\x82\xA0\x82\xA2", true, true},
      {"sender between separators", "\x1FWu Ye\x1F\x82\xA0 hello", true, true},
      {"empty sender between separators", "\x1F\x1Fmessage", true, true},
      {"no separator", "a message without a sender", true, true},
      {"empty text", "", true, true},
      {"glyph with a stand-in", std::string("\x1FPotion") + kHq + " sold", true, true},
      {"glyph without one", std::string("Ja Mig\x1F") + kNoStandIn + " kept", true, true},
      {"glyph in the sender", std::string("\x1F") + kHq + "Uo Sa\x1Fhi", true, true},
      {"many long stand-ins", many_glyphs, true, true},
      {"trail bytes that are backslash and bracket", "\x1F\x83\x5C\x95\x5C \x81\x5B[", true, true},
      {"half-width katakana", "\x1F\xB1\xB2\xB3 x", true, true},
      {"symbols beyond kana", "\x1F\x81\x63 \x81\xA8 \x81\x4C \x81\x98", true, true},
      {"separators on both sides of sixteen bytes", "fifteen letters\x1Fsixteen letters!", true, true},
      {"shown control sequence", "\x1FThe[02 1D 01 03]dummy", true, true},
      {"bracket alone",
       "\x1F"
       "a [b] c",
       true, true},
      {"tab",
       "\x1F"
       "a\tb",
       true, true},
      {"control character",
       "\x1F"
       "a\x01"
       "b",
       true, true},
      {"line end of its own",
       "\x1F"
       "a\rb",
       true, true},
      {"delete",
       "\x1F"
       "a\x7F"
       "b",
       true, true},
      {"three separators",
       "Aa\x1F"
       "b\x1F"
       "c",
       true, true},
      {"colon fields", ":Aaa Bbb:hello", true, true},
      {"quotation mark and backslash", "\x1Fsay \"hi\" \\o/", true, true},
      {"a lead byte at the end",
       "\x1F"
       "abc\x82",
       false, false},
      {"a pair the table does not hold",
       "\x1F"
       "bad \x85\x40 pair",
       false, false},
      {"a pair with a line break",
       "\x1F\x82\n"
       "6B0F27420A29",
       false, false},
      {"a second line",
       "\x1F"
       "first line\r\nsecond line",
       false, false},
  };
  for (const auto& c : cases) {
    const std::string piece = std::string(kBefore) + "6B0F27420A29" + c.text + "\r\n" + kAfter;
    for (const HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
      const bool json = format == HistoryFormat::kJson;
      const Taken taken = straight_reading(piece, format);
      EXPECT_EQ(taken.offset == piece.size(), json ? c.json_whole : c.whole) << c.label << (json ? ", JSON" : "");
      // Where the pass stops, the decoded text goes on from an entry line.
      ASSERT_EQ(taken.offset == piece.size() ? piece.size() : std::string(kBefore).size(), taken.offset) << c.label;
      EXPECT_EQ(taken.history, decoded_reading(piece.substr(0, taken.offset), format)) << c.label;
      EXPECT_EQ(taken.line_ends,
                static_cast<std::size_t>(std::count(piece.begin(), piece.begin() + taken.offset, '\n')));
    }
  }
}

TEST(Cp932Lines, LastLineWithoutALineEnd) {
  const struct {
    std::string text;
    bool whole;
  } cases[] = {{"\x1F"
                "done",
                true},
               {"\x1F\x82\xA0", true},
               {"\x1F", true},
               {"\x1F[02 1D 01 03]", true},
               {"\x1F"
                "abc\x82",
                false}};
  for (const auto& c : cases) {
    // Nothing follows the piece: a lead byte at its end must not take a byte past it.
    const std::string piece = std::string(kBefore) + "6B0F27420A29" + c.text;
    for (const HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
      const Taken taken = straight_reading(piece, format);
      EXPECT_EQ(taken.offset, c.whole ? piece.size() : std::string(kBefore).size());
      EXPECT_EQ(taken.line_ends, 1u);
      EXPECT_EQ(taken.history, decoded_reading(piece.substr(0, taken.offset), format));
    }
  }
}

// An entry the long way is printed whole, however long its line.
TEST(Cp932Lines, ALongLineTheLongWay) {
  const std::string text = "\x1F" + std::string(300000, 'a') + "[b]";
  const std::string piece = std::string(kBefore) + "6B0F27420A29" + text + "\r\n" + kAfter;
  const Taken taken = straight_reading(piece, HistoryFormat::kText);
  EXPECT_EQ(taken.offset, piece.size());
  EXPECT_NE(taken.history.find("[b]"), std::string::npos);
  EXPECT_EQ(taken.history, decoded_reading(piece, HistoryFormat::kText));
}

// Entries a filter leaves out are still decoded: a character the table
// does not hold is told with the piece, shown or not.
TEST(Cp932Lines, FilteredEntriesAreDecodedAllTheSame) {
  HistoryFilter filter;
  filter.since = 0x6B0F2743;
  const std::string piece = std::string(kBefore) +
                            "6B0F27420A29\x1F"
                            "bad \x85\x40 pair\r\n" +
                            "6B0F27420A29\x1F"
                            "[02 1D 01 03]\r\n" +
                            kAfter;
  const Taken taken = straight_reading(piece, HistoryFormat::kText, filter);
  EXPECT_EQ(taken.offset, std::string(kBefore).size());
  EXPECT_EQ(taken.history, "");

  const std::string shown_later = std::string(kBefore) + "6B0F27420A29\x1F[02 1D 01 03]\x82\xA0\r\n" + kAfter;
  const Taken all = straight_reading(shown_later, HistoryFormat::kText, filter);
  EXPECT_EQ(all.offset, shown_later.size());
  EXPECT_EQ(all.history, decoded_reading(shown_later, HistoryFormat::kText, filter));
  EXPECT_EQ(std::count(all.history.begin(), all.history.end(), '\n'), 1);
}

// Through the reader, on every core: pieces that end anywhere, with every
// case above in one file, read as the whole file's decoded text.
TEST(Cp932Lines, AFileReadInPiecesOnEveryCore) {
  std::string bytes;
  for (int i = 0; i < 200; ++i) {
    bytes += kBefore;
    bytes += std::string("6B0F27420A29\x1FPotion") + kHq + " \x8A\xBF\x8E\x9A sold\r\n";
    if (i % 7 == 0)
      bytes +=
          "6B0F27420A29\x1F"
          "a [02 1D 01 03] b\r\n";
    if (i % 11 == 0)
      bytes +=
          "6B0F27420A29\x1F"
          "first line\r\nsecond line\r\n";
    if (i == 150)
      bytes +=
          "6B0F27420A29\x1F"
          "bad \x85\x40 pair\r\n";
    bytes += kAfter;
  }
  for (const HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
    const std::string expected = decoded_reading(bytes, format);
    for (const std::size_t piece : {std::size_t{100}, std::size_t{1000}, bytes.size() + 1}) {
      HistoryPrinter printer;
      printer.format = format;
      std::string out;
      std::vector<std::string> messages;
      printer.sinks.history = [&](std::string_view s) { out += s; };
      printer.sinks.message = [&](std::string_view s) { messages.emplace_back(s); };
      read_export_bytes(printer, "x.log", bytes_of(bytes), bytes.size(), piece);
      flush_history(printer);
      EXPECT_EQ(out, expected) << "piece " << piece;
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_NE(messages[0].find("1 character not in code page 932"), std::string::npos) << messages[0];
      const std::size_t bad_line = static_cast<std::size_t>(
          std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.find("bad ")), '\n') + 1);
      EXPECT_NE(messages[0].find("(the first on line " + std::to_string(bad_line) + ")"), std::string::npos)
          << messages[0];
    }
  }
}

}  // namespace
}  // namespace tellwick
