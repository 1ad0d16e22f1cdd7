// Code page 932 as a table, taken once from the platform's own conversion,
// so that reading an export file back decodes a character with a lookup
// and gives exactly what the platform gives.
#pragma once

#include <cstdint>

namespace tellwick {

struct Cp932Table {
  // UTF-16 of each byte 0x80..0xFF that is no lead byte, and of each lead
  // byte with each byte after it; 0 where the platform replaces the bytes
  // or gives anything but one character for them, which are then decoded
  // by the platform in their place, and 0 in `pair` for every first byte
  // that is no lead.
  char16_t single[128];
  char16_t pair[128][256];
  // The same characters in UTF-8, ready to be stored four bytes at once:
  // the bytes from the lowest on, the count in the highest; 0 likewise.
  std::uint32_t single_utf8[128];
  std::uint32_t pair_utf8[128][256];
};

// The UTF-8 of a character of the Basic Multilingual Plane as Cp932Table
// keeps it.
constexpr std::uint32_t packed_utf8(char16_t unit) {
  const std::uint32_t c = unit;
  if (c < 0x80) return c | 1u << 24;
  if (c < 0x800) return (0xC0 | c >> 6) | (0x80 | (c & 0x3F)) << 8 | 2u << 24;
  return (0xE0 | c >> 12) | (0x80 | (c >> 6 & 0x3F)) << 8 | (0x80 | (c & 0x3F)) << 16 | 3u << 24;
}

const Cp932Table& cp932_table();

constexpr bool is_cp932_lead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace tellwick
