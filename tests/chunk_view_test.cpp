#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "chunkgen/splitmix64.h"
#include "gamelog/chunk_view.h"
#include "gamelog/entry_line.h"

namespace tellwick {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put_u32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A chunk file with the given header and end offsets, followed by `area`.
Bytes chunk(std::uint32_t first, std::uint32_t end, const std::vector<std::uint32_t>& offsets, const Bytes& area) {
  Bytes b;
  put_u32(b, first);
  put_u32(b, end);
  for (std::uint32_t o : offsets) put_u32(b, o);
  b.insert(b.end(), area.begin(), area.end());
  return b;
}

Bytes entry(std::uint32_t time, std::uint32_t code, const std::string& text) {
  Bytes b;
  put_u32(b, time);
  put_u32(b, code);
  b.insert(b.end(), text.begin(), text.end());
  return b;
}

// Every decodable entry of the file as its entry line; "-" for a skipped one.
std::vector<std::string> lines_of(const Bytes& file) {
  ChunkView view;
  std::vector<std::string> lines;
  if (!open_chunk_view(file.data(), file.size(), view)) return {"no view"};
  for (std::uint32_t k = 0; k < view.entry_count; ++k) {
    ChunkEntry e;
    if (!chunk_entry(view, k, e)) {
      lines.push_back("-");
      continue;
    }
    char line[kEntryLineCapacity];
    const std::size_t n = build_entry_line(e.bytes, e.length, line);
    EXPECT_EQ(line[n], '\0');
    lines.emplace_back(line, n);
  }
  return lines;
}

// clang-format off
const Bytes kWorkedExample = {
    0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x19, 0x00, 0x00, 0x00,
    0xB4, 0xA1, 0x99, 0x53, 0x39, 0x00, 0x00, 0x00, 0x48, 0x69, 0x21, 0xB5, 0xA1, 0x99, 0x53, 0x1D,
    0x00, 0x00, 0x00, 0x4F, 0x4B, 0x02, 0x10, 0x01, 0x03};
// clang-format on

TEST(ChunkView, WorkedExampleDecodesByteForByte) {
  ChunkView view;
  ASSERT_TRUE(open_chunk_view(kWorkedExample.data(), kWorkedExample.size(), view));
  EXPECT_EQ(view.first_index, 0u);
  EXPECT_EQ(view.end_index, 2u);
  EXPECT_EQ(view.entry_count, 2u);
  EXPECT_TRUE(view.complete);

  ChunkEntry e0, e1;
  ASSERT_TRUE(chunk_entry(view, 0, e0));
  ASSERT_TRUE(chunk_entry(view, 1, e1));
  EXPECT_EQ(e0.length, 11u);
  EXPECT_EQ(e1.length, 14u);

  char line[kEntryLineCapacity];
  ASSERT_EQ(build_entry_line(e0.bytes, e0.length, line), 15u);
  EXPECT_EQ(std::string(line, 16), std::string("5399A1B40039Hi!\0", 16));
  EXPECT_EQ(entry_time_of_line(line), 0x5399A1B4u);

  ASSERT_EQ(build_entry_line(e1.bytes, e1.length, line), 18u);
  EXPECT_EQ(std::string(line, 19), std::string("5399A1B5001DOK\x02\x10\x01\x03\0", 19));
  EXPECT_EQ(entry_time_of_line(line), 0x5399A1B5u);
}

TEST(ChunkView, EntryCodesAndTimesInThePrefix) {
  struct Case {
    std::uint32_t time, code;
    const char* line;
  } cases[] = {
      {0x5399A1B4, 0x39, "5399A1B40039"},
      {0x5399A1B4, 0x12345, "5399A1B41234x"},  // only the first four digits stand before the text
      {0, 0, "000000000000"},
      {0xFFFFFFFF, 0xFFFFFFFF, "FFFFFFFFFFFF"},
      {0x0000000A, 0xABCD, "0000000AABCD"},
  };
  for (const Case& c : cases) {
    const std::string text = c.code == 0x12345 ? "x" : "";
    const Bytes e = entry(c.time, c.code, text);
    char line[kEntryLineCapacity];
    const std::size_t n = build_entry_line(e.data(), e.size(), line);
    EXPECT_EQ(std::string(line, n), c.line);
    EXPECT_EQ(entry_time_of_line(line), c.time);
  }
  // Every digit value in every position, against the C library's "%08X%04X".
  chunkgen::SplitMix64 rng{7};
  for (int round = 0; round < 20000; ++round) {
    const std::uint32_t time = static_cast<std::uint32_t>(rng.next());
    const std::uint32_t code = static_cast<std::uint32_t>(rng.next() & 0xFFFF);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%08X%04X", static_cast<unsigned>(time), static_cast<unsigned>(code));
    const Bytes e = entry(time, code, "");
    char line[kEntryLineCapacity];
    ASSERT_EQ(std::string(line, build_entry_line(e.data(), e.size(), line)), expected) << round;
  }
}

TEST(ChunkView, HexDigitValues) {
  const std::string digits = "0123456789ABCDEFabcdef";
  const int values[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15};
  for (std::size_t i = 0; i < digits.size(); ++i) EXPECT_EQ(hex_digit_value(digits[i]), values[i]) << digits[i];
  for (int c : {int{'G'}, int{'g'}, int{' '}, int{'/'}, int{':'}, int{'@'}, int{'`'}, 0, -1, -128, 0xE3})
    EXPECT_EQ(hex_digit_value(c), -1) << c;
  // A non-digit counts as -1 (all bits set) in the running total.
  EXPECT_EQ(entry_time_of_line("0000000G"), 0xFFFFFFFFu);
}

TEST(ChunkView, FileWithoutEntries) {
  const Bytes empty = chunk(5, 5, {}, {});
  ChunkView view;
  ASSERT_TRUE(open_chunk_view(empty.data(), empty.size(), view));
  EXPECT_EQ(view.entry_count, 0u);
  EXPECT_EQ(view.first_index, 5u);
  EXPECT_EQ(view.end_index, 5u);
  // An end index below the first index holds no entries either; nothing after the header is read.
  const Bytes backwards = chunk(7, 3, {}, {});
  ASSERT_TRUE(open_chunk_view(backwards.data(), backwards.size(), view));
  EXPECT_EQ(view.entry_count, 0u);
}

Bytes first_bytes(const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + n); }

