// Which entries a reading shows: channels, a time range, a sender, a text.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "history/channels.h"

namespace tellwick {

struct HistoryFilter {
  bool all_channels = true;
  ChannelSet channels;
  std::int64_t since = std::numeric_limits<std::int64_t>::min();  // first second shown
  std::int64_t until = std::numeric_limits<std::int64_t>::max();  // first second no longer shown
  std::string sender;                                             // ASCII lower-case; empty: any
  std::string text;                                               // ASCII lower-case; empty: any
};

// "Say,party,CHAT": every word must name a channel or a group. On failure
// `unknown` holds the first word that names nothing.
bool add_channel_filter(std::string_view list, HistoryFilter& filter, std::string& unknown);

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM" in local time. As the start of a range
// it stands for its first second; as the end (`end` true) for its last, so
// that "--until 2024-05-01" keeps the whole day. False for any other text
// or a date that does not exist.
bool parse_local_date(std::string_view text, bool end, std::int64_t& unix_seconds);

void set_sender_filter(std::string_view text, HistoryFilter& filter);
void set_text_filter(std::string_view text, HistoryFilter& filter);

bool time_and_channel_pass(const HistoryFilter& filter, std::int64_t time, int channel);
bool fields_pass(const HistoryFilter& filter, std::string_view sender, std::string_view message);

// Plain substring search, ASCII letters without regard to case; `needle`
// already lower-case. Other characters, Japanese included, compare exactly.
bool contains_ignoring_ascii_case(std::string_view haystack, std::string_view needle);

}  // namespace tellwick
