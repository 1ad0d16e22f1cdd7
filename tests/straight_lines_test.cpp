// Entries printed straight from the bytes of an export file must read as the
// piece's decoded text reads, in each charset, and the pass must stop where
// that text alone can tell.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "history/export_lines.h"
#include "history/export_text.h"
#include "history/history_filter.h"
#include "history/history_printer.h"
#include "history/history_reader.h"
#include "history/straight_lines.h"
#include "platform/encoding.h"
#include "support/file_bytes.h"

namespace tellwick {
namespace {

const std::uint8_t* bytes_of(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// UTF-16 little-endian bytes of UTF-8 text.
std::string wide(const std::string& utf8) {
  std::u16string units(utf8.size() + 1, u'\0');
  units.resize(utf8_to_utf16(utf8.data(), utf8.size(), units.data(), units.size()));
  return test::utf16le(units);
}

// The history of a piece as reading its decoded text entry by entry gives it.
std::string decoded_reading(const std::string& piece, ExportCharset charset, HistoryFormat format,
                            const HistoryFilter& filter = {}) {
  HistoryPrinter printer;
  printer.format = format;
  printer.filter = filter;
  printer.flush_size = static_cast<std::size_t>(-1);  // all of it stays in the buffer
  ExportText decoded;
  decode_export_piece(bytes_of(piece), piece.size(), charset, decoded);
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

Taken straight_reading(const std::string& piece, ExportCharset charset, HistoryFormat format,
                       const HistoryFilter& filter = {}) {
  HistoryPrinter printer;
  printer.format = format;
  printer.filter = filter;
  // What the buffer held is room: the lines replace it.
  printer.buffer.assign(5000, 'j');
  StraightLines state;
  Taken taken;
  // In a buffer of its own size, as the reader's pieces are, so that a look past its end is caught.
  const std::vector<std::uint8_t> bytes(piece.begin(), piece.end());
  taken.offset = print_entries_straight(printer, state, charset, bytes.data(), bytes.size(), taken.line_ends);
  taken.history = printer.buffer;
  return taken;
}

std::size_t line_ends_in(const std::string& piece, std::size_t size, ExportCharset charset) {
  const std::string line_end = charset == ExportCharset::kUtf16 ? std::string("\n\0", 2) : "\n";
  std::size_t count = 0;
  for (std::size_t at = piece.find(line_end); at < size; at = piece.find(line_end, at + line_end.size())) {
    if (charset != ExportCharset::kUtf16 || at % 2 == 0) ++count;
  }
  return count;
}

struct Case {
  const char* label;
  std::string text;  // after the entry's time and code
  bool whole;        // the pass takes the whole piece, the long way or not
};

// A piece of three entries with `text` in the middle: the pass takes it
// whole, or stops at that entry; what it printed is what the decoded text
// of the piece up to there prints.
void expect_read_as_decoded(const Case& c, ExportCharset charset, const std::string& before, const std::string& middle,
                            const std::string& after) {
  const std::string piece = before + middle + after;
  for (const HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
    const char* in = format == HistoryFormat::kJson ? ", JSON" : "";
    const Taken taken = straight_reading(piece, charset, format);
    ASSERT_EQ(taken.offset, c.whole ? piece.size() : before.size()) << c.label << in;
    EXPECT_EQ(taken.history, decoded_reading(piece.substr(0, taken.offset), charset, format)) << c.label << in;
    EXPECT_EQ(taken.line_ends, line_ends_in(piece, taken.offset, charset)) << c.label << in;
  }
}

constexpr const char* kBefore = "6B0F27400A29\x1FYou use Cure.\r\n";
constexpr const char* kAfter = "6B0F27440A29\x1FYou defeat the dummy.\r\n";
constexpr const char* kEntryLine = "6B0F27420A29";

// What each charset's cases share, in UTF-8.
std::vector<Case> shared_cases() {
  return {
      {"message alone", "\x1FYou defeat the Amalj'aa brawler.", true},
      {"sender between separators",
       "\x1FWu Ye\x1F"
       "hello",
       true},
      {"empty sender between separators", "\x1F\x1Fmessage", true},
      {"no separator", "a message without a sender", true},
      {"empty text", "", true},
      {"separators on both sides of sixteen bytes", "fifteen letters\x1Fsixteen letters!", true},
      {"shown control sequence", "\x1FThe[02 1D 01 03]dummy", true},
      {"bracket alone",
       "\x1F"
       "a [b] c",
       true},
      {"tab",
       "\x1F"
       "a\tb",
       true},
      {"control character",
       "\x1F"
       "a\x01"
       "b",
       true},
      {"line end of its own",
       "\x1F"
       "a\rb",
       true},
      {"delete",
       "\x1F"
       "a\x7F"
       "b",
       true},
      {"three separators",
       "Aa\x1F"
       "b\x1F"
       "c",
       true},
      {"colon fields", ":Aaa Bbb:hello", true},
      {"quotation mark and backslash", "\x1Fsay \"hi\" \\o/", true},
      {"a second line",
       "\x1F"
       "first line\r\nsecond line",
       false},
  };
}

// Cases in Unicode, for UTF-8 and UTF-16.
std::vector<Case> unicode_cases() {
  std::string many_glyphs = "\x1F";
  for (int i = 0; i < 40; ++i) many_glyphs += "\uE053";
  std::vector<Case> cases = shared_cases();
  const std::vector<Case> more = {
      {"sender and kanji", "Def Mi\x1F漢字あい", true},
      {"glyph with a stand-in", "\x1FPotion\uE03C sold", true},
      {"glyph without one", "Ja Mig\x1F\uE000 kept \uE100", true},
      {"glyph in the sender", "\x1F\uE090Uo Sa\x1Fhi", true},
      {"many long stand-ins", many_glyphs, true},
      {"characters that begin like the ones looked at", "\x1F\u00B4\u00A7 \u2026 \u2192 x \uE03C", true},
      {"a C1 control",
       "\x1F"
       "a\u0085b",
       true},
      {"a line separator",
       "\x1F"
       "a\u2028b",
       true},
      {"beyond the Basic Multilingual Plane",
       "\x1F"
       "a\U0001F600b",
       true},
  };
  cases.insert(cases.end(), more.begin(), more.end());
  return cases;
}

TEST(StraightLines, CodePage932EntriesReadAsTheirDecodedText) {
  // A glyph of the game's font in code page 932: U+E03C (HQ) is F0 7C, and
  // U+E053 (both mouse buttons) F0 94. U+E000 has no stand-in.
  std::string many_glyphs = "\x1F";
  for (int i = 0; i < 40; ++i) many_glyphs += "\xF0\x94";
  std::vector<Case> cases = shared_cases();
  const std::vector<Case> more = {
      {"sender and kanji", "Def Mi\x1F\x8A\xBF\x8E\x9A\x82\xA0\x82\xA2", true},
      {"glyph with a stand-in", "\x1FPotion\xF0\x7C sold", true},
      {"glyph without one", "Ja Mig\x1F\xF0\x40 kept", true},
      {"glyph in the sender", "\x1F\xF0\x7CUo Sa\x1Fhi", true},
      {"many long stand-ins", many_glyphs, true},
      {"trail bytes that are backslash and bracket", "\x1F\x83\x5C\x95\x5C \x81\x5B[", true},
      {"half-width katakana", "\x1F\xB1\xB2\xB3 x", true},
      {"symbols beyond kana", "\x1F\x81\x63 \x81\xA8 \x81\x4C \x81\x98", true},
      {"a lead byte at the end",
       "\x1F"
       "abc\x82",
       false},
      {"a pair the table does not hold",
       "\x1F"
       "bad \x85\x40 pair",
       false},
      {"a pair with a line break",
       "\x1F\x82\n"
       "6B0F27420A29",
       false},
  };
  cases.insert(cases.end(), more.begin(), more.end());
  for (const Case& c : cases) {
    expect_read_as_decoded(c, ExportCharset::kShiftJis, kBefore, kEntryLine + c.text + "\r\n", kAfter);
  }
}

TEST(StraightLines, Utf8EntriesReadAsTheirDecodedText) {
  for (const Case& c : unicode_cases()) {
    expect_read_as_decoded(c, ExportCharset::kUtf8, kBefore, kEntryLine + c.text + "\r\n", kAfter);
  }
}

TEST(StraightLines, Utf16EntriesReadAsTheirDecodedText) {
  std::vector<Case> cases = unicode_cases();
  for (Case& c : cases) c.text = wide(c.text);
  // A surrogate without its partner decodes replaced.
  cases.push_back({"a lone surrogate",
                   wide("\x1F"
                        "a") +
                       std::string("\x00\xD8", 2) + wide("b"),
                   false});
  cases.push_back({"a line end in a unit's high byte", wide("\x1F") + std::string("\x0A\x0A", 2), true});
  for (const Case& c : cases) {
    expect_read_as_decoded(c, ExportCharset::kUtf16, wide(kBefore), wide(kEntryLine) + c.text + wide("\r\n"),
                           wide(kAfter));
  }
}

TEST(StraightLines, LastLineWithoutALineEnd) {
  const struct {
    ExportCharset charset;
    std::string text;
    bool whole;
  } cases[] = {
      {ExportCharset::kShiftJis,
       "\x1F"
       "done",
       true},
      {ExportCharset::kShiftJis, "\x1F\x82\xA0", true},
      {ExportCharset::kShiftJis, "\x1F", true},
      {ExportCharset::kShiftJis, "\x1F[02 1D 01 03]", true},
      // Nothing follows the piece: a lead byte at its end must not take a byte past it.
      {ExportCharset::kShiftJis,
       "\x1F"
       "abc\x82",
       false},
      {ExportCharset::kUtf8,
       "\x1F"
       "done \uE03C",
       true},
      {ExportCharset::kUtf16,
       wide("\x1F"
            "done \uE03C"),
       true},
  };
  for (const auto& c : cases) {
    const bool utf16 = c.charset == ExportCharset::kUtf16;
    const std::string before = utf16 ? wide(kBefore) : kBefore;
    const std::string piece = before + (utf16 ? wide(kEntryLine) : kEntryLine) + c.text;
    for (const HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
      const Taken taken = straight_reading(piece, c.charset, format);
      EXPECT_EQ(taken.offset, c.whole ? piece.size() : before.size());
      EXPECT_EQ(taken.line_ends, 1u);
      EXPECT_EQ(taken.history, decoded_reading(piece.substr(0, taken.offset), c.charset, format));
    }
  }
  // A UTF-16 piece of odd length: its last byte is left to the decoding, which tells it.
  const std::string odd = wide(kBefore) + wide(kEntryLine) + wide("\x1Fodd") + "x";
  const Taken taken = straight_reading(odd, ExportCharset::kUtf16, HistoryFormat::kText);
  EXPECT_EQ(taken.offset, odd.size() - 1);
  EXPECT_EQ(taken.history, decoded_reading(odd, ExportCharset::kUtf16, HistoryFormat::kText));
}

// An entry the long way is printed whole, however long its line.
TEST(StraightLines, ALongLineTheLongWay) {
  const std::string text = "\x1F" + std::string(300000, 'a') + "[b]";
  const std::string piece = std::string(kBefore) + kEntryLine + text + "\r\n" + kAfter;
  for (const ExportCharset charset : {ExportCharset::kShiftJis, ExportCharset::kUtf8}) {
    const Taken taken = straight_reading(piece, charset, HistoryFormat::kText);
    EXPECT_EQ(taken.offset, piece.size());
    EXPECT_NE(taken.history.find("[b]"), std::string::npos);
    EXPECT_EQ(taken.history, decoded_reading(piece, charset, HistoryFormat::kText));
  }
}

// A piece whose entries mostly need the long way is left, after a few of
// them, to the decoding of the piece, at an entry line.
TEST(StraightLines, EntriesThatMostlyNeedTheLongWayAreLeftToTheDecoding) {
  std::string piece;
  for (int i = 0; i < 40; ++i)
    piece += std::string(kEntryLine) +
             "\x1F"
             "a[02 1D 01 03]b\r\n";
  for (const ExportCharset charset : {ExportCharset::kShiftJis, ExportCharset::kUtf8}) {
    const Taken taken = straight_reading(piece, charset, HistoryFormat::kText);
    EXPECT_GT(taken.offset, 0u);
    EXPECT_LT(taken.offset, piece.size());
    EXPECT_EQ(piece.compare(taken.offset, std::string(kEntryLine).size(), kEntryLine), 0);
    EXPECT_EQ(taken.history, decoded_reading(piece.substr(0, taken.offset), charset, HistoryFormat::kText));
  }
}

// Entries a filter leaves out are still decoded: a character that is
// replaced is told with the piece, shown or not.
TEST(StraightLines, FilteredEntriesAreDecodedAllTheSame) {
  HistoryFilter filter;
  filter.since = 0x6B0F2743;
  const std::string piece = std::string(kBefore) + kEntryLine +
                            "\x1F"
                            "bad \x85\x40 pair\r\n" +
                            kEntryLine +
                            "\x1F"
                            "[02 1D 01 03]\r\n" +
                            kAfter;
  const Taken taken = straight_reading(piece, ExportCharset::kShiftJis, HistoryFormat::kText, filter);
  EXPECT_EQ(taken.offset, std::string(kBefore).size());
  EXPECT_EQ(taken.history, "");

  const std::string shown_later = std::string(kBefore) + kEntryLine + "\x1F[02 1D 01 03]\x82\xA0\r\n" + kAfter;
  const Taken all = straight_reading(shown_later, ExportCharset::kShiftJis, HistoryFormat::kText, filter);
  EXPECT_EQ(all.offset, shown_later.size());
  EXPECT_EQ(all.history, decoded_reading(shown_later, ExportCharset::kShiftJis, HistoryFormat::kText, filter));
  EXPECT_EQ(std::count(all.history.begin(), all.history.end(), '\n'), 1);
}

// Through the reader, on every core: pieces that end anywhere, with entries
// of each kind in one file, read as the whole file's decoded text, and the
// character replaced is told on its line.
TEST(StraightLines, AFileReadInPiecesOnEveryCore) {
  const struct {
    ExportCharset charset;
    std::string bad;  // an entry with a character that is replaced
    std::string (*encode)(const std::string&);
  } files[] = {
      {ExportCharset::kShiftJis,
       "\x1F"
       "bad \x85\x40 pair",
       [](const std::string& s) { return s; }},
      {ExportCharset::kUtf8,
       "\x1F"
       "bad \xFF byte",
       [](const std::string& s) { return s; }},
      {ExportCharset::kUtf16,
       wide("\x1F"
            "bad ") +
           std::string("\x00\xD8", 2),
       wide},
  };
  for (const auto& f : files) {
    std::string bytes;
    for (int i = 0; i < 200; ++i) {
      bytes += f.encode(kBefore);
      const std::string potion = f.charset == ExportCharset::kShiftJis ? "\x1FPotion\xF0\x7C \x8A\xBF\x8E\x9A sold"
                                                                       : "\x1FPotion\uE03C 漢字 sold";
      bytes += f.encode(kEntryLine) + f.encode(potion) + f.encode("\r\n");
      if (i % 7 == 0)
        bytes += f.encode(std::string(kEntryLine) +
                          "\x1F"
                          "a [02 1D 01 03] b\r\n");
      if (i % 11 == 0)
        bytes += f.encode(std::string(kEntryLine) +
                          "\x1F"
                          "first line\r\nsecond line\r\n");
      if (i == 150) bytes += f.encode(kEntryLine) + f.bad + f.encode("\r\n");
      bytes += f.encode(kAfter);
    }
    const std::size_t bad_at = bytes.find(f.bad);
    const std::size_t bad_line = line_ends_in(bytes, bad_at, f.charset) + 1;
    for (const HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
      const std::string expected = decoded_reading(bytes, f.charset, format);
      for (const std::size_t piece : {std::size_t{100}, std::size_t{1000}, bytes.size() + 1}) {
        HistoryPrinter printer;
        printer.format = format;
        std::string out;
        std::vector<std::string> messages;
        printer.sinks.history = [&](std::string_view s) { out += s; };
        printer.sinks.message = [&](std::string_view s) { messages.emplace_back(s); };
        read_export_bytes(printer, "x.log", bytes_of(bytes), bytes.size(), piece);
        flush_history(printer);
        EXPECT_EQ(out, expected) << "charset " << static_cast<int>(f.charset) << ", piece " << piece;
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("(the first on line " + std::to_string(bad_line) + ")"), std::string::npos)
            << messages[0];
      }
    }
  }
}

}  // namespace
}  // namespace tellwick
