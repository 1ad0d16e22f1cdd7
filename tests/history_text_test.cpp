// The pieces of a readable history: charsets of export files, entries and
// their continuation lines, control sequences shown as hex, sender fields,
// channel names and filters.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "history/cp932_search.h"
#include "history/channels.h"
#include "history/entry_text.h"
#include "history/export_lines.h"
#include "history/export_text.h"
#include "history/game_glyphs.h"
#include "history/history_filter.h"
#include "history/history_printer.h"
#include "history/text_search.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes utf16_of(const std::u16string& s) {
  Bytes b;
  for (char16_t c : s) {
    b.push_back(static_cast<std::uint8_t>(c & 0xFF));
    b.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return b;
}

std::string decoded(const Bytes& b, ExportText& t) {
  decode_export_text(b.data(), b.size(), t);
  return std::string(t.text);
}

TEST(ExportText, EachCharsetReadsAsTheSameUtf8) {
  const std::string utf8 = "5316F48C000A:Aaa Bbb:あいう\r\n";
  // あいう in code page 932.
  const Bytes cp932 = bytes_of("5316F48C000A:Aaa Bbb:\x82\xA0\x82\xA2\x82\xA4\r\n");
  ExportText t;
  EXPECT_EQ(decoded(bytes_of(utf8), t), utf8);
  EXPECT_EQ(t.charset, ExportCharset::kUtf8);
  EXPECT_EQ(decoded(utf16_of(u"5316F48C000A:Aaa Bbb:あいう\r\n"), t), utf8);
  EXPECT_EQ(t.charset, ExportCharset::kUtf16);
  EXPECT_EQ(decoded(cp932, t), utf8);
  EXPECT_EQ(t.charset, ExportCharset::kShiftJis);
  EXPECT_EQ(t.replaced, 0u);
  // Half-width katakana are single bytes in code page 932.
  EXPECT_EQ(decoded(bytes_of("5316F48C000A\xB1\xB2\xB3\r\n"), t), "5316F48C000Aｱｲｳ\r\n");
  // Byte order marks are not Tellwick's, but are honoured.
  Bytes marked = {0xFF, 0xFE};
  const Bytes body = utf16_of(u"5316F48C000Ax\r\n");
  marked.insert(marked.end(), body.begin(), body.end());
  EXPECT_EQ(decoded(marked, t), "5316F48C000Ax\r\n");
  // clang-format off
  EXPECT_EQ(decoded(bytes_of("\xEF\xBB\xBF" "5316F48C000Ax\r\n"), t), "5316F48C000Ax\r\n");
  // clang-format on
}

TEST(ExportText, IllFormedInputIsShownAsReplacementCharacters) {
  ExportText t;
  // UTF-8 with a stray byte among well-formed Japanese stays UTF-8.
  EXPECT_EQ(decoded(bytes_of("5316F48C000Aあい\xFFう\r\n5316F48D000A\xE3\x81\r\n"), t),
            "5316F48C000Aあい\xEF\xBF\xBDう\r\n5316F48D000A\xEF\xBF\xBD\r\n");
  EXPECT_EQ(t.charset, ExportCharset::kUtf8);
  EXPECT_EQ(t.replaced, 2u);
  EXPECT_EQ(t.first_replaced_line, 1u);
  // Overlong forms and encoded surrogates are ill-formed too, a byte each.
  EXPECT_EQ(decoded(bytes_of("5316F48C000Aあいうえおかきくけこ\xC0\xAF-\xED\xA0\x80!"), t),
            "5316F48C000Aあいうえおかきくけこ\xEF\xBF\xBD\xEF\xBF\xBD-\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD!");
  EXPECT_EQ(t.replaced, 5u);
  // Without well-formed text beside them, such bytes read as code page 932.
  decoded(bytes_of("5316F48C000A\xC0\xAF-\xED\xA0\x80!"), t);
  EXPECT_EQ(t.charset, ExportCharset::kShiftJis);
  // UTF-16 of odd length: the last byte is left out; a lone surrogate is replaced.
  Bytes odd = utf16_of(u"5316F48C000Ax\r\n5316F48D000A\xD800y");
  odd.push_back('z');
  EXPECT_EQ(decoded(odd, t), "5316F48C000Ax\r\n5316F48D000A\xEF\xBF\xBDy");
  EXPECT_TRUE(t.odd_length);
  EXPECT_EQ(t.replaced, 1u);
  EXPECT_EQ(t.first_replaced_line, 2u);
}

TEST(ExportText, CodePage932WithoutAMappingIsCounted) {
  ExportText t;
  // 85 40 has no mapping, 81 45 is ・ itself, and the last lead byte has no trail.
  EXPECT_EQ(decoded(bytes_of("5316F48C000A\x82\xA0\r\n5316F48D000A\x85\x40x\x81\x45\x82"), t),
            "5316F48C000Aあ\r\n5316F48D000A・x・・");
  EXPECT_EQ(t.charset, ExportCharset::kShiftJis);
  EXPECT_EQ(t.replaced, 2u);
  EXPECT_EQ(t.first_replaced_line, 2u);
}

