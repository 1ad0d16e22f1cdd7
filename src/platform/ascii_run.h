// Runs of ASCII in UTF-8 text, found eight bytes at a time: most of a game
// log line is ASCII, and ASCII converts to itself in UTF-16 and in every
// ANSI code page the program meets.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

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

// The number of ASCII bytes at the start of four bytes read little-endian.
inline std::size_t leading_ascii_of_four(std::uint32_t four) { return leading_ascii(four | 0x8080808000000000ULL); }

// Four ASCII bytes, read little-endian, as four UTF-16 code units.
inline void widen_four(std::uint32_t four, char16_t* out) {
  std::uint64_t units = (four | static_cast<std::uint64_t>(four) << 16) & 0x0000FFFF0000FFFFULL;
  units = (units | units << 8) & 0x00FF00FF00FF00FFULL;
  std::memcpy(out, &units, sizeof units);
}

// Eight ASCII bytes, read little-endian, as eight UTF-16 code units.
inline void widen_eight(std::uint64_t word, char16_t* out) {
#if defined(__SSE2__) && defined(__x86_64__)  // 64-bit moves between general and SSE registers
  const __m128i bytes = _mm_cvtsi64_si128(static_cast<long long>(word));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
#else
  widen_four(static_cast<std::uint32_t>(word), out);
  widen_four(static_cast<std::uint32_t>(word >> 32), out + 4);
#endif
}

// Whole words of ASCII stored as bytes or as UTF-16 code units.
inline void store_ascii(std::uint64_t word, char* out) { std::memcpy(out, &word, 8); }
inline void store_ascii(std::uint64_t word, char16_t* out) { widen_eight(word, out); }
inline void store_ascii(std::uint32_t four, char* out) { std::memcpy(out, &four, 4); }
inline void store_ascii(std::uint32_t four, char16_t* out) { widen_four(four, out); }
#if defined(__SSE2__) && defined(__x86_64__)
inline void store_ascii(__m128i sixteen, char* out) { _mm_storeu_si128(reinterpret_cast<__m128i*>(out), sixteen); }
inline void store_ascii(__m128i sixteen, char16_t* out) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(sixteen, _mm_setzero_si128()));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(sixteen, _mm_setzero_si128()));
}
#endif

// Puts the ASCII at the start of `s`, at most `limit` bytes of it, to `out`
// as units of its type, and returns how many there are. Sixteen, eight and
// four bytes are stored at a time, of which only the leading ASCII counts,
// so `out` must have room for `limit` units.
template <typename Unit>
inline std::size_t put_ascii_run(const std::uint8_t* s, std::size_t limit, Unit* out) {
  std::size_t n = 0;
#if defined(__SSE2__) && defined(__x86_64__)
  for (; limit - n >= 16; n += 16) {
    const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n));
    store_ascii(sixteen, out + n);
    const auto high = static_cast<unsigned>(_mm_movemask_epi8(sixteen));
    if (high != 0) return n + static_cast<std::size_t>(std::countr_zero(high));
  }
#endif
  for (; limit - n >= 8; n += 8) {
    std::uint64_t word;
    std::memcpy(&word, s + n, 8);
    store_ascii(word, out + n);
    const std::size_t ascii = leading_ascii(word);
    if (ascii < 8) return n + ascii;
  }
  if (limit - n >= 4) {
    std::uint32_t four;
    std::memcpy(&four, s + n, 4);
    store_ascii(four, out + n);
    const std::size_t ascii = leading_ascii_of_four(four);
    if (ascii < 4) return n + ascii;
    n += 4;
  }
  for (; n < limit && s[n] < 0x80; ++n) out[n] = static_cast<Unit>(s[n]);
  return n;
}

// ASCII bytes as UTF-16 code units.
inline void widen_ascii(const std::uint8_t* s, std::size_t count, char16_t* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = s[i];
}

}  // namespace tellwick
