// An entry becomes its entry line: eight hex digits of the entry time, four
// of the entry code, then the entry's text bytes, zero-terminated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gamelog/chunk_view.h"
#include "gamelog/hex_digits.h"

namespace tellwick {

constexpr std::size_t kEntryLinePrefix = 12;
// The terminator included.
constexpr std::size_t kEntryLineCapacity = 1024;
constexpr std::size_t kMaxEntryLength = kEntryLineCapacity - 1 - kEntryLinePrefix + 8;  // 1019 bytes

// An entry line in its two parts, which the export renders without building
// the line: the prefix of hex digits, and the entry's own text, cut as
// build_entry_line cuts it.
struct EntryLineView {
  char prefix[kEntryLinePrefix];
  const char* text;
  std::size_t text_length;
  // Where the bytes that may be read end, at or past the text's end: a
  // rendering reads ahead in blocks, and an entry's bytes are followed by
  // the rest of its chunk file.
  const char* readable_end;
};

// The view of an entry of `length` bytes (at least 8); `text` points into the
// entry, and nothing past the entry is read.
EntryLineView view_entry_line(const std::uint8_t* entry, std::size_t length);
// The same for an entry of a chunk file, whose bytes up to the end of the
// file may be read.
EntryLineView view_entry_line(const ChunkEntry& entry);

// Writes the entry line of an entry of `length` bytes (at least 8) into
// `line`, which holds kEntryLineCapacity bytes, and returns its length
// without the terminator. An entry longer than kMaxEntryLength has its text
// cut to fit, before any UTF-8 character that would not fit whole.
std::size_t build_entry_line(const std::uint8_t* entry, std::size_t length, char* line);

// 0..15 for a hex digit of either case, -1 for any other character. Read
// for every byte of every entry line prefix, so it is kept inline.
inline int hex_digit_value(int c) { return c >= 0 && c < 256 ? kHexValues.value[c] : -1; }

// The entry time read back from the first eight characters of a line.
std::uint32_t entry_time_of_line(const char* line);

}  // namespace tellwick