// Files that break the layout: nothing outside the buffer is read, and each
// bad entry is skipped alone, its neighbours decoded from their own offsets.
TEST(ChunkView, DamagedFilesDecodeWhatIsThere) {
  Bytes abc = entry(1, 0x0A, "aa");  // entries of 10, 12 and 9 bytes
  for (const Bytes& more : {entry(2, 0x0A, "bbbb"), entry(3, 0x0A, "c")})
    abc.insert(abc.end(), more.begin(), more.end());
  const Bytes whole = chunk(0, 3, {10, 22, 31}, abc);
  const std::string a = "00000001000Aaa", b = "00000002000Abbbb", c = "00000003000Ac";

  struct Case {
    const char* what;
    Bytes file;
    std::vector<std::string> lines;
    bool complete;
    // clang-format off
  } cases[] = {
      {"whole file", whole, {a, b, c}, true},
      {"shorter than its header", first_bytes(whole, 6), {"no view"}, false},
      {"table cut short", first_bytes(whole, 14), {}, false},
      {"end index far beyond the file", chunk(0, 0xFFFFFFFF, {10}, abc), {}, false},
      {"last entry cut short", first_bytes(whole, whole.size() - 4), {a, b, "-"}, false},
      // Entry 1 is 4 bytes; entry 2 then starts inside it, at offset 14.
      {"entry shorter than 8 bytes", chunk(0, 3, {10, 14, 31}, abc),
       {a, "-", std::string("0000000A6262\x03\0\0\0\x0A\0\0\0c", 21)}, true},
      {"end offset past the file", chunk(0, 3, {10, 0x7FFFFFFF, 31}, abc), {a, "-", "-"}, true},
      // Entry 1 ends before it starts; entry 2 then starts at that offset:
      // an odd line from inside entry 0, but read within the buffer.
      {"end offset decreasing", chunk(0, 3, {10, 2, 31}, abc),
       {a, "-", std::string("000A00006161\x02\0\0\0\x0A\0\0\0bbbb\x03\0\0\0\x0A\0\0\0c", 33)}, true},
  };
  // clang-format on
  for (const Case& k : cases) {
    ChunkView view;
    if (open_chunk_view(k.file.data(), k.file.size(), view)) {
      EXPECT_EQ(view.complete, k.complete) << k.what;
    }
    EXPECT_EQ(lines_of(k.file), k.lines) << k.what;
  }
}

