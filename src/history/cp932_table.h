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
  // by the platform in their place.
  char16_t single[128];
  char16_t pair[128][256];
};

const Cp932Table& cp932_table();

constexpr bool is_cp932_lead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace tellwick
