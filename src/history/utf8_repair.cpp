#include "history/utf8_repair.h"

#include <cstdint>
#include <cstring>

#include "history/utf8_blocks.h"

namespace tellwick {
namespace {

bool has_high_bit(std::uint64_t word) { return (word & 0x8080808080808080ULL) != 0; }

// The length of the well-formed sequence at text[pos] (1 for ASCII), or 0
// when it is ill-formed; `taken` is then the length of its maximal part.
std::size_t sequence_at(const std::uint8_t* s, std::size_t pos, std::size_t size, std::size_t& taken) {
  const std::uint8_t lead = s[pos];
  taken = 1;
  if (lead < 0x80) return 1;
  int trails;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trails = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trails = 2;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trails = 3;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
  } else {
    return 0;
  }
  for (int i = 1; i <= trails; ++i) {
    if (pos + i >= size) return 0;
    const std::uint8_t b = s[pos + i];
    if (b < low || b > high) return 0;
    low = 0x80;
    high = 0xBF;
    taken = static_cast<std::size_t>(i) + 1;
  }
  return taken;
}

// Skips plain ASCII, thirty-two bytes at a time while it lasts.
std::size_t skip_ascii(const std::uint8_t* s, std::size_t pos, std::size_t size) {
  // In text of another charset, bytes past ASCII come in runs.
  if (pos < size && s[pos] >= 0x80) return pos;
  for (; pos + 32 <= size; pos += 32) {
    std::uint64_t words[4];
    std::memcpy(words, s + pos, 32);
    if (has_high_bit(words[0] | words[1] | words[2] | words[3])) break;
  }
  for (; pos + 8 <= size; pos += 8) {
    std::uint64_t word;
    std::memcpy(&word, s + pos, 8);
    if (has_high_bit(word)) break;
  }
  while (pos < size && s[pos] < 0x80) ++pos;
  return pos;
}

}  // namespace

std::size_t first_invalid_utf8(std::string_view text) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  std::size_t pos = well_formed_utf8_blocks(s, text.size());
  for (;;) {
    pos = skip_ascii(s, pos, text.size());
    if (pos >= text.size()) return text.size();
    // Most of the game's text outside ASCII is Japanese: three bytes whose
    // lead allows any continuation bytes.
    const std::uint8_t lead = s[pos];
    if (((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF) && pos + 2 < text.size() &&
        (s[pos + 1] & 0xC0) == 0x80 && (s[pos + 2] & 0xC0) == 0x80) {
      pos += 3;
      continue;
    }
    std::size_t taken;
    const std::size_t length = sequence_at(s, pos, text.size(), taken);
    if (length == 0) return pos;
    pos += length;
  }
}

std::size_t append_repaired_utf8(std::string_view text, std::string& out) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  std::size_t replaced = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t bad = pos + first_invalid_utf8(text.substr(pos));
    out.append(text.data() + pos, bad - pos);
    if (bad >= text.size()) break;
    std::size_t taken;
    sequence_at(s, bad, text.size(), taken);
    out += kReplacementUtf8;
    ++replaced;
    pos = bad + taken;
  }
  return replaced;
}

Utf8Census utf8_census(std::string_view text) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  Utf8Census census;
  std::size_t pos = 0;
  for (;;) {
    pos = skip_ascii(s, pos, text.size());
    if (pos >= text.size()) return census;
    std::size_t taken;
    if (sequence_at(s, pos, text.size(), taken) == 0) {
      ++census.ill_formed;
    } else {
      ++census.well_formed;
    }
    pos += taken;
  }
}

}  // namespace tellwick
