// The history window's reading and searching, each on a thread of its own so
// that the window answers while a year of history loads. The thread hands
// what it found to the window through a mailbox and one posted notice; the
// window takes the mail on its own thread, which alone touches its session.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "history/history_session.h"
#include "history/history_sources.h"

namespace tellwick {

struct SourceCount {
  std::size_t source = 0;
  std::size_t entries = 0;
};

// What a thread has found since the window last took its mail.
struct WorkerMail {
  HistorySession entries;  // entries read, or hits found
  // For hits: the source each came from and its index in that source's entries.
  std::vector<std::uint32_t> hit_sources;
  std::vector<std::uint32_t> hit_indices;
  std::vector<SourceCount> counts;
  std::vector<std::string> messages;  // bad input, UTF-8
  std::uint64_t done = 0;             // progress, out of `total`
  std::uint64_t total = 0;
  bool finished = false;
};

struct WorkerLink {
  std::mutex mutex;
  WorkerMail mail;
  bool notice_queued = false;
  std::atomic<bool> stop{false};
  HWND window = nullptr;
  UINT message = 0;
};

struct HistoryWorker {
  std::thread thread;
  std::shared_ptr<WorkerLink> link;
};

using WorkerJob = std::function<void(WorkerLink&)>;

// Stops any work `worker` had, then runs `job` on a new thread; its mail is
// announced to `window` with `message`.
void start_worker(HistoryWorker& worker, HWND window, UINT message, WorkerJob job);

// Asks the thread to stop and waits until it has: the readings look at the
// request between entries, so this returns at once.
void stop_worker(HistoryWorker& worker);

// Moves the mail into `into` (emptied first). False when no work is linked.
bool take_mail(HistoryWorker& worker, WorkerMail& into);

// The jobs. A load reads one source; a count counts the entries of each
// export source after the first; a search looks for the text (ASCII
// lower-case, as a reading's text filter holds it) in every source.
WorkerJob load_job(const HistorySource& source);
WorkerJob count_job(const std::vector<HistorySource>& sources);
WorkerJob search_job(const std::vector<HistorySource>& sources, const std::string& lower_text);

}  // namespace tellwick
