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

// The code point of the well-formed three-byte sequence at s, or 0 (never
// one of theirs) when it is anything else. Reads s[0..3]: the fourth byte
// may be the terminator. Lead and continuation bits are checked together,
// and the overlong and surrogate forms fall in two blocks of 0x800 code
// points, so a shift and a mask find them.
inline std::uint32_t three_byte_unit(const std::uint8_t* s) {
  std::uint32_t bytes;
  std::memcpy(&bytes, s, 4);
  if ((bytes & 0xC0C0F0) != 0x8080E0) return 0;
  const std::uint32_t cp = (bytes & 0x0F) << 12 | (bytes & 0x3F00) >> 2 | (bytes >> 16 & 0x3F);
  constexpr std::uint32_t kIllFormedBlocks = 1u << (0x0000 >> 11) | 1u << (0xD800 >> 11);
  return (kIllFormedBlocks >> (cp >> 11) & 1) != 0 ? 0 : cp;
}

// Decodes the sequence that starts at s[i] (not ASCII) and advances i past
// the bytes its result stands for; kInvalid for an ill-formed one. The
// well-formed two- and three-byte forms, nearly all of a Japanese log, are
// taken here, inline; everything else goes through decode_sequence.
inline std::uint32_t decode_next(const std::uint8_t* s, std::size_t& i, std::size_t in_len) {
  const std::uint8_t lead = s[i];
  if (in_len - i >= 3) {
    const std::uint32_t cp = three_byte_unit(s + i);
    if (cp != 0) {
      i += 3;
      return cp;
    }
  }
  if (lead >= 0xC2 && lead <= 0xDF && in_len - i >= 2 && (s[i + 1] & 0xC0) == 0x80) {
    const std::uint32_t cp = static_cast<std::uint32_t>(lead & 0x1F) << 6 | (s[i + 1] & 0x3Fu);
    i += 2;
    return cp;
  }
  std::size_t next = i + 1;
  const std::uint32_t cp = decode_sequence(s, next, in_len);
  i = next;
  return cp;
}

}  // namespace tellwick::utf8
