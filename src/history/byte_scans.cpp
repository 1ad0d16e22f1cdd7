#include "history/byte_scans.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tellwick {
namespace {

#if defined(__SSE2__)
__m128i load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

std::size_t sum_bytes(__m128i counts) {
  const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
  return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
         static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
}
#endif

std::uint32_t unit_at(const std::uint8_t* data, std::size_t i) {
  return data[i] | static_cast<std::uint32_t>(data[i + 1]) << 8;
}

}  // namespace

std::size_t newlines_in(const std::uint8_t* data, std::size_t size) {
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Each match takes one from its byte of `counts`, which is summed before
  // any byte can wrap.
  const __m128i newline = _mm_set1_epi8('\n');
  while (i + 16 <= size) {
    __m128i counts = _mm_setzero_si128();
    for (int round = 0; round < 255 && i + 16 <= size; ++round, i += 16) {
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(load(data + i), newline));
    }
    count += sum_bytes(counts);
  }
#endif
  for (; i < size; ++i) count += data[i] == '\n';
  return count;
}

std::size_t wide_newlines_in(const std::uint8_t* data, std::size_t size) {
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // A matching unit sets both its bytes: each counts one half.
  const __m128i newline = _mm_set1_epi16('\n');
  while (i + 16 <= size) {
    __m128i counts = _mm_setzero_si128();
    for (int round = 0; round < 255 && i + 16 <= size; ++round, i += 16) {
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi16(load(data + i), newline));
    }
    count += sum_bytes(counts) / 2;
  }
#endif
  for (; i + 1 < size; i += 2) count += unit_at(data, i) == '\n';
  return count;
}

bool has_surrogate(const std::uint8_t* data, std::size_t size) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i mask = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
  __m128i seen = _mm_setzero_si128();
  for (; i + 16 <= size; i += 16) {
    seen = _mm_or_si128(seen, _mm_cmpeq_epi16(_mm_and_si128(load(data + i), mask), surrogate));
  }
  if (_mm_movemask_epi8(seen) != 0) return true;
#endif
  for (; i + 1 < size; i += 2) {
    if ((unit_at(data, i) & 0xF800) == 0xD800) return true;
  }
  return false;
}

std::size_t next_wide_unit_in_block(const std::uint8_t* data, std::size_t size, std::size_t from, std::uint8_t high) {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i mask = _mm_set1_epi16(static_cast<short>(0xFF00));
  const __m128i block = _mm_set1_epi16(static_cast<short>(high << 8));
  for (; i + 16 <= size; i += 16) {
    const int hits = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(load(data + i), mask), block));
    if (hits != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
  }
#endif
  for (; i + 1 < size; i += 2) {
    if (data[i + 1] == high) return i;
  }
  return size;
}

}  // namespace tellwick
