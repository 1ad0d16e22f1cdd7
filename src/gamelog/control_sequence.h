// Control sequences: runs of game markup inside entry text, starting at any
// byte 0x02. Only their length matters: a rendering either drops them or
// shows their bytes as hex ("[02 10 01 03]").
#pragma once

#include <cstddef>
#include <cstdint>

#include "gamelog/entry_line.h"

namespace tellwick {

constexpr std::uint8_t kControlStart = 0x02;

// A shown sequence of T bytes takes 3T + 1 characters, so the rendered form of
// an entry line can grow past the line's own 1023 bytes: at worst 1011 text
// bytes of three-byte sequences, each shown in ten characters, plus the
// prefix and CR LF, which stays below this capacity. No rendered line is cut.
constexpr std::size_t kRenderedLineCapacity = 4096;  // terminator included

struct PackedInt {
  std::int32_t value;  // the declared payload length v
  int count;           // bytes the integer occupies, 0 to 4
};

// Decodes the packed integer at `p`, of which `available` bytes exist; bytes
// past them count as zero and are never read.
PackedInt decode_packed_int(const std::uint8_t* p, std::size_t available);

// The length T of the sequence starting at `line[pos]`, or 0 when that byte
// is not 0x02. A sequence whose declared length runs past the end of the line
// ends at the end of the line.
std::size_t control_sequence_length(const std::uint8_t* line, std::size_t pos, std::size_t line_length);

// Writes "[XX XX ... XX]" for `length` bytes (at least 1) and returns its
// length, 3 * length + 1. `out` must hold that many characters.
std::size_t visual_form(const std::uint8_t* sequence, std::size_t length, char* out);

// The rendered line of an entry line (at most kEntryLineCapacity - 1 bytes):
// sequences shown (show) or dropped, CR LF appended, zero-terminated in `out`
// (kRenderedLineCapacity bytes). Returns its length without the terminator.
// A zero byte outside a sequence ends the line. Plain text is copied a block
// at a time, so bytes of `out` past the terminator may change too.
std::size_t render_line(const char* line, std::size_t line_length, bool show, char* out);

// render_line of the entry line that `view` stands for, read from its two
// parts. The prefix holds only hex digits, so it renders as itself.
std::size_t render_line(const EntryLineView& view, bool show, char* out);

// The stripped line: every sequence dropped, no CR LF, zero-terminated in
// `out` (kEntryLineCapacity bytes; never more than the line's own length is
// touched). Returns its length.
std::size_t strip_line(const char* line, std::size_t line_length, char* out);

}  // namespace tellwick
