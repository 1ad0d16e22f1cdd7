// Where code page 932 puts its double-byte characters: the layout that the
// decoding table is made in at build time and read in at run time.
#pragma once

#include <cstdint>

namespace tellwick::cp932 {

constexpr int kLeadCount = 60;  // 0x81..0x9F and 0xE0..0xFC
constexpr int kTrailFirst = 0x40;
constexpr int kTrailLast = 0xFC;

constexpr bool is_lead_byte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The lead bytes numbered without the gap between their two ranges.
constexpr int lead_index(std::uint8_t lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1); }

}  // namespace tellwick::cp932
