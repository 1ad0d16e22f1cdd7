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

#if defined(__SSE2__)
// One bit for each byte of the block that ends plain text: a sequence start
// or a zero byte.
unsigned stop_bits(__m128i block) {
  const __m128i stops = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(kControlStart))),
                                     _mm_cmpeq_epi8(block, _mm_setzero_si128()));
  return static_cast<unsigned>(_mm_movemask_epi8(stops));
}

// Copies `width` bytes (4, 8 or 16) at `at` from `in` to `out` and returns
// their stop bits.
template <int kWidth>
unsigned copy_block(const std::uint8_t* in, char* out, std::size_t at) {
  __m128i block;
  if constexpr (kWidth == 16) {
    block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), block);
  } else {
    std::uint64_t word = 0;
    std::memcpy(&word, in + at, kWidth);
    std::memcpy(out + at, &word, kWidth);
    block = _mm_cvtsi64_si128(static_cast<long long>(word));
  }
  return stop_bits(block) & ((1u << kWidth) - 1);
}

// The plain text of a run of `available` bytes (4 <= available < 2 * kWidth)
// read as two blocks of kWidth bytes, the second ending where the run ends:
// the two overlap, so no byte outside the run is read or written.
template <int kWidth>
std::size_t copy_short_run(const std::uint8_t* in, std::size_t available, char* out) {
  const std::size_t last = available - kWidth;
  const unsigned stops = copy_block<kWidth>(in, out, 0) | (copy_block<kWidth>(in, out, last) << last);
  return stops == 0 ? available : static_cast<std::size_t>(std::countr_zero(stops));
}

// The stop bits of the 64 bytes at `in`, bit i for in[i].
[[gnu::always_inline]] inline std::uint64_t stop_bits_64(const std::uint8_t* in) {
  const auto block = [in](int k) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * k));
    return static_cast<std::uint64_t>(stop_bits(bytes)) << (16 * k);
  };
  return block(0) | block(1) | block(2) | block(3);
}

// Copies `run` bytes from `in` to `out` in blocks of 16, the first 32
// whatever the run's length: up to 32 bytes past the run are read and
// written.
inline void copy_run(const std::uint8_t* in, char* out, std::size_t run) {
  copy_block<16>(in, out, 0);
  copy_block<16>(in, out, 16);
  for (std::size_t done = 32; done < run; done += 16) copy_block<16>(in, out, done);
}

// Drops the sequences of a line of `line_length` bytes followed by at least
// 64 readable bytes. A battle line holds a sequence every dozen bytes, so the
// walk from one sequence to the next is the line's critical path, kept as
// short as it goes: the next stop is one shift and one count away in a
// 64-byte window of stop bits made beforehand, the sequence's length one
// load, and the rare cases (a long length form, a sequence cut by the line's
// end, plain text running past the window) are branches off the path. The
// plain text is copied beside the walk. The line's end is a stop bit of its
// own.
std::size_t drop_sequences_windowed(const std::uint8_t* in, std::size_t line_length, char* out) {
  const auto window_at = [&](std::size_t base) {
    const std::uint64_t end = line_length - base < 64 ? std::uint64_t{1} << (line_length - base) : 0;
    return stop_bits_64(in + base) | end;
  };
  std::size_t base = 0;  // where the window starts; never past pos
  std::uint64_t window = window_at(0);
  std::size_t pos = 0;
  std::size_t n = 0;
  for (;;) {
    if (pos - base >= 64) {  // a sequence ended beyond the window
      base = pos & ~std::size_t{63};
      window = window_at(base);
    }
    const std::uint64_t ahead = window & (~std::uint64_t{0} << (pos - base));
    if (ahead == 0) {  // plain text up to the window's end and on
      const std::size_t run = base + 64 - pos;
      copy_run(in + pos, out + n, run);
      n += run;
      base += 64;
      pos = base;
      window = window_at(base);
      continue;
    }
    const std::size_t stop = base + static_cast<std::uint32_t>(std::countr_zero(ahead));
    copy_run(in + pos, out + n, stop - pos);  // often nothing: sequences come in runs
    n += stop - pos;
    if (stop == line_length || in[stop] == 0) return n;
    const std::uint8_t size_byte = in[stop + 2];
    pos = stop + 3 + size_byte;
    if (size_byte >= 0xE0 || pos > line_length) pos = stop + control_sequence_length(in, stop, line_length);
  }
}
#endif

