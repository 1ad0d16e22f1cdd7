// Pieces of a file worked on by threads of their own and handed back in the
// order they were given: reading a long history back keeps every core busy
// formatting while the output stays as one thread would write it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tellwick {

// What the work on one piece gives.
struct PieceResult {
  // Replaced by each work: a result used again comes with the text of an
  // earlier piece, whose bytes are room to write into.
  std::string text;
  std::size_t replaced = 0;
  std::size_t first_replaced_line = 0;  // in the piece, 1-based; 0 when none
  std::size_t line_ends = 0;
  bool odd_length = false;
};

class OrderedPieces {
 public:
  // Runs on a worker for each piece; `worker` numbers the thread, so that
  // state kept between pieces can be had per thread.
  using Work = std::function<void(int worker, const std::vector<std::uint8_t>& piece, PieceResult& result)>;
  // Runs on the giving thread, in order; false ends the work.
  using Take = std::function<bool(PieceResult& result)>;

  // With no thread (`workers` below 1, or none to be had), each piece is
  // worked on as it is given.
  OrderedPieces(int workers, Work work, Take take);
  // Stops the workers; pieces not yet taken are dropped.
  ~OrderedPieces();
  OrderedPieces(const OrderedPieces&) = delete;
  OrderedPieces& operator=(const OrderedPieces&) = delete;

  // Queues the piece (best read into a buffer of spare_piece()); takes the
  // results that are ready while too many pieces are under way, so that
  // memory stays bounded. False once the taker said false.
  bool give(std::vector<std::uint8_t>&& piece);
  // A buffer of a piece already taken, to read the next one into without
  // allocating; empty when there is none yet.
  std::vector<std::uint8_t> spare_piece();
  // Takes every result still to come. False once the taker said false.
  bool finish();

 private:
  struct Job {
    std::vector<std::uint8_t> piece;
    PieceResult result;
    bool done = false;
  };

  void run(int worker);
  bool take_front();
  std::size_t jobs_size();

  Work work_;
  Take take_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Job>> jobs_;  // in the order given; the first `claimed_` are under way or done
  std::size_t claimed_ = 0;
  std::vector<std::unique_ptr<Job>> spare_;  // taken, kept for their buffers; the giving thread's alone
  bool stopping_ = false;
  bool taking_ = true;
  std::size_t limit_ = 0;
  std::vector<std::thread> threads_;
};

// How many threads to format pieces with: none on a single core.
int piece_workers();

}  // namespace tellwick
