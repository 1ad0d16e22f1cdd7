// Game text is UTF-8 that nobody checked: an export file in the UTF-8
// charset holds its bytes exactly as the chunk files did. Readers print it
// with every ill-formed sequence replaced by U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tellwick {

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";  // U+FFFD

// The position of the first ill-formed sequence, or text.size().
std::size_t first_invalid_utf8(std::string_view text);

// Appends `text` to `out` with each ill-formed sequence (each maximal part
// of a sequence that cannot be completed) replaced by U+FFFD; returns how
// many were replaced.
std::size_t append_repaired_utf8(std::string_view text, std::string& out);

// Counts of the multi-byte sequences in `text`, for telling UTF-8 from
// another charset.
struct Utf8Census {
  std::size_t well_formed = 0;  // sequences of two bytes or more
  std::size_t ill_formed = 0;
};
Utf8Census utf8_census(std::string_view text);

}  // namespace tellwick
