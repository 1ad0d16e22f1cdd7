// The generator's own random numbers: splitmix64, so that one seed gives the
// same chunk files with every compiler and standard library.
#pragma once

#include <cstdint>

namespace tellwick::chunkgen {

struct SplitMix64 {
  std::uint64_t state = 0;

  std::uint64_t next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // A value in [0, bound); bound must not be 0. The slight bias of a plain
  // remainder does not matter for test data.
  std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(next() % bound); }

  // A value in [low, high].
  std::uint32_t between(std::uint32_t low, std::uint32_t high) { return low + below(high - low + 1); }

  // True about once in `n` draws.
  bool one_in(std::uint32_t n) { return below(n) == 0; }
};

}  // namespace tellwick::chunkgen
