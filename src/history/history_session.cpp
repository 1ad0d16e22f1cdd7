#include "history/history_session.h"

#include <algorithm>
#include <cstring>

#include "history/channels.h"

namespace tellwick {
namespace {

// Room for `size` more bytes in the last block, or a new block: one entry's
// text never spans two blocks.
TextBlock& block_for(HistorySession& session, std::size_t size) {
  if (session.blocks.empty() || session.blocks.back().capacity - session.blocks.back().used < size) {
    TextBlock block;
    block.capacity = std::max(kSessionTextBlock, size);
    block.bytes = std::make_unique<char[]>(block.capacity);
    session.blocks.push_back(std::move(block));
  }
  return session.blocks.back();
}

}  // namespace

void add_session_entry(HistorySession& session, std::uint32_t time, std::uint32_t code, std::string_view sender,
                       std::string_view message) {
  if (sender.size() > kMaxSenderLength) sender = sender.substr(0, kMaxSenderLength);
  // A record's lengths and offsets are 32 bits: a message beyond that (no
  // real file holds one) keeps what fits.
  constexpr std::size_t kMaxMessage = 0xFFFFFFFFu - kMaxSenderLength;
  if (message.size() > kMaxMessage) message = message.substr(0, kMaxMessage);
  if (session.count % kSessionPageEntries == 0 && session.count / kSessionPageEntries == session.pages.size()) {
    session.pages.push_back(std::make_unique<SessionEntry[]>(kSessionPageEntries));
  }
  const std::size_t size = sender.size() + message.size();
  TextBlock& block = block_for(session, size);
  // An empty view may hold no pointer at all, which memcpy must not see.
  if (!sender.empty()) std::memcpy(block.bytes.get() + block.used, sender.data(), sender.size());
  if (!message.empty()) std::memcpy(block.bytes.get() + block.used + sender.size(), message.data(), message.size());

  SessionEntry& entry = session.pages[session.count / kSessionPageEntries][session.count % kSessionPageEntries];
  entry.time = time;
  entry.code = static_cast<std::uint16_t>(code);
  entry.sender_length = static_cast<std::uint16_t>(sender.size());
  entry.message_length = static_cast<std::uint32_t>(message.size());
  entry.block = static_cast<std::uint32_t>(session.blocks.size() - 1);
  entry.offset = static_cast<std::uint32_t>(block.used);
  block.used += size;
  session.text_bytes += size;
  ++session.count;
}

std::string_view sender_of(const HistorySession& session, const SessionEntry& entry) {
  return std::string_view(session.blocks[entry.block].bytes.get() + entry.offset, entry.sender_length);
}

std::string_view message_of(const HistorySession& session, const SessionEntry& entry) {
  return std::string_view(session.blocks[entry.block].bytes.get() + entry.offset + entry.sender_length,
                          entry.message_length);
}

void append_session(HistorySession& to, const HistorySession& from) {
  for (std::size_t i = 0; i < from.count; ++i) {
    const SessionEntry& e = session_entry(from, i);
    add_session_entry(to, e.time, e.code, sender_of(from, e), message_of(from, e));
  }
}

void clear_session(HistorySession& session) { session = HistorySession{}; }

std::size_t session_memory(const HistorySession& session) {
  std::size_t bytes = session.pages.size() * kSessionPageEntries * sizeof(SessionEntry);
  for (const TextBlock& block : session.blocks) bytes += block.capacity;
  return bytes + session.pages.capacity() * sizeof(void*) + session.blocks.capacity() * sizeof(TextBlock);
}

void fill_session_through(HistoryPrinter& printer, HistorySession& session) {
  printer.sinks.entry = [&session](std::uint32_t time, std::uint32_t code, std::string_view sender,
                                   std::string_view message) {
    add_session_entry(session, time, code, sender, message);
  };
}

std::string session_text_lines(const HistorySession& session, const std::vector<std::uint32_t>& indices,
                               std::string_view line_end) {
  std::string out;
  std::string line;
  LocalTimeCache cache;
  for (const std::uint32_t index : indices) {
    if (index >= session.count) continue;
    const SessionEntry& e = session_entry(session, index);
    line.clear();
    append_text_line(cache, e.time, channel_of_code(e.code), sender_of(session, e), message_of(session, e), line);
    line.pop_back();  // the "\n" the reading ends each line with
    out += line;
    out += line_end;
  }
  return out;
}

}  // namespace tellwick
