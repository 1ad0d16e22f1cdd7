// Runs of ASCII in UTF-8 text, found eight bytes at a time: most of a game
// log line is ASCII, and ASCII converts to itself in UTF-16 and in every
// ANSI code page the program meets.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tellwick {

static_assert(std::endian::native == std::endian::little, "words are read with their first byte lowest");

// The number of ASCII bytes at the start of `s`, looking at no more than
// `limit` of its bytes.
inline std::size_t ascii_run(const std::uint8_t* s, std::size_t limit) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::size_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    std::uint64_t word;
    std::memcpy(&word, s + n, 8);
    if ((word & kHighBits) != 0) break;
  }
  while (n < limit && s[n] < 0x80) ++n;
  return n;
}

// The number of ASCII bytes at the start of eight bytes read little-endian.
inline std::size_t leading_ascii(std::uint64_t word) {
  const std::uint64_t high = word & 0x8080808080808080ULL;
  return high == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(high)) / 8;
}

// ASCII bytes as UTF-16 code units.
inline void widen_ascii(const std::uint8_t* s, std::size_t count, char16_t* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = s[i];
}

}  // namespace tellwick
