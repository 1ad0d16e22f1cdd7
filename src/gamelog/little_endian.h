// Chunk files store their numbers as little-endian 32-bit words.
#pragma once

#include <cstdint>

namespace tellwick {

inline std::uint32_t read_u32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace tellwick
