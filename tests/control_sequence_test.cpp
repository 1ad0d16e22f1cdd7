#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chunkgen/splitmix64.h"
#include "gamelog/control_sequence.h"

namespace tellwick {
namespace {

const auto* u8(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

std::string rendered(const std::string& line, bool show) {
  char out[kRenderedLineCapacity];
  const std::size_t n = render_line(line.data(), line.size(), show, out);
  EXPECT_EQ(out[n], '\0');
  return std::string(out, n);
}

// The same line rendered from its parts, as the export renders it: the text
// read straight from an entry, once with nothing readable past it (an
// allocation of exactly its size, so that a read past its end is a read past
// the allocation), and followed by `more_of_the_file` bytes of its chunk
// file: bytes that would stop plain text or pass for it, which must not
// count. A short and a long follow-up take the rendering's two ways of
// reading ahead.
std::string rendered_from_entry(const std::string& line, bool show, std::size_t more_of_the_file) {
  std::vector<std::uint8_t> entry = {0xB5, 0xA1, 0x99, 0x53, 0x1D, 0x00, 0x00, 0x00};  // "5399A1B5001D"
  entry.insert(entry.end(), line.begin() + kEntryLinePrefix, line.end());
  const std::size_t length = entry.size();
  for (std::size_t i = 0; i < more_of_the_file; ++i) entry.push_back(i % 3 == 0 ? 0x02 : i % 3 == 1 ? 0x00 : 'z');
  ChunkEntry chunk_entry{entry.data(), length, entry.data() + entry.size()};
  char out[kRenderedLineCapacity];
  const std::size_t n = render_line(view_entry_line(chunk_entry), show, out);
  EXPECT_EQ(out[n], '\0');
  return std::string(out, n);
}

std::string stripped(const std::string& line) {
  char out[kEntryLineCapacity];
  const std::size_t n = strip_line(line.data(), line.size(), out);
  EXPECT_EQ(out[n], '\0');
  return std::string(out, n);
}

TEST(ControlSequence, PackedIntegerForms) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::int32_t value;
    int count;
  } cases[] = {
      {{0x00}, -1, 1},
      {{0x01}, 0, 1},
      {{0x04}, 3, 1},
      {{0xDF}, 0xDE, 1},
      {{0xE0}, 0xE0, 0},
      {{0xE5}, 0xE5, 0},
      {{0xEF}, 0xEF, 0},
      {{0xF0, 0x03}, 3, 2},
      {{0xF1, 0x02}, 0x200, 2},
      {{0xF2, 0x00, 0x05}, 5, 3},
      {{0xF2, 0x01, 0x02}, 0x102, 3},
      {{0xF3}, 0xF3, 0},
      {{0xF4}, 0xF4, 0},
      {{0xF5, 0x01, 0x02}, 0x10200, 3},
      {{0xF6, 0x01, 0x02, 0x03}, 0x10203, 4},
      {{0xF7}, 0xF7, 0},
      {{0xFF}, 0xFF, 0},
  };
  for (const Case& c : cases) {
    const PackedInt p = decode_packed_int(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(p.value, c.value) << int(c.bytes[0]);
    EXPECT_EQ(p.count, c.count) << int(c.bytes[0]);
  }
}

TEST(ControlSequence, LengthsOfTheSequenceTable) {
  struct Case {
    std::string sequence;
    std::size_t length;
    // clang-format off
  } cases[] = {
      {std::string("\x02\x13\x00", 3), 3},
      {std::string("\x02\x13\x04" "abc" "\x03", 7), 7},
      {std::string("\x02\x20\xF0\x03" "abc" "\x03", 8), 8},
      {std::string("\x02\x48\xF2\x00\x05" "abcde" "\x03", 11), 11},
      {std::string("\x02\x13\xE5", 3) + std::string(229, 'p'), 232},
      {std::string("\x02\x13\xF3", 3) + std::string(0xF3, 'p'), 0xF3 + 3},
      {std::string("\x02\x13\xF7", 3) + std::string(0xF7, 'p'), 0xF7 + 3},
  };
  // clang-format on
  for (const Case& c : cases) {
    const std::string line = "5399A1B5001D" + c.sequence + "after";
    EXPECT_EQ(control_sequence_length(u8(line), 12, line.size()), c.length) << c.length;
    EXPECT_EQ(control_sequence_length(u8(line), 11, line.size()), 0u);  // not a 0x02
  }
}

TEST(ControlSequence, VisualForm) {
  const std::uint8_t bytes[] = {0x02, 0x10, 0x01, 0x03};
  char out[64];
  ASSERT_EQ(visual_form(bytes, 4, out), 13u);
  EXPECT_EQ(std::string(out, 13), "[02 10 01 03]");
  const std::uint8_t high[] = {0x02, 0xAB, 0x00, 0xFF, 0x0C};
  ASSERT_EQ(visual_form(high, 5, out), 16u);
  EXPECT_EQ(std::string(out, 16), "[02 AB 00 FF 0C]");
}

TEST(ControlSequence, Renderings) {
  const std::string ok = std::string("5399A1B5001DOK\x02\x10\x01\x03", 18);
  struct Case {
    std::string line, shown, dropped, stripped;
    // clang-format off
  } cases[] = {
      {ok, "5399A1B5001DOK[02 10 01 03]\r\n", "5399A1B5001DOK\r\n", "5399A1B5001DOK"},
      {"5399A1B5001Dplain text", "5399A1B5001Dplain text\r\n", "5399A1B5001Dplain text\r\n",
       "5399A1B5001Dplain text"},
      // Two sequences back to back.
      {std::string("5399A1B5001Da\x02\x10\x01\x03\x02\x13\x00z", 22), "5399A1B5001Da[02 10 01 03][02 13 00]z\r\n",
       "5399A1B5001Daz\r\n", "5399A1B5001Daz"},
      // Zero bytes inside a sequence are jumped over; the text after it follows.
      {std::string("5399A1B5001D\x02\x48\xF2\x00\x05" "ab\0de" "\x03" "tail", 28),
       "5399A1B5001D[02 48 F2 00 05 61 62 00 64 65 03]tail\r\n", "5399A1B5001Dtail\r\n", "5399A1B5001Dtail"},
      // A zero byte outside a sequence ends the line.
      {std::string("5399A1B5001Dab\0cd", 17), "5399A1B5001Dab\r\n", "5399A1B5001Dab\r\n", "5399A1B5001Dab"},
      // Declared length past the end of the line: the sequence ends with the line.
      {std::string("5399A1B5001Dx\x02\x13\x20" "ab", 18), "5399A1B5001Dx[02 13 20 61 62]\r\n", "5399A1B5001Dx\r\n",
       "5399A1B5001Dx"},
      // 0x02 in the last two positions of the line.
      {std::string("5399A1B5001Dx\x02\x13", 15), "5399A1B5001Dx[02 13]\r\n", "5399A1B5001Dx\r\n", "5399A1B5001Dx"},
      {std::string("5399A1B5001Dx\x02", 14), "5399A1B5001Dx[02]\r\n", "5399A1B5001Dx\r\n", "5399A1B5001Dx"},
      // 0xF6 declares some 16 million bytes; only the line is consumed.
      {std::string("5399A1B5001D\x02\x01\xF6\xFF\xFF\xFF", 18), "5399A1B5001D[02 01 F6 FF FF FF]\r\n",
       "5399A1B5001D\r\n", "5399A1B5001D"},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(rendered(c.line, true), c.shown);
    EXPECT_EQ(rendered(c.line, false), c.dropped);
    EXPECT_EQ(stripped(c.line), c.stripped);
  }
}

TEST(ControlSequence, LongSequencesAreShownWhole) {
  // A 400-byte sequence: more than a 1024-byte visual form would hold.
  std::string seq = std::string("\x02\x13\xF0", 3) + static_cast<char>(0xFF) + std::string(0xFF, 'q') + "\x03";
  seq += std::string("\x02\x13\xF2\x00\x8A", 5) + std::string(0x8A, 'r') + "\x03";
  const std::string line = "5399A1B5001D" + seq + "end";
  const std::string shown = rendered(line, true);
  EXPECT_EQ(shown.size(), 12 + (3 * 260 + 1) + (3 * 144 + 1) + 3 + 2);
  EXPECT_EQ(shown.substr(shown.size() - 5), "end\r\n");
  EXPECT_EQ(rendered(line, false), "5399A1B5001Dend\r\n");
}

TEST(ControlSequence, WorstCaseRenderingFitsItsBuffer) {
  // The longest possible entry line made only of three-byte sequences.
  std::string line = "5399A1B5001D";
  while (line.size() + 3 <= kEntryLineCapacity - 1) line += std::string("\x02\x13\x00", 3);
  ASSERT_EQ(line.size(), kEntryLineCapacity - 1);
  const std::string shown = rendered(line, true);
  EXPECT_LT(shown.size(), kRenderedLineCapacity);
  EXPECT_EQ(shown.substr(12, 10), "[02 13 00]");
  EXPECT_EQ(shown.size(), 12 + 337 * 10 + 2);
}

// The renderings pass plain text on a block at a time; held here to the
// scan that takes one byte at a time, on lines full of what stops a block:
// sequence starts, zero bytes, 0x01, at every position and line length.
std::string scanned_byte_by_byte(const std::string& line, bool keep_sequences) {
  const auto* bytes = u8(line);
  std::string out;
  std::size_t pos = 0;
  while (pos < line.size() && bytes[pos] != 0) {
    const std::size_t length = control_sequence_length(bytes, pos, line.size());
    if (length == 0) {
      out += line[pos++];
      continue;
    }
    if (keep_sequences) {
      char form[kRenderedLineCapacity];  // a sequence is never longer than the line
      out.append(form, visual_form(bytes + pos, length, form));
    }
    pos += length;
  }
  return out;
}

TEST(ControlSequence, WordAtATimeScanMatchesTheByteScan) {
  chunkgen::SplitMix64 rng{11};
  const char kStops[] = {'\0', '\x01', '\x02', '\x03', '\xE0', '\xF2'};
  for (int round = 0; round < 20000; ++round) {
    std::string line = "5399A1B5001D";
    const std::size_t length = rng.below(round % 10 == 0 ? 1011 : 64);
    const std::uint32_t stop_one_in = rng.between(2, 40);
    for (std::size_t i = 0; i < length; ++i) {
      line += rng.one_in(stop_one_in) ? kStops[rng.below(sizeof kStops)] : static_cast<char>(rng.between(3, 0xFF));
    }
    ASSERT_EQ(rendered(line, true), scanned_byte_by_byte(line, true) + "\r\n") << round;
    ASSERT_EQ(rendered(line, false), scanned_byte_by_byte(line, false) + "\r\n") << round;
    ASSERT_EQ(stripped(line), scanned_byte_by_byte(line, false)) << round;
    for (std::size_t more : {0, 40, 100}) {
      ASSERT_EQ(rendered_from_entry(line, true, more), scanned_byte_by_byte(line, true) + "\r\n") << round;
      ASSERT_EQ(rendered_from_entry(line, false, more), scanned_byte_by_byte(line, false) + "\r\n") << round;
    }
  }
}

}  // namespace
}  // namespace tellwick
