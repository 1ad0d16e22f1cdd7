// Checking UTF-8 many bytes at a time, where the processor can.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tellwick {

// The length of a prefix of `data` that is well-formed UTF-8 and ends where
// a character ends; 0 when nothing could be checked this way. What follows
// it is for a byte-by-byte check to judge: it may well be well-formed too.
// `blocks`: the widest the processor has, or sixteen bytes (so that tests
// try both where both are had).
enum class Utf8Blocks { kWidest, kSixteen };
std::size_t well_formed_utf8_blocks(const std::uint8_t* data, std::size_t size,
                                    Utf8Blocks blocks = Utf8Blocks::kWidest);

}  // namespace tellwick
