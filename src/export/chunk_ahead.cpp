#include "export/chunk_ahead.h"

#include <system_error>

#include "export/entry_pipeline.h"
#include "gamelog/little_endian.h"

namespace tellwick {
namespace {

// Beyond this many bytes of lines a chunk file's remaining entries are left
// to the export, which writes them out as it goes: a huge chunk file must
// not be rendered whole into memory.
constexpr std::size_t kRenderedLimit = 4 * 1024 * 1024;

}  // namespace

ChunkAhead::ChunkAhead(OutputCharset charset, bool show_control, bool render, bool own_thread)
    : charset_(charset), show_control_(show_control), render_(render) {
  if (!own_thread) return;
  try {
    thread_ = std::thread(&ChunkAhead::run, this);
  } catch (const std::system_error&) {
    // No thread to be had: result() makes each file ready itself.
  }
}

ChunkAhead::~ChunkAhead() {
  if (!thread_.joinable()) return;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !started_; });
    ending_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ChunkAhead::start(const std::u16string& path, FileTime not_before) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
    not_before_ = not_before;
    started_ = true;
  }
  changed_.notify_all();
}

ChunkAheadResult& ChunkAhead::result() {
  if (!thread_.joinable()) {
    if (started_) make_ready();
    started_ = false;
    return result_;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !started_; });
  return result_;
}

void ChunkAhead::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return started_ || ending_; });
    if (ending_) return;
    lock.unlock();
    make_ready();
    lock.lock();
    started_ = false;
    changed_.notify_all();
  }
}

// Runs without the lock: the export touches none of this until result().
void ChunkAhead::make_ready() {
  ChunkAheadResult& r = result_;
  read_chunk_file(path_, not_before_, r.file);
  r.rendered_entries = 0;
  r.candidates.clear();
  r.any_time = false;
  r.first_time = 0;
  r.last_time = 0;
  output_gather(lines_, r.rendered);
  if (r.file.opened) {
    OutputFile* lines = render_ ? &lines_ : nullptr;
    for (std::uint32_t k = 0; k < r.file.view.entry_count && lines_.size <= kRenderedLimit; ++k) {
      ChunkEntry entry;
      if (chunk_entry(r.file.view, k, entry)) {
        const std::uint32_t time = read_u32(entry.bytes);
        if (r.first_time == 0) r.first_time = time;
        r.last_time = time;
        r.any_time = true;
        if (write_entry_line(entry, lines, charset_, show_control_)) r.candidates.push_back(k);
      }
      r.rendered_entries = k + 1;
    }
  }
  output_close(lines_);
}

}  // namespace tellwick
