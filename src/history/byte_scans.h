// Scans over the raw bytes of export file pieces, sixteen bytes at a time
// where the processor can: reading a file back looks at every byte once or
// twice, and decodes only what it must.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tellwick {

// Line ends in bytes of a charset that has them as the one byte 0x0A.
std::size_t newlines_in(const std::uint8_t* data, std::size_t size);

// Line ends in UTF-16 little-endian code units (0x000A) that start at even
// offsets of `data`; a last byte alone is left out.
std::size_t wide_newlines_in(const std::uint8_t* data, std::size_t size);

// Whether UTF-16 little-endian code units hold a surrogate (D800..DFFF).
bool has_surrogate(const std::uint8_t* data, std::size_t size);

// The offset of the first UTF-16 code unit at an even offset from `from` on
// (`from` even) whose high byte is `high`, or `size` when there is none.
std::size_t next_wide_unit_in_block(const std::uint8_t* data, std::size_t size, std::size_t from, std::uint8_t high);

}  // namespace tellwick
