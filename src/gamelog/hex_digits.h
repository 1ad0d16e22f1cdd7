// Hex digits: upper-case ones two per byte, for the text the exporter builds
// for every entry (the entry line prefix and the visual form of sequences),
// and both cases for the file names and the keys that spell numbers in hex.
#pragma once

#include <cstdint>
#include <cstring>

namespace tellwick {

inline constexpr char kHexUpper[] = "0123456789ABCDEF";
inline constexpr char kHexLower[] = "0123456789abcdef";

struct HexPairs {
  char digits[256][2];
};

constexpr HexPairs make_hex_pairs() {
  HexPairs pairs{};
  for (int b = 0; b < 256; ++b) {
    pairs.digits[b][0] = kHexUpper[b >> 4];
    pairs.digits[b][1] = kHexUpper[b & 0xF];
  }
  return pairs;
}

inline constexpr HexPairs kHexPairs = make_hex_pairs();

// Writes the two digits of the low byte of `value`.
inline void put_hex_byte(char* out, std::uint32_t value) { std::memcpy(out, kHexPairs.digits[value & 0xFF], 2); }

}  // namespace tellwick
