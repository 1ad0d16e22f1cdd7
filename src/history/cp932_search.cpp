#include "history/cp932_search.h"

#include <cstring>
#include <memory>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "history/cp932_table.h"

namespace tellwick {
namespace {

struct Source {
  std::string bytes;
  int count = 0;
};

// Every character of the table with the bytes it comes from.
std::unique_ptr<std::unordered_map<char16_t, Source>> make_sources() {
  auto sources = std::make_unique<std::unordered_map<char16_t, Source>>();
  const Cp932Table& table = cp932_table();
  for (int b = 0x80; b <= 0xFF; ++b) {
    if (const char16_t unit = table.single[b - 0x80]; unit != 0) {
      Source& source = (*sources)[unit];
      source.bytes = std::string(1, static_cast<char>(b));
      // A byte that no lead takes as its trail may follow a lead without a
      // mapping and be decoded in another way there: never certain.
      source.count += b >= 0xFD ? 2 : 1;
    }
    if (!is_cp932_lead(static_cast<std::uint8_t>(b))) continue;
    for (int trail = 0; trail <= 0xFF; ++trail) {
      const char16_t unit = table.pair[b - 0x80][trail];
      if (unit == 0) continue;
      Source& source = (*sources)[unit];
      source.bytes = {static_cast<char>(b), static_cast<char>(trail)};
      ++source.count;
    }
  }
  return sources;
}

const std::unordered_map<char16_t, Source>& sources() {
  static const auto table = make_sources();
  return *table;
}

// The code point of the UTF-8 character at text[i] and its length; 0 for a
// length where the bytes are no well-formed character.
std::uint32_t next_code_point(std::string_view text, std::size_t i, std::size_t& length) {
  const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = at(i);
  length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || i + length > text.size()) {
    length = 0;
    return 0;
  }
  static constexpr std::uint8_t kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  std::uint32_t code = lead & kLeadBits[length];
  for (std::size_t k = 1; k < length; ++k) {
    if ((at(i + k) & 0xC0) != 0x80) {
      length = 0;
      return 0;
    }
    code = code << 6 | (at(i + k) & 0x3Fu);
  }
  return code;
}

// What the plain check needs of the table, small enough to stay in the
// fastest cache: what each byte is, and one bit for each lead and trail.
constexpr std::uint8_t kAscii = 0, kSingle = 1, kLead = 2, kFault = 3;

struct PlainBytes {
  std::uint8_t kinds[256] = {};
  std::uint64_t pairs[128 * 256 / 64] = {};

  bool pair_mapped(std::uint8_t lead, std::uint8_t trail) const {
    const unsigned bit = static_cast<unsigned>(lead - 0x80) << 8 | trail;
    return (pairs[bit >> 6] >> (bit & 63) & 1) != 0;
  }
};

const PlainBytes& plain_bytes() {
  static const PlainBytes plain = [] {
    PlainBytes made;
    const Cp932Table& table = cp932_table();
    for (int b = 0x80; b <= 0xFF; ++b) {
      const auto byte = static_cast<std::uint8_t>(b);
      made.kinds[b] = is_cp932_lead(byte) ? kLead : table.single[b - 0x80] != 0 ? kSingle : kFault;
      if (!is_cp932_lead(byte)) continue;
      for (int trail = 0; trail <= 0xFF; ++trail) {
        if (table.pair[b - 0x80][trail] == 0) continue;
        const unsigned bit = static_cast<unsigned>(b - 0x80) << 8 | static_cast<unsigned>(trail);
        made.pairs[bit >> 6] |= std::uint64_t{1} << (bit & 63);
      }
    }
    return made;
  }();
  return plain;
}

}  // namespace

bool cp932_needle(std::string_view needle, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < needle.size();) {
    std::size_t length;
    const std::uint32_t code = next_code_point(needle, i, length);
    if (length == 0) return false;
    i += length;
    if (code < 0x80) {
      bytes += static_cast<char>(code);
      continue;
    }
    if (code > 0xFFFF || code == 0x30FB) return false;
    const auto found = sources().find(static_cast<char16_t>(code));
    if (found == sources().end() || found->second.count != 1) return false;
    bytes += found->second.bytes;
  }
  return true;
}

bool cp932_bytes_are_plain(const std::uint8_t* data, std::size_t size, const NarrowGlyphs& wanted,
                           std::vector<std::size_t>& found) {
  const PlainBytes& plain = plain_bytes();
  found.clear();
  const bool glyphs = wanted.any();
  std::size_t i = 0;
  while (i < size) {
#if defined(__SSE2__)
    for (; i + 16 <= size; i += 16) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      if (const int high = _mm_movemask_epi8(b); high != 0) {
        i += static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(high)));
        break;
      }
    }
#endif
    while (i < size && data[i] < 0x80) ++i;
    // Rare: only a search that a glyph's stand-in may meet wants any.
    const auto note_glyph = [&](std::size_t at) {
      if (wanted[(data[at] & 1u) << 8 | data[at + 1]]) found.push_back(at);
    };
    while (i < size) {
      // Two characters of two bytes a step, as Japanese text mostly is.
      while (i + 3 < size && plain.kinds[data[i]] == kLead && plain.kinds[data[i + 2]] == kLead) {
        if (!plain.pair_mapped(data[i], data[i + 1]) || !plain.pair_mapped(data[i + 2], data[i + 3])) return false;
        if (glyphs && ((data[i] & 0xFE) == 0xF0 || (data[i + 2] & 0xFE) == 0xF0)) {
          if ((data[i] & 0xFE) == 0xF0) note_glyph(i);
          if ((data[i + 2] & 0xFE) == 0xF0) note_glyph(i + 2);
        }
        i += 4;
      }
      if (i >= size) break;
      const std::uint8_t b = data[i];
      const std::uint8_t kind = plain.kinds[b];
      if (kind == kAscii) break;
      if (kind == kFault) return false;
      if (kind == kSingle) {
        ++i;
        continue;
      }
      if (i + 1 >= size || !plain.pair_mapped(b, data[i + 1])) return false;
      if (glyphs && (b & 0xFE) == 0xF0) note_glyph(i);
      i += 2;
    }
  }
  return true;
}

bool cp932_bytes_are_plain(const std::uint8_t* data, std::size_t size) {
  std::vector<std::size_t> found;
  return cp932_bytes_are_plain(data, size, NarrowGlyphs{}, found);
}

}  // namespace tellwick