// Code page 932 is decoded through a table, run by run, with the platform
// taking any run the table cannot: random texts of every kind of byte read
// as the platform converts them whole, with the same count of characters
// it could not map.
TEST(ExportText, CodePage932ReadsAsThePlatformConvertsIt) {
  const std::uint8_t kinds[][2] = {{'a', 'z'},   {'\n', '\n'}, {0x40, 0x7E}, {0x80, 0x80}, {0x81, 0x9F}, {0xA0, 0xA0},
                                   {0xA1, 0xDF}, {0xE0, 0xEF}, {0xF0, 0xF9}, {0xFA, 0xFC}, {0xFD, 0xFF}, {0x00, 0x1F}};
  std::uint32_t seed = 932;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  ExportText t;
  for (int round = 0; round < 20000; ++round) {
    Bytes text(next() % 48);
    for (std::uint8_t& b : text) {
      const auto& kind = kinds[next() % std::size(kinds)];
      b = static_cast<std::uint8_t>(kind[0] + next() % (kind[1] - kind[0] + 1u));
    }
    std::u16string wide(text.size(), u'\0');
    std::size_t replaced = 0;
    wide.resize(
        cp932_to_utf16(reinterpret_cast<const char*>(text.data()), text.size(), wide.data(), wide.size(), replaced));
    std::string expected(wide.size() * 3, '\0');
    expected.resize(utf16_to_utf8(wide.data(), wide.size(), expected.data(), expected.size()));
    decode_export_piece(text.data(), text.size(), ExportCharset::kShiftJis, t);
    ASSERT_EQ(std::string(t.text), expected) << round;
    ASSERT_EQ(t.replaced, replaced) << round;
  }
}

std::vector<std::string> entries_of(const std::string& text) {
  ExportCursor cursor;
  cursor.text = text;
  ExportEntry e;
  std::vector<std::string> out;
  for (;;) {
    const ExportStep step = next_export_entry(cursor, e);
    if (step == ExportStep::kEnd) return out;
    if (step == ExportStep::kStray) {
      out.push_back("stray " + std::to_string(e.line));
      continue;
    }
    char head[64];
    std::snprintf(head, sizeof head, "%u %X %zu|", static_cast<unsigned>(e.time), static_cast<unsigned>(e.code),
                  e.line);
    out.push_back(head + std::string(e.text));
  }
}

TEST(ExportLines, ContinuationLinesStayWithTheirEntry) {
  const std::vector<std::string> expected = {
      "stray 1",
      "stray 2",
      "1394013324 A 3|:A B:one",
      "1394013325 839 4|two\nstill two\r\n\r\nend of two",
      "1394013326 E 8|",
      "1394013327 FFFF 9|lower-case hex, no final line end",
  };
  EXPECT_EQ(entries_of("junk\r\n\r\n"
                       "5316F48C000A:A B:one\r\n"
                       "5316F48D0839two\nstill two\r\n\r\nend of two\r\n"
                       "5316F48E000E\r\n"
                       "5316f48fffFFlower-case hex, no final line end"),
            expected);
  // A line of eleven hex digits is no entry line; inner line ends stay as they are.
  EXPECT_EQ(entries_of("5316F48C000Aa\r\r\n5316F48C000\r\n"),
            std::vector<std::string>({"1394013324 A 1|a\r\r\n5316F48C000"}));
  EXPECT_TRUE(entries_of("").empty());
}

// The twelve digits are read in one go: every byte in every place is
// told as the hex table tells it, and the digits give the same numbers.
TEST(ExportLines, EntryPrefixesAgreeWithTheHexTable) {
  const std::string base = "5316f48C0A9f";
  for (std::size_t place = 0; place < kEntryLinePrefix; ++place) {
    for (int byte = 0; byte < 256; ++byte) {
      std::string line = base;
      line[place] = static_cast<char>(byte);
      std::uint32_t time = 0, code = 0;
      const bool read = read_entry_prefix(line, time, code);
      ASSERT_EQ(read, hex_digit_value(byte) >= 0) << place << " " << byte;
      if (!read) continue;
      std::uint64_t value = 0;
      for (const char c : line) value = value << 4 | static_cast<std::uint64_t>(hex_digit_value(c & 0xFF));
      ASSERT_EQ(time, value >> 16) << place << " " << byte;
      ASSERT_EQ(code, value & 0xFFFF) << place << " " << byte;
    }
  }
  std::uint32_t time = 0, code = 0;
  EXPECT_FALSE(read_entry_prefix(std::string_view(base).substr(0, 11), time, code));
  EXPECT_TRUE(read_entry_prefix("FFFFFFFFFFFF", time, code));
  EXPECT_EQ(time, 0xFFFFFFFFu);
  EXPECT_EQ(code, 0xFFFFu);
}

std::string with_shown(const std::string& text) {
  std::string out;
  append_with_shown_sequences(text, out);
  return out;
}

