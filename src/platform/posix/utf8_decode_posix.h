// Decoding one UTF-8 sequence as Windows' converter does with flags 0. An
// ill-formed sequence becomes U+FFFD; how many bytes one U+FFFD stands for
// follows the system converter, checked against it by the same tests under
// Wine: the input is seen with its terminator, a sequence is replaced up to
// the first byte that cannot continue it, and an overlong, surrogate or
// out-of-range form is found after its second byte and takes those two bytes
// with it. Shared by the conversions to UTF-16 and to code page 932, which
// must replace exactly the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tellwick::utf8 {

constexpr std::uint32_t kReplacement = 0xFFFD;
constexpr std::uint32_t kInvalid = 0xFFFFFFFF;

// Decodes the sequence whose lead byte is s[i - 1]; advances i past the bytes
// the result stands for. Returns the code point or kInvalid. s[in_len] is the
// terminator, which is never a continuation byte.
std::uint32_t decode_sequence(const std::uint8_t* s, std::size_t& i, std::size_t in_len);

// Decodes the sequence that starts at s[i] (not ASCII) and advances i past
// the bytes its result stands for; kInvalid for an ill-formed one. The
// well-formed two- and three-byte forms, nearly all of a Japanese log, are
// taken here, inline; everything else goes through decode_sequence.
inline std::uint32_t decode_next(const std::uint8_t* s, std::size_t& i, std::size_t in_len) {
  const std::uint8_t lead = s[i];
  if ((lead & 0xF0) == 0xE0 && in_len - i >= 3) {
    const std::uint8_t b1 = s[i + 1];
    const std::uint8_t b2 = s[i + 2];
    if (((b1 & 0xC0) | (b2 & 0xC0) << 8) == 0x8080) {
      const std::uint32_t cp =
          static_cast<std::uint32_t>(lead & 0x0F) << 12 | static_cast<std::uint32_t>(b1 & 0x3F) << 6 | (b2 & 0x3Fu);
      if (cp >= 0x800 && cp - 0xD800 >= 0x800) {  // neither overlong nor a surrogate
        i += 3;
        return cp;
      }
    }
  } else if (lead >= 0xC2 && lead <= 0xDF && in_len - i >= 2 && (s[i + 1] & 0xC0) == 0x80) {
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
