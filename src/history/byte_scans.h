// Scans over the raw bytes of export file pieces, sixteen bytes at a time
// where the processor can: reading a file back looks at every byte once or
// twice, and decodes only what it must.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tellwick {

// Line ends in bytes of a charset that has them as the one byte 0x0A.
std::size_t newlines_in(const std::uint8_t* data, std::size_t size);

// Line ends in UTF-16 little-endian code units (0x000A) that start at even
// offsets of `data`; a last byte alone is left out.
std::size_t wide_newlines_in(const std::uint8_t* data, std::size_t size);

// Whether UTF-16 little-endian code units hold a surrogate (D800..DFFF).
bool has_surrogate(const std::uint8_t* data, std::size_t size);

// The offset of the first UTF-16 code unit at an even offset from `from` on
// (`from` even) whose high byte is `high`, or `size` when there is none.
std::size_t next_wide_unit_in_block(const std::uint8_t* data, std::size_t size, std::size_t from, std::uint8_t high);

// The offset of the first `byte` in `s` from `from` on, or `size` when there
// is none. Inline, as the texts it looks at are short (a line, a field) and
// a call would cost more than the look.
inline std::size_t find_byte(const char* s, std::size_t size, std::size_t from, char byte) {
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(byte);
  const auto hits_at = [&](std::size_t block) {
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + block)), wanted)));
  };
  for (; from + 16 <= size; from += 16) {
    if (const unsigned hits = hits_at(from); hits != 0) return from + static_cast<std::size_t>(__builtin_ctz(hits));
  }
  if (from < size && size >= 16) {
    // The last sixteen bytes, of which those from `from` on count.
    const unsigned hits = hits_at(size - 16) & (0xFFFFu << (16 - (size - from)) & 0xFFFFu);
    return hits == 0 ? size : size - 16 + static_cast<std::size_t>(__builtin_ctz(hits));
  }
#endif
  const void* found = from < size ? std::memchr(s + from, byte, size - from) : nullptr;
  return found == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(found) - s);
}

// The offset of the first UTF-16 little-endian code unit `unit` at an even
// offset from `from` on (`from` even), or `size` when there is none; `size`
// is even. Inline for the same reason.
inline std::size_t find_wide_unit(const std::uint8_t* data, std::size_t size, std::size_t from, std::uint16_t unit) {
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
  for (; from + 16 <= size; from += 16) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
    const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted)));
    if (hits != 0) return from + static_cast<std::size_t>(__builtin_ctz(hits));
  }
#endif
  for (; from < size; from += 2) {
    if ((data[from] | data[from + 1] << 8) == unit) return from;
  }
  return size;
}

}  // namespace tellwick
