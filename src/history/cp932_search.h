// Searching export files in code page 932 without decoding them: the search
// text in the file's own bytes, where the bytes can say for certain.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tellwick {

// The bytes of `needle` (UTF-8) in code page 932, when each of its
// characters comes from one byte sequence only, so that every place the
// decoded text holds it, the bytes hold these. False for a character that
// other bytes decode to as well (U+30FB "・", which stands in for every
// character without a mapping, among them) or that has no bytes at all.
bool cp932_needle(std::string_view needle, std::string& bytes);

// User-defined characters of lead byte F0 or F1, where the game's glyphs
// lie: bit (lead & 1) << 8 | trail.
using NarrowGlyphs = std::bitset<512>;

// Whether every character of `data` is decoded by the table alone: no
// bytes without a mapping, no lead byte without its trail. In such bytes a
// line end is a line end, and ASCII is ASCII. When they are, `found` holds
// the offsets of the characters of `wanted`, in order.
bool cp932_bytes_are_plain(const std::uint8_t* data, std::size_t size, const NarrowGlyphs& wanted,
                           std::vector<std::size_t>& found);
bool cp932_bytes_are_plain(const std::uint8_t* data, std::size_t size);

}  // namespace tellwick
