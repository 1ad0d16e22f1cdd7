#include "gamelog/control_sequence.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gamelog/hex_digits.h"

namespace tellwick {
namespace {

static_assert(std::endian::native == std::endian::little, "words are read with their first byte lowest");

// Eight bytes at a time: most lines hold few sequences, so most of a line is
// plain text to pass over. The lowest marked byte of the mask is the first
// byte below 3 (0x00, 0x01 or 0x02); bytes above it are marked only
// approximately, so only the lowest is used.
std::uint64_t bytes_below_3(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  return (word - kOnes * 3) & ~word & kHighBits;
}

// The length of the sequence at line[pos] (a 0x02), for the one-byte form of
// the packed integer that nearly all markup uses (T = L + 3) without a call;
// every other form goes to control_sequence_length.
std::size_t sequence_length_at(const std::uint8_t* line, std::size_t pos, std::size_t line_length) {
  const std::size_t remaining = line_length - pos;
  if (remaining > 2 && line[pos + 2] < 0xE0) {
    const std::size_t total = static_cast<std::size_t>(line[pos + 2]) + 3;
    return total < remaining ? total : remaining;
  }
  return control_sequence_length(line, pos, line_length);
}

// Copies plain text from `in`, whose first byte is plain (neither a sequence
// start nor a zero byte), to `out`; returns how many bytes at the start of
// `in` are plain, at least 1. Copies a whole block at a time: bytes of `out`
// past the plain ones may change, up to 16 in all, and the callers' buffers
// leave that room (see render_line and strip_line).
std::size_t copy_plain(const std::uint8_t* in, std::size_t available, char* out) {
#if defined(__SSE2__)
  if (available >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
    const __m128i stops = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(kControlStart))),
                                       _mm_cmpeq_epi8(block, _mm_setzero_si128()));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
    return mask == 0 ? 16 : static_cast<std::size_t>(std::countr_zero(mask));
  }
#endif
  if (available >= 8) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    std::memcpy(out, &word, 8);
    const std::uint64_t below = bytes_below_3(word);
    if (below == 0) return 8;
    // Up to the first byte below 3; a 0x01 there is plain text and goes too.
    const std::size_t k = static_cast<std::size_t>(std::countr_zero(below)) / 8;
    return in[k] == 0x01 ? k + 1 : k;
  }
  out[0] = static_cast<char>(in[0]);
  return 1;
}

template <bool kShow>
std::size_t scan_line(const char* line, std::size_t line_length, char* out) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(line);
  std::size_t pos = 0;
  std::size_t n = 0;
  while (pos < line_length) {
    const std::uint8_t b = bytes[pos];
    if (b == 0) break;
    if (b == kControlStart) {
      const std::size_t length = sequence_length_at(bytes, pos, line_length);
      if (kShow) n += visual_form(bytes + pos, length, out + n);
      pos += length;
      continue;
    }
    const std::size_t plain = copy_plain(bytes + pos, line_length - pos, out + n);
    pos += plain;
    n += plain;
  }
  return n;
}

}  // namespace

PackedInt decode_packed_int(const std::uint8_t* p, std::size_t available) {
  auto byte = [&](std::size_t i) -> std::int32_t { return i < available ? p[i] : 0; };
  const std::int32_t lead = byte(0);
  if (lead < 0xE0) return {lead - 1, 1};
  switch (lead) {
    case 0xF0: return {byte(1), 2};
    case 0xF1: return {byte(1) * 256, 2};
    case 0xF2: return {byte(1) * 256 + byte(2), 3};
    case 0xF5: return {(byte(1) * 256 + byte(2)) * 256, 3};
    case 0xF6: return {(byte(1) * 256 + byte(2)) * 256 + byte(3), 4};
    default: return {lead, 0};  // 0xE0..0xEF, 0xF3, 0xF4, 0xF7..0xFF
  }
}

std::size_t control_sequence_length(const std::uint8_t* line, std::size_t pos, std::size_t line_length) {
  if (pos >= line_length || line[pos] != kControlStart) return 0;
  const std::size_t remaining = line_length - pos;
  const std::size_t lead_pos = 2;
  const PackedInt packed =
      decode_packed_int(line + pos + lead_pos, remaining > lead_pos ? remaining - lead_pos : 0);
  // T = v + c + 3; v is at least -1, so T is at least 3 before the cut.
  const std::int64_t total = static_cast<std::int64_t>(packed.value) + packed.count + 3;
  return static_cast<std::uint64_t>(total) < remaining ? static_cast<std::size_t>(total) : remaining;
}

std::size_t visual_form(const std::uint8_t* sequence, std::size_t length, char* out) {
  // Each byte as " XX", three characters at once; the first space is the bracket.
  char* p = out;
  for (std::size_t i = 0; i < length; ++i, p += 3) {
    p[0] = ' ';
    put_hex_byte(p + 1, sequence[i]);
  }
  out[0] = '[';
  *p++ = ']';
  return static_cast<std::size_t>(p - out);
}

std::size_t render_line(const char* line, std::size_t line_length, bool show, char* out) {
  std::size_t n = show ? scan_line<true>(line, line_length, out) : scan_line<false>(line, line_length, out);
  out[n++] = '\r';
  out[n++] = '\n';
  out[n] = '\0';
  return n;
}

std::size_t strip_line(const char* line, std::size_t line_length, char* out) {
  const std::size_t n = scan_line<false>(line, line_length, out);
  out[n] = '\0';
  return n;
}

}  // namespace tellwick