TEST(ChunkView, EntryOfEightBytesHasNoText) {
  const Bytes e = entry(0x5399A1B4, 0x39, "");
  char line[kEntryLineCapacity];
  EXPECT_EQ(build_entry_line(e.data(), e.size(), line), 12u);
  EXPECT_STREQ(line, "5399A1B40039");
}

TEST(ChunkView, OverlongEntryIsCutOnACharacterBoundary) {
  // 1011 text bytes fit exactly; an entry of 1019 bytes is taken whole.
  const Bytes fits = entry(1, 2, std::string(1011, 'x'));
  ASSERT_EQ(fits.size(), kMaxEntryLength);
  char line[kEntryLineCapacity];
  EXPECT_EQ(build_entry_line(fits.data(), fits.size(), line), 1023u);
  EXPECT_EQ(line[1023], '\0');

  // Longer: cut to 1023 bytes, but never in the middle of a UTF-8 character.
  const Bytes ascii = entry(1, 2, std::string(5000, 'y'));
  EXPECT_EQ(build_entry_line(ascii.data(), ascii.size(), line), 1023u);
}

// A character whose bytes run past the 1011th text byte is left out whole:
// the cut backs up over one, two or three continuation bytes to its first
// byte. One that ends exactly at the limit stays.
TEST(ChunkView, OverlongEntryLeavesOutTheCharacterThatStraddlesTheLimit) {
  struct Case {
    std::size_t lead;       // text position of the character's first byte
    const char* character;  // its UTF-8 bytes
    std::size_t kept;       // text bytes in the line
    // clang-format off
  } cases[] = {
      {1008, "\xF0\x9F\x98\x80", 1008},  // U+1F600: three bytes past the limit, three back-up steps
      {1009, "\xF0\x9F\x98\x80", 1009},
      {1010, "\xF0\x9F\x98\x80", 1010},
      {1011, "\xF0\x9F\x98\x80", 1011},  // begins just past the limit: nothing to back up
      {1007, "\xF0\x9F\x98\x80", 1011},  // ends at the limit: kept whole
      {1009, "\xE3\x81\x82", 1009},      // あ
      {1010, "\xE3\x81\x82", 1010},
      {1008, "\xE3\x81\x82", 1011},
      {1010, "\xC3\xA9", 1010},          // é
      {1009, "\xC3\xA9", 1011},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "lead byte at " << c.lead << ", " << std::strlen(c.character) << " bytes");
    const std::string text = std::string(c.lead, 'z') + c.character + "tail";
    const Bytes e = entry(1, 2, text);
    char line[kEntryLineCapacity];
    const std::size_t n = build_entry_line(e.data(), e.size(), line);
    ASSERT_EQ(n, kEntryLinePrefix + c.kept);
    EXPECT_EQ(std::string(line + kEntryLinePrefix, c.kept), text.substr(0, c.kept));
    EXPECT_EQ(line[n], '\0');
  }
}

}  // namespace
}  // namespace tellwick
