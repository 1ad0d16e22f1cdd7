// One session of history held in memory for the history window: entries as
// small fixed records, their sender and message in large text blocks, so
// that a year of play takes little more memory than its export file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_printer.h"

namespace tellwick {

struct SessionEntry {
  std::uint32_t time = 0;
  std::uint16_t code = 0;           // the four hex digits of the entry line
  std::uint16_t sender_length = 0;  // bytes of the sender, which comes first in the text
  std::uint32_t message_length = 0;
  std::uint32_t block = 0;  // the text block holding sender then message
  std::uint32_t offset = 0;
};

// Records live in pages and texts in blocks that never move once made, so
// that growing a session copies nothing and wastes at most one page and one
// block's unused end.
constexpr std::size_t kSessionPageEntries = std::size_t{1} << 16;
constexpr std::size_t kSessionTextBlock = std::size_t{1} << 20;
// A sender is a name; one longer than a record can say (possible only in a
// damaged export file) is cut.
constexpr std::size_t kMaxSenderLength = 0xFFFF;

struct TextBlock {
  std::unique_ptr<char[]> bytes;
  std::size_t capacity = 0;
  std::size_t used = 0;
};

struct HistorySession {
  std::vector<std::unique_ptr<SessionEntry[]>> pages;
  std::vector<TextBlock> blocks;
  std::size_t count = 0;
  std::size_t text_bytes = 0;  // sender and message bytes of every entry
};

void add_session_entry(HistorySession& session, std::uint32_t time, std::uint32_t code, std::string_view sender,
                       std::string_view message);

inline const SessionEntry& session_entry(const HistorySession& session, std::size_t index) {
  return session.pages[index / kSessionPageEntries][index % kSessionPageEntries];
}
std::string_view sender_of(const HistorySession& session, const SessionEntry& entry);
std::string_view message_of(const HistorySession& session, const SessionEntry& entry);

// Adds every entry of `from` (a batch read elsewhere) after those of `to`.
void append_session(HistorySession& to, const HistorySession& from);

void clear_session(HistorySession& session);

// The bytes the session holds: pages and blocks as allocated.
std::size_t session_memory(const HistorySession& session);

// Makes `printer` add every entry it reads to `session` (the printer's
// filter still applies; its history sink is left as it was).
void fill_session_through(HistoryPrinter& printer, HistorySession& session);

// The rows `indices` name, in that order, each as a reading in text format
// prints it, with `line_end` instead of "\n".
std::string session_text_lines(const HistorySession& session, const std::vector<std::uint32_t>& indices,
                               std::string_view line_end);

}  // namespace tellwick
