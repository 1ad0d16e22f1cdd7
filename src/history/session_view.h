// Which entries of a session the history window shows: a channel choice, a
// search text (matched as a reading's text filter matches it) and one
// sender, kept as the list of the shown entries' indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "history/history_filter.h"
#include "history/history_session.h"
#include "history/text_search.h"

namespace tellwick {

struct ViewFilter {
  bool all_channels = true;
  ChannelSet channels;
  std::string text;  // as typed, UTF-8; empty: any
  bool one_sender = false;
  std::string sender;  // compared exactly: it was taken from a row
};

struct SessionView {
  ViewFilter filter;
  HistoryFilter match;  // the channels and the text as a reading's filter holds them
  TextSearch search;
  std::vector<std::uint32_t> shown;  // indices of the shown entries, in session order
  std::size_t looked_at = 0;         // entries of the session already decided on
};

bool entry_shown(const SessionView& view, const HistorySession& session, const SessionEntry& entry);

// Sets the filter and rebuilds the shown list over the whole session. A text
// that only grows the one before, with the same channels and sender, looks
// again only at the entries shown already.
void set_view_filter(SessionView& view, const HistorySession& session, const ViewFilter& filter);

// Decides on the entries added to the session since the last call.
void extend_view(SessionView& view, const HistorySession& session);

// Forgets every entry: for a session that starts again empty.
void reset_view(SessionView& view);

}  // namespace tellwick
