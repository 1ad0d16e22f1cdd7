// A chunk file read and its lines rendered one step ahead, on a thread of
// its own. An export is mostly rendering lines, which a second processor can
// share: while the export takes one chunk file, the next is made ready
// beside it, and the export then takes it in its turn, in the series' order.
// Whether the series goes on to that file is still decided in its turn, by
// the series (gamelog/chunk_series.h); what is made ready and not taken is
// dropped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gamelog/chunk_series.h"
#include "gamelog/chunk_view.h"
#include "output/output_charset.h"
#include "output/output_file.h"
#include "platform/file.h"

namespace tellwick {

// A chunk file as it is made ready.
struct ChunkAheadResult {
  ChunkFile file;
  // The lines of entries 0 .. rendered_entries - 1 in the output charset:
  // all of them, unless they would take too much memory, when the export
  // renders the rest itself.
  std::vector<char> rendered;
  std::uint32_t rendered_entries = 0;
  std::vector<std::uint32_t> candidates;  // rendered entries that may be materia messages
  bool any_time = false;                  // some rendered entry has a time
  std::uint32_t first_time = 0;           // the first non-zero time among them
  std::uint32_t last_time = 0;            // the last one's time
};

class ChunkAhead {
 public:
  // Lines are rendered in `charset`, sequences shown or not; none at all
  // without `render` (an export without an export file). Without
  // `own_thread` (or when no thread can be had) each file is made ready in
  // result(), on the caller's thread.
  ChunkAhead(OutputCharset charset, bool show_control, bool render, bool own_thread);
  ~ChunkAhead();  // waits for the file being made ready, then ends the thread
  ChunkAhead(const ChunkAhead&) = delete;
  ChunkAhead& operator=(const ChunkAhead&) = delete;

  // Starts making `path` ready; a file written before `not_before` is not
  // read. One at a time: a start follows the result of the one before.
  void start(const std::u16string& path, FileTime not_before);
  // Waits for the file last started.
  ChunkAheadResult& result();

 private:
  void run();
  void make_ready();

  const OutputCharset charset_;
  const bool show_control_;
  const bool render_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool started_ = false;  // a file is to be made ready, or being made ready
  bool ending_ = false;
  std::u16string path_;
  FileTime not_before_ = 0;
  ChunkAheadResult result_;
  OutputFile lines_;  // gathers into result_.rendered
  std::thread thread_;
};

}  // namespace tellwick
