// Pieces worked on by several threads come back in the order given, with
// or without threads, and a taker that says "enough" ends the work at once.
#include "history/ordered_pieces.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tellwick {
namespace {

// Later pieces are done sooner: the order must come from the taking.
void work(int, const std::vector<std::uint8_t>& piece, PieceResult& result) {
  std::this_thread::sleep_for(std::chrono::microseconds(50 * (piece[0] % 4)));
  result.text = std::to_string(piece[0]);
}

TEST(OrderedPieces, ResultsComeInTheOrderGiven) {
  for (const int workers : {0, 1, 2, 4}) {
    std::string taken;
    OrderedPieces pieces(workers, work, [&](PieceResult& r) {
      taken += r.text + ",";
      return true;
    });
    std::string expected;
    for (std::uint8_t i = 0; i < 200; ++i) {
      ASSERT_TRUE(pieces.give({i}));
      expected += std::to_string(i) + ",";
    }
    EXPECT_TRUE(pieces.finish());
    EXPECT_EQ(taken, expected) << workers << " workers";
  }
}

TEST(OrderedPieces, ATakerThatHasEnoughEndsTheWork) {
  for (const int workers : {0, 2}) {
    int taken = 0;
    OrderedPieces pieces(workers, work, [&](PieceResult&) { return ++taken < 5; });
    bool given = true;
    std::uint8_t i = 0;
    for (; i < 100 && given; ++i) given = pieces.give({i});
    EXPECT_FALSE(given);
    EXPECT_FALSE(pieces.finish());
    EXPECT_EQ(taken, 5) << workers << " workers";
    EXPECT_LE(i, 5 + workers + 1);  // no more given than may be under way
  }
}

}  // namespace
}  // namespace tellwick
