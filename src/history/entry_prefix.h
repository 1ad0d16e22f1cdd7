// The twelve hex digits that start every entry line (entry time, entry
// code), told and taken in one go: every line of every file read back goes
// through this, so it is inlined where lines are split.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "gamelog/entry_line.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tellwick {

// Whether `line` starts with the digits, and the time and code they give.
[[gnu::always_inline]] inline bool parse_entry_prefix(std::string_view line, std::uint32_t& time, std::uint32_t& code) {
  if (line.size() < kEntryLinePrefix) return false;
#if defined(__SSE2__)
  // Read for every line of every file: the twelve digits are told and
  // taken in one go. Only they are loaded, as a line may end the buffer.
  std::uint64_t first8;
  std::uint32_t last4;
  std::memcpy(&first8, line.data(), 8);
  std::memcpy(&last4, line.data() + 8, 4);
  const __m128i c =
      _mm_unpacklo_epi64(_mm_cvtsi64_si128(static_cast<long long>(first8)), _mm_cvtsi32_si128(static_cast<int>(last4)));
  // A byte lies in [low, low + count) when, moved so that low lands on the
  // smallest signed byte, it is below the smallest plus count.
  const auto in_range = [](__m128i bytes, int low, int count) {
    const __m128i moved = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(low + 128)));
    return _mm_cmplt_epi8(moved, _mm_set1_epi8(static_cast<char>(-128 + count)));
  };
  const __m128i lower = _mm_or_si128(c, _mm_set1_epi8(0x20));
  const __m128i digit = in_range(c, '0', 10);
  const __m128i letter = in_range(lower, 'a', 6);
  // The four bytes past the digits are zero and count as digits.
  const int valid = _mm_movemask_epi8(_mm_or_si128(digit, letter)) | 0xF000;
  if (valid != 0xFFFF) return false;
  const __m128i value = _mm_or_si128(_mm_and_si128(digit, _mm_sub_epi8(c, _mm_set1_epi8('0'))),
                                     _mm_and_si128(letter, _mm_sub_epi8(lower, _mm_set1_epi8('a' - 10))));
  // Two digits to a byte, the first the high one.
  const __m128i pairs =
      _mm_or_si128(_mm_slli_epi16(_mm_and_si128(value, _mm_set1_epi16(0xFF)), 4), _mm_srli_epi16(value, 8));
  const auto packed = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_packus_epi16(pairs, pairs)));
  time = __builtin_bswap32(static_cast<std::uint32_t>(packed));
  code = static_cast<std::uint32_t>((packed >> 32 & 0xFF) << 8 | (packed >> 40 & 0xFF));
  return true;
#else
  const auto* digits = reinterpret_cast<const unsigned char*>(line.data());
  std::uint64_t value = 0;
  int faults = 0;
  for (std::size_t i = 0; i < kEntryLinePrefix; ++i) {
    const int digit = kHexValues.value[digits[i]];
    faults |= digit;  // only -1 sets the sign bit
    value = value << 4 | static_cast<std::uint64_t>(digit & 0xF);
  }
  if (faults < 0) return false;
  time = static_cast<std::uint32_t>(value >> 16);
  code = static_cast<std::uint32_t>(value & 0xFFFF);
  return true;
#endif
}

}  // namespace tellwick
