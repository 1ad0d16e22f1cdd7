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

// The value of each byte as a hex digit, -1 for any other byte.
struct HexValues {
  signed char value[256];
};

constexpr HexValues make_hex_values() {
  HexValues values{};
  for (int c = 0; c < 256; ++c) {
    values.value[c] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                                      : -1);
  }
  return values;
}

inline constexpr HexValues kHexValues = make_hex_values();

// Writes the two digits of the low byte of `value`.
inline void put_hex_byte(char* out, std::uint32_t value) { std::memcpy(out, kHexPairs.digits[value & 0xFF], 2); }

// The eight upper-case digits of `value`, most significant first, as the
// bytes of a word stored little-endian. Every entry line starts with twelve
// digits that are read back as whole words right away; made a nibble to a
// byte and stored whole, they can be, where digits stored two at a time
// would stall the reads.
inline std::uint64_t hex_digits_word(std::uint32_t value) {
  std::uint64_t x = value;
  x = (x | x << 16) & 0x0000FFFF0000FFFFULL;
  x = (x | x << 8) & 0x00FF00FF00FF00FFULL;
  x = (x | x << 4) & 0x0F0F0F0F0F0F0F0FULL;  // byte k holds nibble k, the least significant first
  const std::uint64_t letters = ((x + 0x0606060606060606ULL) >> 4) & 0x0101010101010101ULL;  // nibbles above 9
  x += 0x3030303030303030ULL + 7 * letters;
  return __builtin_bswap64(x);
}

}  // namespace tellwick