TEST(EntryText, ShownControlSequencesAreTakenWhereTheyCanBeRecognised) {
  const struct {
    const char* text;
    const char* expected;
    // clang-format off
  } cases[] = {
      {"OK[02 13 01 03]", "OK"},
      {"a[02 13 04 AA BB CC 03][02 13 00]b", "ab"},               // back to back; lead byte 0x00
      {"[02 48 F2 00 05 01 02 03 04 05 03]x", "x"},               // two-byte length with a zero byte
      {"x[02 20 F0 03 01 02 03 03]", "x"},                        // one-byte length
      {"cut at the end[02 13 09 41 42]", "cut at the end"},       // ran past the line: ends the text
      {"[02]", ""},
      {"[02 13 01 03 04]y", "[02 13 01 03 04]y"},                 // one byte more than declared
      {"[02 13 09 41 42]y", "[02 13 09 41 42]y"},                 // short, but not at the end
      {"[03 13 01 03]", "[03 13 01 03]"},                         // no start byte
      {"[02 13 01 3]", "[02 13 01 3]"},                           // not two digits
      {"[02 13 01 0a]", "[02 13 01 0a]"},                         // lower case is not the exporter's
      {"[02  13 01 03]", "[02  13 01 03]"},
      {"[PvP] [02 13 01 03", "[PvP] [02 13 01 03"},               // not closed
      {"[[02 13 01 03]]", "[]"},
      {"[[02 1D 01 03]]", "[ ]"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(with_shown(c.text), c.expected) << c.text;
}

// The text of an entry as a chunk file holds it, and as an export made with
// CTRLTOSTR on shows it: the exporter's own rendering of the same bytes.
std::string shown_form_of(const std::string& raw) {
  const std::string line = "5316F48C000A" + raw;
  char rendered[kRenderedLineCapacity];
  const std::size_t length = render_line(line.data(), line.size(), true, rendered);
  return std::string(rendered + kEntryLinePrefix, length - kEntryLinePrefix - 2);  // without CR LF
}

std::string with_raw(const std::string& raw) {
  std::string out;
  append_with_raw_sequences(raw.data(), raw.size(), out);
  return out;
}

TEST(EntryText, SequencesShowWhatTheGameShows) {
  const struct {
    std::string raw;
    const char* expected;
    // clang-format off
  } cases[] = {
      {"takes 9064\x02\x1D\x01\x03(+50%) damage.", "takes 9064 (+50%) damage."},    // non-breaking space
      {"one\x02\x10\x01\x03two", "one\ntwo"},                                       // new line
      {"Ultra\x02\x16\x01\x03marine", "Ultramarine"},                               // soft hyphen
      {"Sahagin\x02\x1F\x01\x03Lord", "Sahagin-Lord"},                              // hyphen
      {"White Oath\x02\x12\x02\x59\x03Kujata", "White Oath@Kujata"},               // icon 88: cross-world
      {"\x02\x12\x02\x05\x03sprout\x02\x12\x02\x58\x03", "sprout"},            // other icons: pictures
      {"\x02\x12\x01\x03x\x02\x12\x02\xF0\x03", "x"},                          // no icon number
      {"LFG \x02\x2E\x05\x04\xF2\x02\x0C\x03!", "LFG {AT 3:524}!"},              // auto-translate
      {"\x02\x2E\x04\x01\x02\x03\x03", "{AT 0:1}"},                              // one byte more: ignored
      {"\x02\x2E\x03\x05\xF2\x03", "{AT 05 F2}"},                                 // key cut short: hex
      {"\x02\x2E\x01\x03", "{AT}"},
      {"\x02\x2E\xF0\x03\x04\xF0\x09\x03", "{AT 3:9}"},                          // two-byte length form
      {"\x02\x27\x07\x03\xF2\x01\x02\x01\x01\x03" "Aaa Bbb", "Aaa Bbb"},          // other markup: nothing
      {std::string("a\x02\x10\x00" "b", 5), "a\nb"},                                  // lead byte 0x00
      {"\x02\x1D\x01\x03\x02\x1D\x01\x03", "  "},                               // back to back
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(with_raw(c.raw), c.expected) << "raw: " << c.raw;
    EXPECT_EQ(with_shown(shown_form_of(c.raw)), c.expected) << "shown: " << shown_form_of(c.raw);
  }
}

// A sequence that declares more bytes than the entry holds ends with the
// entry; what its bytes say so far still counts, nothing past them is read.
TEST(EntryText, SequencesCutByTheEndOfTheEntry) {
  const struct {
    std::string raw;
    const char* expected;
    // clang-format off
  } cases[] = {
      {"x\x02", "x"},
      {"x\x02\x1D", "x "},
      {"x\x02\x10\x09" "ab", "x\n"},
      {"x\x02\x12\x09", "x"},
      {"x\x02\x12\x09\x59", "x@"},
      {"x\x02\x2E\x09\x04\xF2", "x{AT 04 F2}"},
      {"x\x02\x2E\xF6\x00", "x{AT}"},
  };
  // clang-format on
  for (const auto& c : cases) {
    // Copied to a buffer of its own size, so that a read past it is caught under ASan.
    const std::unique_ptr<char[]> exact(new char[c.raw.size()]);
    std::memcpy(exact.get(), c.raw.data(), c.raw.size());
    std::string out;
    append_with_raw_sequences(exact.get(), c.raw.size(), out);
    EXPECT_EQ(out, c.expected) << "raw: " << c.raw;
    EXPECT_EQ(with_shown(shown_form_of(c.raw)), c.expected) << "shown: " << shown_form_of(c.raw);
  }
  // A zero byte outside a sequence ends the text, as it ends the entry line.
  EXPECT_EQ(with_raw(std::string("a\x02\x1D\x01\x03"
                                 "b\0c",
                                 8)),
            "a b");
}

TEST(GameGlyphs, KnownGlyphsGetReadableStandIns) {
  const struct {
    const char* text;
    const char* expected;
    // clang-format off
  } cases[] = {
      {"\uE090\uE091\uE097", "①②⑧"},                   // party slots
      {"\uE08F \uE0A3 \uE0A4 \uE0AE", "⓪ ⑳ ㉑ ㉛"},      // the other boxed numbers
      {"\uE071\uE08A", "ⒶⓏ"},                           // boxed letters
      {"Potion\uE03C x3", "Potion(HQ) x3"},
      {"\uE06F Aaa Bbb", "→ Aaa Bbb"},
      {"\uE0BBHi-Potion", "↗Hi-Potion"},
      {"Aaa Bbb\uE05DKujata", "Aaa Bbb@Kujata"},
      {"\uE0C1\uE0C6 \uE0B1 \uE0D0", "ⅠⅥ ⑴ LT"},
      {"\uE000\uE0FF\uE10F\uF8FF", "\uE000\uE0FF\uE10F\uF8FF"},  // unknown: kept
      {"é\u00EEあ\uEE00", "é\u00EEあ\uEE00"},
      {"", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string out;
    append_with_game_glyphs(c.text, out);
    EXPECT_EQ(out, c.expected) << c.text;
  }
  EXPECT_EQ(game_glyph_stand_in(0xE090), "①");
  EXPECT_TRUE(game_glyph_stand_in(0xE0FF).empty());
}

// A search needs to look at an entry's glyphs only when a match could take
// in part of a stand-in; "(HQ)" and "iLv" are two of them.
TEST(GameGlyphs, SearchesThatMayMeetAStandIn) {
  const struct {
    const char* needle;
    bool may_meet;
  } cases[] = {
      {"(hq)", true},   {"potion(", true}, {"q) sold", true}, {"ilv", true}, {"I", true},
      {"x(HQ)y", true}, {"ruin", true},    {"sold", false},   {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(glyphs_a_search_may_meet(c.needle).any(), c.may_meet) << c.needle;
  // "ruin" may end in the "N" of "Niv" (U+E06C), and in no other stand-in.
  GlyphSet niv;
  niv.set(0x6C);
  EXPECT_EQ(glyphs_a_search_may_meet("ruin"), niv);
  EXPECT_TRUE(glyphs_a_search_may_meet("potion(").test(0x3C));
}

// A search in code page 932 bytes is certain only for characters that one
// byte sequence gives: "∵" and "￢" are also in the IBM extensions, and "・"
// stands in for every byte pair without a mapping.
TEST(Cp932Search, NeedlesThatTheBytesCanFind) {
  const struct {
    const char* needle;
    bool certain;
    const char* bytes;
  } cases[] = {
      {"ruin", true, "ruin"},
      {"あ", true, "\x82\xA0"},
      {"ダメージ x", true, "\x83\x5F\x83\x81\x81\x5B\x83\x57 x"},
      {"ｱ", true, "\xB1"},
      {"・", false, ""},
      {"∵", false, ""},
      {"￢", false, ""},
      {"\xF0\x9F\x98\x80", false, ""},
      {"é", false, ""},
  };
  for (const auto& c : cases) {
    std::string bytes;
    EXPECT_EQ(cp932_needle(c.needle, bytes), c.certain) << c.needle;
    if (c.certain) {
      EXPECT_EQ(bytes, c.bytes) << c.needle;
    }
  }
  const std::string plain = "6B0F2741000A::\x82\xA0 x\r\n";
  EXPECT_TRUE(cp932_bytes_are_plain(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()));
  for (const std::string bytes : {"a\x85\x40", "a\x82", "\x82\x0A", "\x82\xA0\x82\xA0\x85\x40", "\x82\xA0\x82"}) {
    EXPECT_FALSE(cp932_bytes_are_plain(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())) << bytes;
  }
}

// The plain check notes the user-defined characters a search wants where
// they stand as characters: not an F0 that is a trail byte, nor one that
// is not wanted, whether two-byte characters come in pairs or alone.
TEST(Cp932Search, WantedGlyphsAreNotedWhereTheyStand) {
  NarrowGlyphs wanted;
  wanted.set(0x4F);            // F0 4F
  wanted.set(1u << 8 | 0x9E);  // F1 9E
  const std::string bytes =
      "ab\xF0\x4F"        // alone after ASCII
      "\x82\xA0\xF0\x4F"  // second of a pair
      "\xF0\x4F\x82\xA0"  // first of a pair
      "\x82\xF0\xF0\x4F"  // a trail F0, then a wanted one
      "\xF0\x50\xF1\x9E"  // one not wanted, then the other lead
      "\xB1\xF1\x9E";     // after a single byte, at the end
  std::vector<std::size_t> found;
  ASSERT_TRUE(cp932_bytes_are_plain(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), wanted, found));
  EXPECT_EQ(found, (std::vector<std::size_t>{2, 6, 8, 14, 18, 21}));
  ASSERT_TRUE(
      cp932_bytes_are_plain(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), NarrowGlyphs{}, found));
  EXPECT_TRUE(found.empty());
}

TEST(EntryText, SenderAndMessageAreSplitAtTheSeparators) {
  const struct {
    const char* text;
    const char* sender;
    const char* message;
    // clang-format off
  } cases[] = {
      {":Aaa Bbb:hello: there", "Aaa Bbb", "hello: there"},
      {"::You have entered a sanctuary.", "", "You have entered a sanctuary."},
      {"\x1F" "Aaa Bbb\x1Fhi:x", "Aaa Bbb", "hi:x"},
      {"\x1F\x1Fsystem", "", "system"},
      {"Aaa Bbb\x1Fhi", "Aaa Bbb", "hi"},
      {":no second separator", "", "no second separator"},
      {"plain text: with a colon", "", "plain text: with a colon"},
      {"", "", ""},
      {"\x1F" "Aaa\x1F" "b\x1F" "c", "Aaa", "b\x1F" "c"},
      {"Aaa\x1F" "b\x1F" "c", "Aaa", "b\x1F" "c"},
      {"\x1F", "", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    const EntryFields f = split_entry_text(c.text);
    EXPECT_EQ(f.sender, c.sender) << c.text;
    EXPECT_EQ(f.message, c.message) << c.text;
    // Told where the separators are, as the printer's look at the bytes finds them.
    const std::string_view text = c.text;
    const std::size_t first = text.find('\x1F');
    const std::size_t second = first == std::string_view::npos ? first : text.find('\x1F', first + 1);
    const EntryFields told = split_entry_text(text, first, second);
    EXPECT_EQ(told.sender, c.sender) << c.text;
    EXPECT_EQ(told.message, c.message) << c.text;
    EXPECT_EQ(told.unit_separators, f.unit_separators) << c.text;
  }
}

TEST(Channels, NamesAndGroups) {
  EXPECT_EQ(printed_channel_name(0x0A), "Say");
  EXPECT_EQ(printed_channel_name(0x0C), "TellOutgoing");
  EXPECT_EQ(printed_channel_name(0x0D), "TellIncoming");
  EXPECT_EQ(printed_channel_name(0x1D), "StandardEmote");
  EXPECT_EQ(printed_channel_name(0x02), "Urgent");
  EXPECT_EQ(printed_channel_name(0x25), "CrossLinkShell1");
  EXPECT_EQ(printed_channel_name(0x6B), "CrossLinkShell8");
  EXPECT_EQ(printed_channel_name(0x44), "NPCDialogueAnnouncements");
  EXPECT_EQ(printed_channel_name(0x3E), "0x3E");
  EXPECT_EQ(printed_channel_name(channel_of_code(0x2839)), "SystemMessage");  // source bits left out

  ChannelSet set;
  EXPECT_TRUE(channels_of_name("pARTY", set));
  EXPECT_TRUE(channels_of_name("0x3e", set));
  EXPECT_TRUE(channels_of_name("0x0A", set));
  EXPECT_EQ(set.count(), 3u);
  EXPECT_TRUE(set.test(0x0E) && set.test(0x3E) && set.test(0x0A));
  for (const char* bad : {"", "Part", "0x80", "0x", "0xZZ", "Partyy"}) EXPECT_FALSE(channels_of_name(bad, set)) << bad;

  ChannelSet chat, battle;
  ASSERT_TRUE(channels_of_name("chat", chat));
  ASSERT_TRUE(channels_of_name("Battle", battle));
  for (int c : {0x0A, 0x0C, 0x0D, 0x0E, 0x10, 0x17, 0x18, 0x1C, 0x1E, 0x25, 0x65, 0x6B}) EXPECT_TRUE(chat.test(c)) << c;
  for (int c : {0x1D, 0x38, 0x39, 0x3A, 0x29}) EXPECT_FALSE(chat.test(c)) << c;
  for (int c : {0x29, 0x2D, 0x31, 0x3A}) EXPECT_TRUE(battle.test(c)) << c;
  EXPECT_FALSE(battle.test(0x39));
  EXPECT_TRUE((chat & battle).none());
}

TEST(HistoryFilter, DatesAreLocalTime) {
  // The tests run in Tokyo time (UTC+9, no summer time).
  const struct {
    const char* text;
    bool end;
    std::int64_t unix_seconds;
    // clang-format off
  } cases[] = {
      {"2014-03-05", false, 1393945200},        // 2014-03-04 15:00 UTC
      {"2014-03-05", true, 1393945200 + 86400},
      {"2014-03-05 18:55", false, 1394013300},
      {"2014-03-05 18:55", true, 1394013360},
      {"2014-12-31 23:59", true, 1420037940 + 60},
      {"2016-02-29", false, 1456671600},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::int64_t t = 0;
    EXPECT_TRUE(parse_local_date(c.text, c.end, t)) << c.text;
    EXPECT_EQ(t, c.unix_seconds) << c.text;
  }
  for (const char* bad :
       {"", "2014-3-05", "2014-13-01", "2014-02-30", "2015-02-29", "2014-03-05 24:00", "2014-03-05 18:60",
        "2014-03-05T18:55", "2014/03/05", "2014-03-05 18:5", "１２３４-03-05", "1969-12-31", "2014-03-05 18:55:00"}) {
    std::int64_t t = 0;
    EXPECT_FALSE(parse_local_date(bad, false, t)) << bad;
  }
}

TEST(HistoryFilter, ChannelsTimesSendersAndText) {
  HistoryFilter f;
  std::string unknown;
  EXPECT_TRUE(time_and_channel_pass(f, 0, 0x3E));
  EXPECT_FALSE(add_channel_filter("party,Nope", f, unknown));
  EXPECT_EQ(unknown, "Nope");
  f = HistoryFilter{};
  ASSERT_TRUE(add_channel_filter("party,TellIncoming", f, unknown));
  ASSERT_TRUE(add_channel_filter("ls1", f, unknown));
  EXPECT_TRUE(time_and_channel_pass(f, 0, 0x0E));
  EXPECT_TRUE(time_and_channel_pass(f, 0, 0x10));
  EXPECT_FALSE(time_and_channel_pass(f, 0, 0x0C));
  f.since = 100;
  f.until = 200;
  EXPECT_TRUE(time_and_channel_pass(f, 100, 0x0E));
  EXPECT_TRUE(time_and_channel_pass(f, 199, 0x0E));
  EXPECT_FALSE(time_and_channel_pass(f, 200, 0x0E));
  EXPECT_FALSE(time_and_channel_pass(f, 99, 0x0E));

  set_sender_filter("aaa B", f);
  set_text_filter("HELLO ü", f);
  EXPECT_TRUE(fields_pass(f, "Aaa Bbb", "say Hello ü!"));
  EXPECT_FALSE(fields_pass(f, "Aaa Bbb", "say Hello Ü!"));  // only ASCII letters ignore case
  EXPECT_FALSE(fields_pass(f, "Ccc Aaa", "hello ü"));
  EXPECT_FALSE(fields_pass(f, "", "hello ü"));
  set_sender_filter("", f);
  set_text_filter("こんにちは", f);
  EXPECT_TRUE(fields_pass(f, "", "はい、こんにちは"));
  EXPECT_FALSE(contains_ignoring_ascii_case("ab", "abc"));
}

// The search over many entries at once finds what the filter's own
// comparison finds, at the first place: letters of either case, bytes that
// differ from a letter only in bit 0x20 ("@" and "`", "[" and "{") told
// apart, Japanese exact, matches at the ends and across sixteen-byte steps.
TEST(HistoryFilter, TextSearchFindsWhatTheFilterFinds) {
  const std::string haystacks[] = {
      "",
      "Pe Mu uses Ruin II on the Amalj'aa brawler.",
      "@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@``a`b`[{x]}~^"
      "ダイレクトヒット！ RUIN ruin rUiN",
      std::string(40, 'x') + "[02 10 01 03]" + std::string(17, 'y') +
          "\x1F"
          "Ab\xC3\xA9",
      "ab",
  };
  const std::string needles[] = {"ruin",
                                 "r",
                                 "ii on",
                                 "`a",
                                 "@a",
                                 "{x",
                                 "[x",
                                 "ダイレクト",
                                 "ト！ r",
                                 "[02",
                                 "yyyy\x1f"
                                 "ab\xC3\xA9",
                                 "b\xC3\xA9",
                                 "ab",
                                 "abc",
                                 "xx",
                                 "~^"};
  for (const std::string& haystack : haystacks) {
    for (const std::string& needle : needles) {
      TextSearch search;
      prepare_text_search(needle, search);
      for (std::size_t from = 0; from <= haystack.size(); ++from) {
        std::size_t expected = std::string_view::npos;
        for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
          if (contains_ignoring_ascii_case(std::string_view(haystack).substr(i, needle.size()), needle)) {
            expected = i;
            break;
          }
        }
        ASSERT_EQ(find_text(search, haystack, from), expected) << haystack << " / " << needle << " from " << from;
      }
    }
  }
}

TEST(HistoryPrinter, TextAndJsonLines) {
  HistoryPrinter p;
  std::string out;
  p.sinks.history = [&](std::string_view s) { out += s; };
  print_entry(p, 0x5316F48C, 0x000A, ":Aaa Bbb:hello[02 13 01 03]", true);
  print_entry(p, 0x5316F48D, 0x0039, "::line\r\nbreak\x01 and\ttab", true);
  print_entry(p, 0x5316F48E, 0x083E, "no sender at all", false);
  flush_history(p);
  EXPECT_EQ(out,
            "2014-03-05 18:55:24 [Say] Aaa Bbb: hello\n"
            "2014-03-05 18:55:25 [SystemMessage] line break  and\ttab\n"
            "2014-03-05 18:55:26 [0x3E] no sender at all\n");

  out.clear();
  p.format = HistoryFormat::kJson;
  print_entry(p, 0x5316F48D, 0x0039, ":\"A\\B\":line\r\nbreak\x01 [02 13 01 03]é", true);
  print_entry(p, 0, 0x0000, "", true);
  flush_history(p);
  EXPECT_EQ(out,
            "{\"time\":\"2014-03-05T18:55:25+09:00\",\"unix\":1394013325,\"channel\":\"SystemMessage\",\"code\":57,"
            "\"sender\":\"\\\"A\\\\B\\\"\",\"message\":\"line\\r\\nbreak\\u0001 é\"}\n"
            "{\"time\":\"1970-01-01T09:00:00+09:00\",\"unix\":0,\"channel\":\"None\",\"code\":0,"
            "\"sender\":\"\",\"message\":\"\"}\n");
}

// JSON numbers of every length, one moment after the other as a file holds
// them: seconds that share their hundreds, and those that do not.
TEST(HistoryPrinter, JsonNumbersOfEveryLength) {
  const std::uint32_t times[] = {0,         9,          10,         99,         100,        101,
                                 199,       200,        9999,       10000,      99999999,   100000000,
                                 999999999, 1000000000, 1394013300, 1394013399, 1394013400, 4294967295};
  const std::uint32_t codes[] = {0, 9, 10, 99, 100, 999, 1000, 9999, 10000, 65535};
  HistoryPrinter p;
  p.format = HistoryFormat::kJson;
  std::string out;
  p.sinks.history = [&](std::string_view s) { out += s; };
  std::size_t n = 0;
  for (const std::uint32_t time : times) print_entry(p, time, codes[n++ % std::size(codes)], "x", false);
  flush_history(p);
  n = 0;
  std::size_t at = 0;
  for (const std::uint32_t time : times) {
    const std::size_t end = out.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    const std::string line = out.substr(at, end - at);
    EXPECT_NE(line.find(",\"unix\":" + std::to_string(time) + ",\"channel\":"), std::string::npos) << line;
    EXPECT_NE(line.find(",\"code\":" + std::to_string(codes[n++ % std::size(codes)]) + ",\"sender\":"),
              std::string::npos)
        << line;
    at = end + 1;
  }
}

// What the game showed, in both formats: the new line is a line break in
// the message (a space in a text line, "\\n" in JSON), glyphs are readable.
TEST(HistoryPrinter, SequencesAndGlyphsAsTheGameShowedThem) {
  HistoryPrinter p;
  std::string out;
  p.sinks.history = [&](std::string_view s) { out += s; };
  const char shown[] =
      "\x1FWhite Oath[02 12 02 59 03]Kujata\x1F\uE090 one[02 10 01 03]two[02 1D 01 03]{[02 2E 03 04 05 03]}";
  const std::string raw =
      "\x1FWhite Oath\x02\x12\x02\x59\x03Kujata\x1F\uE090 one\x02\x10\x01\x03two"
      "\x02\x1D\x01\x03{\x02\x2E\x03\x04\x05\x03}";
  std::string readable;
  append_with_raw_sequences(raw.data(), raw.size(), readable);
  print_entry(p, 0x5316F48C, 0x000A, shown, true);
  print_entry(p, 0x5316F48C, 0x000A, readable, false);
  flush_history(p);
  const std::string text_line = "2014-03-05 18:55:24 [Say] White Oath@Kujata: ① one two {{AT 3:4}}\n";
  EXPECT_EQ(out, text_line + text_line);

  out.clear();
  p.format = HistoryFormat::kJson;
  set_sender_filter("oath@kujata", p.filter);
  set_text_filter("two {{at 3:4}}", p.filter);
  print_entry(p, 0x5316F48C, 0x000A, shown, true);
  print_entry(p, 0x5316F48C, 0x000A, readable, false);
  flush_history(p);
  const std::string json_line =
      "{\"time\":\"2014-03-05T18:55:24+09:00\",\"unix\":1394013324,\"channel\":\"Say\",\"code\":10,"
      "\"sender\":\"White Oath@Kujata\",\"message\":\"① one\\ntwo {{AT 3:4}}\"}\n";
  EXPECT_EQ(out, json_line + json_line);
}

// C1 controls (NEL among them) and the line and paragraph separators are
// controls like the C0 ones: a space in a text line, escaped in JSON. The
// characters beside them in UTF-8 (no-break space, ellipsis) stay.
TEST(HistoryPrinter, C1ControlsAndSeparatorsAreShownAsControls) {
  HistoryPrinter p;
  std::string out;
  p.sinks.history = [&](std::string_view s) { out += s; };
  const char text[] =
      "::a\xC2\x85"
      "b\xE2\x80\xA8"
      "c\xE2\x80\xA9"
      "d\xC2\x9F"
      "e\xC2\x80"
      "f\x7F"
      "g\xC2\xA0"
      "h\xE2\x80\xA6"
      "i\xE2\x80\xAA"
      "j\xC2";
  print_entry(p, 0x5316F48C, 0x000A, text, false);
  flush_history(p);
  EXPECT_EQ(out, "2014-03-05 18:55:24 [Say] a b c d e f g\xC2\xA0h\xE2\x80\xA6i\xE2\x80\xAAj\xC2\n");

  out.clear();
  p.format = HistoryFormat::kJson;
  print_entry(p, 0x5316F48C, 0x000A, text, false);
  flush_history(p);
  EXPECT_EQ(out,
            "{\"time\":\"2014-03-05T18:55:24+09:00\",\"unix\":1394013324,\"channel\":\"Say\",\"code\":10,"
            "\"sender\":\"\",\"message\":\"a\\u0085b\\u2028c\\u2029d\\u009fe\\u0080f\\u007f"
            "g\xC2\xA0h\xE2\x80\xA6i\xE2\x80\xAAj\xC2\"}\n");
}

// A text line is written as it stands only when its fields hold no control
// character: one at any place of texts of any length (the text is looked at
// sixteen bytes at a time), beside the separators the split takes out or
// beyond them, shows as a space.
TEST(HistoryPrinter, ControlsAtAnyPlaceOfTextsOfAnyLength) {
  const char* const controls[] = {"\x1F", "\x01", "\n", "\xC2\x85", "\xE2\x80\xA8"};
  const struct {
    const char* head;  // before the message
    const char* sender;
  } forms[] = {{"\x1F"
                "Aaa\x1F",
                "Aaa: "},
               {"Aaa\x1F", "Aaa: "},
               {":Aaa:", "Aaa: "},
               {"", ""}};
  for (const auto& form : forms) {
    for (std::size_t length = 1; length <= 40; ++length) {
      for (std::size_t place = 0; place < length; ++place) {
        for (const char* control : controls) {
          std::string message(length, 'x');
          message.replace(place, 1, control);
          // Without a sender field, a unit separator splits the message itself.
          if (form.head[0] == '\0' && control[0] == '\x1F') continue;
          HistoryPrinter p;
          std::string out;
          p.sinks.history = [&](std::string_view s) { out += s; };
          print_entry(p, 0x5316F48C, 0x000A, std::string(form.head) + message, false);
          flush_history(p);
          std::string shown(length, 'x');
          shown[place] = ' ';
          ASSERT_EQ(out, "2014-03-05 18:55:24 [Say] " + std::string(form.sender) + shown + "\n")
              << form.head << " " << length << " " << place << " " << static_cast<int>(control[0] & 0xFF);
        }
      }
    }
  }
}

// A plain text line takes glyph stand-ins in on its way out, field by
// field; the same line comes out when the glyphs are replaced first (a
// field filter, a unit separator inside a field), and in every text form.
TEST(HistoryPrinter, GlyphsInEveryFieldForm) {
  const struct {
    const char* text;
    const char* line;
    const char* search;  // found in the message
  } cases[] = {
      {"\x1F\uE090"
       "Aaa\x1F\uE06F hi\uE03C",
       "①Aaa: → hi(HQ)", "i(hq"},
      {"Aaa\x1F\uE090 hi\x1Fthere", "Aaa: ① hi there", "① hi"},
      {"\x1F"
       "Aaa\x1F\uE090 hi\x1Fthere\uE0BB",
       "Aaa: ① hi there↗", "e↗"},
      {":Aaa\uE05D"
       "Bbb:\uE0BB x",
       "Aaa@Bbb: ↗ x", "↗"},
      {"\uE090 no sender \uE001\uE0FF", "① no sender \uE001\uE0FF", "sender"},
      {"\uE090"
       "Aaa\x1Fone",
       "①Aaa: one", "one"},
      {"\x1F\x1F\uE06F", "→", "→"},
      {"\x1F\"A\\a\"\x1F\uE06F \"q\"\uE03C\\", "\"A\\a\": → \"q\"(HQ)\\", "(hq)"},
      // More glyphs than the first look keeps places for, and one past U+E0FF.
      {"\x1F\uE090\uE091\uE092"
       "Aaa\x1F\uE06F\uE06F\uE06F\uE06F\uE06F\uE06F"
       "x\uE100",
       "①②③Aaa: →→→→→→x\uE100", "→x"},
      {"\x1F\uE090"
       "Aaa\x1F\uE06F\uE06F\uE06F\uE06F\uE06F\uE06F\uE06F"
       "x",
       "①Aaa: →→→→→→→x", "→x"},
  };
  for (const auto& c : cases) {
    std::string json[2];
    for (const bool filtered : {false, true}) {
      for (const HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
        HistoryPrinter p;
        p.format = format;
        std::string out;
        p.sinks.history = [&](std::string_view s) { out += s; };
        if (filtered) set_text_filter(c.search, p.filter);
        print_entry(p, 0x5316F48C, 0x000A, c.text, false);
        flush_history(p);
        if (format == HistoryFormat::kJson) {
          json[filtered] = out;
        } else {
          EXPECT_EQ(out, "2014-03-05 18:55:24 [Say] " + std::string(c.line) + "\n") << c.text << " " << filtered;
        }
      }
    }
    // A field filter takes the glyphs out before the fields are escaped.
    EXPECT_EQ(json[0], json[1]) << c.text;
    EXPECT_NE(json[0].find("\"channel\":\"Say\""), std::string::npos) << json[0];
  }
}

TEST(HistoryPrinter, LocalTimesAcrossMinutesAndDays) {
  LocalTimeCache cache;
  EXPECT_EQ(local_time_text(cache, 1394013324), "2014-03-05 18:55:24");
  EXPECT_EQ(local_time_text(cache, 1394013359), "2014-03-05 18:55:59");
  EXPECT_EQ(local_time_text(cache, 1394013360), "2014-03-05 18:56:00");
  EXPECT_EQ(local_time_text(cache, 1394013324), "2014-03-05 18:55:24");  // back in time
  EXPECT_EQ(local_time_text(cache, 1420037999), "2014-12-31 23:59:59");
  EXPECT_EQ(local_time_text(cache, 1420038000), "2015-01-01 00:00:00");
  EXPECT_EQ(iso_time_text(cache, 0xFFFFFFFF), "2106-02-07T15:28:15+09:00");
}

}  // namespace
}  // namespace tellwick
