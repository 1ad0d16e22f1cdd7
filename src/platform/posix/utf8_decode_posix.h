// Decoding one UTF-8 sequence as Windows' converter does with flags 0. An
// ill-formed sequence becomes U+FFFD; how many bytes one U+FFFD stands for
// follows the system converter, checked against it by the same tests under
// Wine: the input is seen with its terminator, a sequence is replaced up to
// the first byte that cannot continue it, and an overlong, surrogate or
// out-of-range form is found after its second byte and takes those two bytes
// with it. Shared by the conversions to UTF-16 and to code page 932, which
// must replace exactly the same bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tellwick::utf8 {

static_assert(std::endian::native == std::endian::little, "sequences are read with their first byte lowest");

constexpr std::uint32_t kReplacement = 0xFFFD;
constexpr std::uint32_t kInvalid = 0xFFFFFFFF;

// Decodes the sequence whose lead byte is s[i - 1]; advances i past the bytes
// the result stands for. Returns the code point or kInvalid. s[in_len] is the
// terminator, which is never a continuation byte.
std::uint32_t decode_sequence(const std::uint8_t* s, std::size_t& i, std::size_t in_len);

// Well-formed three-byte sequences, most of a Japanese log, are read a
// word at a time: lead and continuation bits checked together, the code
// points of two sequences assembled together. Their overlong and surrogate
// forms fall in two blocks of 0x800 code points, so a shift and a mask find
// them.
namespace three_byte {

constexpr std::uint64_t kTwice = 1 | 1ULL << 24;  // a sequence at byte 0 and one at byte 3
constexpr std::uint64_t kMarkBits = 0xC0C0F0;
constexpr std::uint64_t kMarks = 0x8080E0;
constexpr std::uint32_t kWellFormedBlocks = ~(1u << (0x0000 >> 11) | 1u << (0xD800 >> 11));

// The code points of the sequences whose lead bytes are bytes 0 and 3 of
// `bytes` (little-endian), at bits 0 and 24, sixteen bits each.
inline std::uint64_t assemble(std::uint64_t bytes) {
  return (bytes << 12 & 0xF000 * kTwice) | (bytes >> 2 & 0xFC0 * kTwice) | (bytes >> 16 & 0x3F * kTwice);
}

inline bool well_formed_block(std::uint32_t cp) { return (kWellFormedBlocks >> (cp >> 11) & 1) != 0; }

}  // namespace three_byte

// Whether s starts with a well-formed three-byte sequence, and its code
// point. Reads s[0..3]: the fourth byte may be the terminator.
inline bool read_three_byte(const std::uint8_t* s, std::uint32_t& cp) {
  std::uint32_t bytes;
  std::memcpy(&bytes, s, 4);
  if ((bytes & three_byte::kMarkBits) != three_byte::kMarks) return false;
  cp = static_cast<std::uint32_t>(three_byte::assemble(bytes) & 0xFFFF);
  return three_byte::well_formed_block(cp);
}

// Whether s starts with two well-formed three-byte sequences, and their code
// points. Reads s[0..7]: the eighth byte may be the terminator.
inline bool read_two_three_byte(const std::uint8_t* s, std::uint32_t& first, std::uint32_t& second) {
  std::uint64_t bytes;
  std::memcpy(&bytes, s, 8);
  if ((bytes & three_byte::kMarkBits * three_byte::kTwice) != three_byte::kMarks * three_byte::kTwice) return false;
  const std::uint64_t both = three_byte::assemble(bytes);
  first = static_cast<std::uint32_t>(both & 0xFFFF);
  second = static_cast<std::uint32_t>(both >> 24 & 0xFFFF);
  return three_byte::well_formed_block(first) && three_byte::well_formed_block(second);
}

// Whether s starts with four well-formed three-byte sequences, and their
// code points, sixteen bits each, first lowest. Reads s[0..13]: the
// fourteenth byte may be the terminator. SSE2 checks and assembles the four
// together (two in each half, as read_two_three_byte does them).
inline bool read_four_three_byte(const std::uint8_t* s, std::uint64_t& units) {
#if defined(__SSE2__) && defined(__x86_64__)  // 64-bit moves between general and SSE registers
  using three_byte::kTwice;
  const __m128i bytes = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 6)));
  const __m128i marked = _mm_and_si128(bytes, _mm_set1_epi64x(three_byte::kMarkBits * kTwice));
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(marked, _mm_set1_epi64x(three_byte::kMarks * kTwice))) != 0xFFFF) return false;
  const __m128i both =
      _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_slli_epi64(bytes, 12), _mm_set1_epi64x(0xF000 * kTwice)),
                                _mm_and_si128(_mm_srli_epi64(bytes, 2), _mm_set1_epi64x(0xFC0 * kTwice))),
                   _mm_and_si128(_mm_srli_epi64(bytes, 16), _mm_set1_epi64x(0x3F * kTwice)));
  // Each half's second code point from bit 24 to bit 16, then the halves'
  // low 32 bits side by side.
  const __m128i pairs = _mm_or_si128(_mm_and_si128(both, _mm_set1_epi64x(0xFFFF)),
                                     _mm_and_si128(_mm_srli_epi64(both, 8), _mm_set1_epi64x(0xFFFF0000)));
  const __m128i four = _mm_shuffle_epi32(pairs, _MM_SHUFFLE(3, 1, 2, 0));
  // The overlong and surrogate blocks: top five bits 00000 or 11011.
  const __m128i blocks = _mm_and_si128(four, _mm_set1_epi16(static_cast<short>(0xF800)));
  const __m128i ill = _mm_or_si128(_mm_cmpeq_epi16(blocks, _mm_setzero_si128()),
                                   _mm_cmpeq_epi16(blocks, _mm_set1_epi16(static_cast<short>(0xD800))));
  if ((_mm_movemask_epi8(ill) & 0xFF) != 0) return false;
  units = static_cast<std::uint64_t>(_mm_cvtsi128_si64(four));
  return true;
#else
  std::uint32_t cp[4];
  if (!read_two_three_byte(s, cp[0], cp[1]) || !read_two_three_byte(s + 6, cp[2], cp[3])) return false;
  units = cp[0] | cp[1] << 16 | static_cast<std::uint64_t>(cp[2] | cp[3] << 16) << 32;
  return true;
#endif
}

// Decodes the sequence that starts at s[i] (not ASCII) and advances i past
// the bytes its result stands for; kInvalid for an ill-formed one. The
// well-formed two- and three-byte forms, nearly all of a Japanese log, are
// taken here, inline; everything else goes through decode_sequence.
inline std::uint32_t decode_next(const std::uint8_t* s, std::size_t& i, std::size_t in_len) {
  const std::uint8_t lead = s[i];
  std::uint32_t cp;
  if (in_len - i >= 3 && read_three_byte(s + i, cp)) {
    i += 3;
    return cp;
  }
  if (lead >= 0xC2 && lead <= 0xDF && in_len - i >= 2 && (s[i + 1] & 0xC0) == 0x80) {
    cp = static_cast<std::uint32_t>(lead & 0x1F) << 6 | (s[i + 1] & 0x3Fu);
    i += 2;
    return cp;
  }
  std::size_t next = i + 1;
  cp = decode_sequence(s, next, in_len);
  i = next;
  return cp;
}

}  // namespace tellwick::utf8
