#include "ui/history_worker.h"

#include <chrono>

#include "gamelog/game_folders.h"
#include "history/text_search.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

// The first rows show as soon as a screenful is read; later ones go in
// larger batches, so that the window is not kept busy taking them.
constexpr std::size_t kFirstBatch = 64;
constexpr std::size_t kBatch = 8192;
// Bytes a source spends on an entry besides its sender and message (entry
// line prefix, separators, line end or chunk offsets), for the progress bar.
constexpr std::uint64_t kEntryOverhead = 18;
constexpr std::uint64_t kProgressScale = 1000;

void post_mail(WorkerLink& link, const std::function<void(WorkerMail&)>& fill) {
  bool notify = false;
  {
    std::lock_guard<std::mutex> lock(link.mutex);
    fill(link.mail);
    notify = !link.notice_queued;
    link.notice_queued = true;
  }
  // A window that is gone takes no notice; the mail then dies with the link.
  if (notify) PostMessageW(link.window, link.message, 0, 0);
}

std::uint64_t file_size(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide(path), GetFileExInfoStandard, &data)) return 0;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// What the source's files hold, for the progress bar: a series' chunk files
// as far as they are numbered on.
std::uint64_t source_size(const HistorySource& source) {
  if (!source.current_log) return file_size(source.path);
  std::uint64_t total = 0;
  for (std::uint32_t i = 0;; ++i) {
    const std::u16string path = chunk_file_path(source.path, i);
    if (GetFileAttributesW(wide(path)) == INVALID_FILE_ATTRIBUTES) break;
    total += file_size(path);
  }
  return total;
}

void watch_stop(WorkerLink& link, HistoryPrinter& printer) {
  if (link.stop.load(std::memory_order_relaxed)) printer.stopped = true;
}

}  // namespace

void start_worker(HistoryWorker& worker, HWND window, UINT message, WorkerJob job) {
  stop_worker(worker);
  worker.link = std::make_shared<WorkerLink>();
  worker.link->window = window;
  worker.link->message = message;
  std::shared_ptr<WorkerLink> link = worker.link;
  worker.thread = std::thread([link, job = std::move(job)] {
    job(*link);
    post_mail(*link, [](WorkerMail& mail) { mail.finished = true; });
  });
}

void stop_worker(HistoryWorker& worker) {
  if (worker.link) worker.link->stop = true;
  if (worker.thread.joinable()) worker.thread.join();
  worker.link.reset();
}

bool take_mail(HistoryWorker& worker, WorkerMail& into) {
  into = WorkerMail{};
  if (!worker.link) return false;
  std::lock_guard<std::mutex> lock(worker.link->mutex);
  std::swap(into, worker.link->mail);
  // Progress is a state, not news: it stays for the next take.
  worker.link->mail.done = into.done;
  worker.link->mail.total = into.total;
  worker.link->notice_queued = false;
  return true;
}

WorkerJob load_job(const HistorySource& source) {
  return [source](WorkerLink& link) {
    const std::uint64_t total = source_size(source);
    HistorySession batch;
    std::uint64_t read = 0;
    const auto hand_over = [&] {
      post_mail(link, [&](WorkerMail& mail) {
        append_session(mail.entries, batch);
        mail.total = total;
        mail.done = read;
      });
      clear_session(batch);
    };
    std::size_t sent = 0;
    HistoryPrinter printer;
    printer.sinks.entry = [&](std::uint32_t time, std::uint32_t code, std::string_view sender,
                              std::string_view message) {
      add_session_entry(batch, time, code, sender, message);
      read += sender.size() + message.size() + kEntryOverhead;
      if (batch.count >= (sent == 0 ? kFirstBatch : kBatch)) {
        sent += batch.count;
        hand_over();
      }
      watch_stop(link, printer);
    };
    printer.sinks.message = [&](std::string_view text) {
      post_mail(link, [&](WorkerMail& mail) { mail.messages.emplace_back(text); });
    };
    read_history_source(printer, source);
    if (!link.stop) hand_over();
  };
}

WorkerJob count_job(const std::vector<HistorySource>& sources) {
  return [sources](WorkerLink& link) {
    for (std::size_t i = 1; i < sources.size() && !link.stop; ++i) {
      const std::size_t entries = count_source_entries(sources[i], &link.stop);
      if (link.stop) break;
      post_mail(link, [&](WorkerMail& mail) { mail.counts.push_back(SourceCount{i, entries}); });
    }
  };
}

WorkerJob search_job(const std::vector<HistorySource>& sources, const std::string& lower_text) {
  return [sources, lower_text](WorkerLink& link) {
    TextSearch search;
    prepare_text_search(lower_text, search);
    HistorySession hits;
    std::vector<std::uint32_t> hit_sources;
    std::vector<std::uint32_t> hit_indices;
    const auto hand_over = [&](std::uint64_t done) {
      post_mail(link, [&](WorkerMail& mail) {
        append_session(mail.entries, hits);
        mail.hit_sources.insert(mail.hit_sources.end(), hit_sources.begin(), hit_sources.end());
        mail.hit_indices.insert(mail.hit_indices.end(), hit_indices.begin(), hit_indices.end());
        mail.total = sources.size() * kProgressScale;
        mail.done = done * kProgressScale;
      });
      clear_session(hits);
      hit_sources.clear();
      hit_indices.clear();
    };
    for (std::size_t s = 0; s < sources.size() && !link.stop; ++s) {
      std::uint32_t index = 0;
      HistoryPrinter printer;
      printer.sinks.entry = [&](std::uint32_t time, std::uint32_t code, std::string_view sender,
                                std::string_view message) {
        if (find_text(search, message, 0) != std::string_view::npos) {
          add_session_entry(hits, time, code, sender, message);
          hit_sources.push_back(static_cast<std::uint32_t>(s));
          hit_indices.push_back(index);
          if (hits.count >= kBatch) hand_over(s);
        }
        ++index;
        watch_stop(link, printer);
      };
      printer.sinks.message = [&](std::string_view text) {
        post_mail(link, [&](WorkerMail& mail) { mail.messages.emplace_back(text); });
      };
      read_history_source(printer, sources[s]);
      if (!link.stop) hand_over(s + 1);
    }
  };
}

}  // namespace tellwick
