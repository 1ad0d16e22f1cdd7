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
