#include "history/session_view.h"

namespace tellwick {
namespace {

bool narrows(const ViewFilter& before, const ViewFilter& after) {
  if (before.all_channels != after.all_channels || before.channels != after.channels ||
      before.one_sender != after.one_sender || before.sender != after.sender) {
    return false;
  }
  return after.text.find(before.text) != std::string::npos;
}

void prepare(SessionView& view, const ViewFilter& filter) {
  view.filter = filter;
  view.match = HistoryFilter{};
  view.match.all_channels = filter.all_channels;
  view.match.channels = filter.channels;
  set_text_filter(filter.text, view.match);
  prepare_text_search(view.match.text, view.search);
}

// Searches whole text blocks rather than one message at a time: entries lie
// in a block in their order, so the first match at or after a message's
// start either lies within it or rules it out, and serves the entries after.
struct BlockSearch {
  std::uint32_t block = 0xFFFFFFFFu;
  std::size_t hit = 0;
};

bool text_shown(const SessionView& view, const HistorySession& session, const SessionEntry& entry,
                BlockSearch& cursor) {
  if (view.match.text.empty()) return true;
  const std::size_t start = std::size_t{entry.offset} + entry.sender_length;
  const std::size_t end = start + entry.message_length;
  if (cursor.block != entry.block || cursor.hit < start) {
    const TextBlock& block = session.blocks[entry.block];
    cursor.block = entry.block;
    cursor.hit = find_text(view.search, std::string_view(block.bytes.get(), block.used), start);
  }
  return cursor.hit != std::string_view::npos && cursor.hit + view.search.needle.size() <= end;
}

bool shown_with(const SessionView& view, const HistorySession& session, const SessionEntry& entry,
                BlockSearch& cursor) {
  if (!time_and_channel_pass(view.match, entry.time, channel_of_code(entry.code))) return false;
  if (view.filter.one_sender && sender_of(session, entry) != view.filter.sender) return false;
  return text_shown(view, session, entry, cursor);
}

}  // namespace

bool entry_shown(const SessionView& view, const HistorySession& session, const SessionEntry& entry) {
  BlockSearch cursor;
  return shown_with(view, session, entry, cursor);
}

void set_view_filter(SessionView& view, const HistorySession& session, const ViewFilter& filter) {
  const bool only_shown = narrows(view.filter, filter);
  prepare(view, filter);
  if (only_shown) {
    std::size_t kept = 0;
    BlockSearch cursor;
    for (const std::uint32_t index : view.shown) {
      if (shown_with(view, session, session_entry(session, index), cursor)) view.shown[kept++] = index;
    }
    view.shown.resize(kept);
    extend_view(view, session);
    return;
  }
  view.shown.clear();
  view.looked_at = 0;
  extend_view(view, session);
}

void extend_view(SessionView& view, const HistorySession& session) {
  BlockSearch cursor;
  for (std::size_t i = view.looked_at; i < session.count; ++i) {
    if (shown_with(view, session, session_entry(session, i), cursor)) {
      view.shown.push_back(static_cast<std::uint32_t>(i));
    }
  }
  view.looked_at = session.count;
}

void reset_view(SessionView& view) {
  view.shown.clear();
  view.looked_at = 0;
}

}  // namespace tellwick
