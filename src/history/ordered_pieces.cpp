#include "history/ordered_pieces.h"

#include <algorithm>

namespace tellwick {

OrderedPieces::OrderedPieces(int workers, Work work, Take take) : work_(std::move(work)), take_(std::move(take)) {
  // One piece waiting to be taken besides one under way for each worker.
  limit_ = static_cast<std::size_t>(std::max(workers, 0)) + 1;
  for (int i = 0; i < workers; ++i) {
    try {
      threads_.emplace_back(&OrderedPieces::run, this, i);
    } catch (...) {
      break;  // fewer threads, or none: the caller works alone
    }
  }
}

OrderedPieces::~OrderedPieces() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void OrderedPieces::run(int worker) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || claimed_ < jobs_.size(); });
    if (stopping_) return;
    Job& job = *jobs_[claimed_++];
    lock.unlock();
    work_(worker, job.piece, job.result);
    lock.lock();
    job.done = true;
    changed_.notify_all();
  }
}

bool OrderedPieces::take_front() {
  std::unique_ptr<Job> job;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return jobs_.front()->done; });
    job = std::move(jobs_.front());
    jobs_.pop_front();
    --claimed_;
  }
  if (taking_) taking_ = take_(job->result);
  spare_.push_back(std::move(job));
  return taking_;
}

std::size_t OrderedPieces::jobs_size() {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_.size();
}

std::vector<std::uint8_t> OrderedPieces::spare_piece() {
  if (spare_.empty()) return {};
  return std::move(spare_.back()->piece);
}

bool OrderedPieces::give(std::vector<std::uint8_t>&& piece) {
  if (!taking_) return false;
  // Buffers are used again: allocating pieces anew would cost a page fault
  // for every few kilobytes read.
  std::unique_ptr<Job> job;
  if (spare_.empty()) {
    job = std::make_unique<Job>();
  } else {
    job = std::move(spare_.back());
    spare_.pop_back();
    // Its text goes back to the work as it is: the work replaces it, and
    // the bytes it holds are room that need not be filled again.
    job->result = PieceResult{std::move(job->result.text)};
    job->done = false;
  }
  job->piece = std::move(piece);
  if (threads_.empty()) {
    work_(0, job->piece, job->result);
    taking_ = take_(job->result);
    spare_.push_back(std::move(job));
    return taking_;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  changed_.notify_all();
  while (jobs_size() >= limit_) {
    if (!take_front()) return false;
  }
  return true;
}

bool OrderedPieces::finish() {
  while (jobs_size() > 0) {
    if (!take_front()) return false;
  }
  return taking_;
}

int piece_workers() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores <= 1 ? 0 : static_cast<int>(std::min(cores, 4u));
}

}  // namespace tellwick
