#include "gamelog/control_sequence.h"

#include <cstring>

#include "gamelog/hex_digits.h"

namespace tellwick {
namespace {

// Eight bytes at a time: most lines hold few sequences, so most of a line is
// plain text to pass over.
bool has_byte_below_3(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  return ((word - kOnes * 3) & ~word & kHighBits) != 0;
}

bool is_stop(std::uint8_t byte) { return byte == kControlStart || byte == 0; }

// The position of the first sequence start or zero byte at or after `pos`,
// or `length`.
std::size_t next_stop(const std::uint8_t* bytes, std::size_t pos, std::size_t length) {
  for (; pos + 8 <= length; pos += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + pos, 8);
    if (!has_byte_below_3(word)) continue;
    for (std::size_t i = 0; i < 8; ++i) {
      if (is_stop(bytes[pos + i])) return pos + i;
    }
  }
  while (pos < length && !is_stop(bytes[pos])) ++pos;
  return pos;
}

template <bool kShow>
std::size_t scan_line(const char* line, std::size_t line_length, char* out) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(line);
  std::size_t pos = 0;
  std::size_t n = 0;
  while (pos < line_length) {
    // Copy the plain run up to the next sequence or the end of the line at once.
    const std::size_t run = next_stop(bytes, pos, line_length);
    std::memcpy(out + n, line + pos, run - pos);
    n += run - pos;
    pos = run;
    if (pos >= line_length || bytes[pos] == 0) break;
    const std::size_t length = control_sequence_length(bytes, pos, line_length);
    if (kShow) n += visual_form(bytes + pos, length, out + n);
    pos += length;
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
