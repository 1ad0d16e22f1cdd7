// Readable history: one line per entry, as text or as JSON, gathered in a
// buffer and handed out in large pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "history/history_filter.h"
#include "platform/local_time.h"

namespace tellwick {

enum class HistoryFormat { kText, kJson };

// What one reading writes: the history, and messages about bad input. Both
// receive UTF-8; each message is one line without its line end. A reader
// that keeps the entries themselves (the history window) sets `entry`: each
// entry that passes the filter then goes there, taken apart, instead of
// being formatted into the history.
struct HistorySinks {
  std::function<void(std::string_view)> history;
  std::function<void(std::string_view)> message;
  std::function<void(std::uint32_t time, std::uint32_t code, std::string_view sender, std::string_view message)> entry;
};

// Entry times are mostly in order and many share a minute: the local time
// of the last minute seen is kept.
struct LocalTimeCache {
  std::int64_t minute = -1;
  CalendarSecond start;  // local time of the minute's first second
  bool valid = false;
  char text[17];   // "YYYY-MM-DD HH:MM:" of that minute
  char offset[6];  // "+09:00"
  // The decimal digits of the last moment's hundreds of seconds since 1970,
  // which JSON lines show.
  std::int64_t hundreds = -1;
  char hundreds_text[10];
  int hundreds_digits = 0;
};

struct HistoryPrinter {
  HistoryFilter filter;
  HistoryFormat format = HistoryFormat::kText;
  HistorySinks sinks;
  std::string buffer;
  std::string scratch;        // the entry's text with control sequences as the game shows them
  std::string glyph_scratch;  // and with the game's own glyphs made readable
  LocalTimeCache time_cache;
  // The buffer is handed out once it holds this much.
  std::size_t flush_size = 256 * 1024;
  // Set by the history sink when its reader takes nothing more (a pipe
  // closed early): the reading ends at once instead of reading on for nobody.
  bool stopped = false;
};

// One entry: `text` is its text after the entry line prefix, with every
// control sequence in raw form already replaced by what the game shows for
// it, and well-formed UTF-8. `shown_sequences`: the text may hold control
// sequences shown as hex.
void print_entry(HistoryPrinter& printer, std::uint32_t time, std::uint32_t code, std::string_view text,
                 bool shown_sequences);

void report(HistoryPrinter& printer, std::string_view message);

// Hands out what the buffer holds.
void flush_history(HistoryPrinter& printer);

// The text line of one entry, as a reading in text format prints it, with
// its line end "\n", appended to `out`.
void append_text_line(LocalTimeCache& cache, std::int64_t time, int channel, std::string_view sender,
                      std::string_view message, std::string& out);

// "2014-03-05 21:07:40" and "2014-03-05T21:07:40+09:00" of a moment.
std::string local_time_text(LocalTimeCache& cache, std::int64_t unix_seconds);
std::string iso_time_text(LocalTimeCache& cache, std::int64_t unix_seconds);

}  // namespace tellwick