// Copies the plain text at the start of `in` (up to the first sequence start
// or zero byte, or all `available` bytes) to `out` and returns its length.
// Copies whole blocks: bytes of `out` past the plain text may change too,
// but never past out[available - 1], and no byte of `in` past
// in[available - 1] is read. Most of a line is plain text, and most lines
// hold few sequences.
std::size_t copy_plain_run(const std::uint8_t* in, std::size_t available, char* out) {
#if defined(__SSE2__)
  if (available >= 16) {
    std::size_t n = 0;
    for (; n + 16 <= available; n += 16) {
      const unsigned stops = copy_block<16>(in, out, n);
      if (stops != 0) return n + static_cast<std::size_t>(std::countr_zero(stops));
    }
    if (n == available) return n;
    // The last 16 bytes again: out mirrors in over the run, so the bytes
    // already copied are copied to where they are; only the new ones count.
    const std::size_t last = available - 16;
    const unsigned stops = copy_block<16>(in, out, last) >> (n - last);
    return stops == 0 ? available : n + static_cast<std::size_t>(std::countr_zero(stops));
  }
  if (available >= 8) return copy_short_run<8>(in, available, out);
  if (available >= 4) return copy_short_run<4>(in, available, out);
#endif
  std::size_t n = 0;
  for (; n < available && in[n] != 0 && in[n] != kControlStart; ++n) out[n] = static_cast<char>(in[n]);
  return n;
}

// Renders `line_length` bytes of `line`, of which `readable` (at least
// line_length) may be read: where 16 bytes past `pos` may be read, plain
// text is taken 16 bytes at a time whatever the line's length, and the
// bytes past its end are copied but not counted.
template <bool kShow>
std::size_t scan_line(const char* line, std::size_t line_length, std::size_t readable, char* out) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(line);
#if defined(__SSE2__)
  if (!kShow && readable - line_length >= 64) return drop_sequences_windowed(bytes, line_length, out);
#endif
  std::size_t pos = 0;
  std::size_t n = 0;
  for (;;) {
    std::size_t plain;
#if defined(__SSE2__)
    if (readable - pos >= 16) {
      const std::size_t left = line_length - pos;
      const unsigned stops = copy_block<16>(bytes + pos, out + n, 0) | (left < 16 ? 1u << left : 1u << 16);
      plain = static_cast<std::size_t>(std::countr_zero(stops));
      if (plain == 16) {
        pos += 16;
        n += 16;
        continue;
      }
    } else {
      plain = copy_plain_run(bytes + pos, line_length - pos, out + n);
    }
#else
    plain = copy_plain_run(bytes + pos, line_length - pos, out + n);
#endif
    pos += plain;
    n += plain;
    if (pos == line_length || bytes[pos] == 0) return n;
    const std::size_t length = sequence_length_at(bytes, pos, line_length);
    if (kShow) n += visual_form(bytes + pos, length, out + n);
    pos += length;
  }
}

}  // namespace

PackedInt decode_packed_int(const std::uint8_t* p, std::size_t available) {
  auto byte = [&](std::size_t i) -> std::int32_t { return i < available ? p[i] : 0; };
  const std::int32_t lead = byte(0);
  if (lead < 0xE0) return {lead - 1, 1};
  // clang-format off
  switch (lead) {
    case 0xF0: return {byte(1), 2};
    case 0xF1: return {byte(1) * 256, 2};
    case 0xF2: return {byte(1) * 256 + byte(2), 3};
    case 0xF5: return {(byte(1) * 256 + byte(2)) * 256, 3};
    case 0xF6: return {(byte(1) * 256 + byte(2)) * 256 + byte(3), 4};
    default: return {lead, 0};  // 0xE0..0xEF, 0xF3, 0xF4, 0xF7..0xFF
  }
  // clang-format on
}

std::size_t control_sequence_length(const std::uint8_t* line, std::size_t pos, std::size_t line_length) {
  if (pos >= line_length || line[pos] != kControlStart) return 0;
  const std::size_t remaining = line_length - pos;
  const std::size_t lead_pos = 2;
  const PackedInt packed = decode_packed_int(line + pos + lead_pos, remaining > lead_pos ? remaining - lead_pos : 0);
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
  std::size_t n = show ? scan_line<true>(line, line_length, line_length, out)
                       : scan_line<false>(line, line_length, line_length, out);
  out[n++] = '\r';
  out[n++] = '\n';
  out[n] = '\0';
  return n;
}

std::size_t render_line(const EntryLineView& view, bool show, char* out) {
  std::memcpy(out, view.prefix, kEntryLinePrefix);
  char* text_out = out + kEntryLinePrefix;
  const std::size_t readable = static_cast<std::size_t>(view.readable_end - view.text);
  std::size_t n = kEntryLinePrefix + (show ? scan_line<true>(view.text, view.text_length, readable, text_out)
                                           : scan_line<false>(view.text, view.text_length, readable, text_out));
  out[n++] = '\r';
  out[n++] = '\n';
  out[n] = '\0';
  return n;
}

std::size_t strip_line(const char* line, std::size_t line_length, char* out) {
  const std::size_t n = scan_line<false>(line, line_length, line_length, out);
  out[n] = '\0';
  return n;
}

}  // namespace tellwick
