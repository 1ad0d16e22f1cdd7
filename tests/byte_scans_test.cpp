// The raw-byte scans of the piece reader against plain loops, on random
// bytes rich in what they look for, at every length up to a few blocks and
// every start, so that each tail and block edge is passed.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "history/byte_scans.h"

namespace tellwick {
namespace {

std::uint32_t unit(const std::uint8_t* d, std::size_t i) { return d[i] | static_cast<std::uint32_t>(d[i + 1]) << 8; }

TEST(ByteScans, AgreeWithPlainLoops) {
  std::mt19937 random(11);
  // Mostly the bytes looked for, so that every count and first place varies.
  const std::uint8_t choices[] = {'\n', 0x00, 0xD8, 0xDF, 0xE0, 0xE1, 'a', 0xF8};
  std::vector<std::uint8_t> bytes(16 * 300 + 40);
  for (int round = 0; round < 40; ++round) {
    for (auto& b : bytes) b = random() % 4 == 0 ? static_cast<std::uint8_t>(random()) : choices[random() % 8];
    // Long runs too: the counts of a block are summed every 255 blocks.
    if (round % 4 == 0) std::fill(bytes.begin(), bytes.end(), round % 8 == 0 ? '\n' : 0);
    for (std::size_t start = 0; start < 34; start += 2) {
      for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16}, std::size_t{17},
                               std::size_t{33}, std::size_t{64}, bytes.size() - start}) {
        const std::uint8_t* d = bytes.data() + start;
        std::size_t newlines = 0, wide_newlines = 0, first_e0 = size;
        bool surrogate = false;
        for (std::size_t i = 0; i < size; ++i) newlines += d[i] == '\n';
        for (std::size_t i = 0; i + 1 < size; i += 2) {
          wide_newlines += unit(d, i) == '\n';
          surrogate = surrogate || (unit(d, i) & 0xF800) == 0xD800;
          if (first_e0 == size && d[i + 1] == 0xE0) first_e0 = i;
        }
        ASSERT_EQ(newlines_in(d, size), newlines) << start << " " << size;
        ASSERT_EQ(wide_newlines_in(d, size), wide_newlines) << start << " " << size;
        ASSERT_EQ(has_surrogate(d, size), surrogate) << start << " " << size;
        ASSERT_EQ(next_wide_unit_in_block(d, size, 0, 0xE0), first_e0) << start << " " << size;
      }
    }
  }
}

}  // namespace
}  // namespace tellwick
