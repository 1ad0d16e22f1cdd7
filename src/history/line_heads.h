// The start of every history line, written in place: the local time and
// channel of a text line, everything before the sender of a JSON line.
// They are made for each of millions of entries, so the common case (a
// moment in the minute of the entry before) is inlined where they are
// written.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "history/channels.h"
#include "history/history_printer.h"

namespace tellwick {

// "00" to "99": seconds, and numbers two digits at a time.
inline constexpr auto kTwoDigitNumbers = [] {
  std::array<char, 200> digits{};
  for (int i = 0; i < 100; ++i) {
    digits[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    digits[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return digits;
}();

// The time of a moment in the kept minute from that minute's text, when
// the moment lies in the minute's sixty seconds.
[[gnu::always_inline]] inline bool write_time_in_kept_minute(const LocalTimeCache& cache, std::int64_t t,
                                                             std::int64_t minute, char* line) {
  const int second = cache.start.second + static_cast<int>(t - minute * 60);
  if (second >= 60) return false;
  std::memcpy(line, cache.text, sizeof cache.text);
  std::memcpy(line + 17, kTwoDigitNumbers.data() + 2 * second, 2);
  std::memcpy(line + 19, cache.offset, sizeof cache.offset);
  return true;
}

// The time of a moment the kept minute does not give: its minute is made
// anew and kept.
bool write_time_of_new_minute(LocalTimeCache& cache, std::int64_t t, std::int64_t minute, char* line);

// Writes the 25 bytes of "YYYY-MM-DD HH:MM:SS+hh:mm" into `line`; false for
// a moment the C library cannot place.
[[gnu::always_inline]] inline bool write_time(LocalTimeCache& cache, std::int64_t t, char* line) {
  const std::int64_t minute = t >= 0 ? t / 60 : (t - 59) / 60;
  if (cache.valid && minute == cache.minute && write_time_in_kept_minute(cache, t, minute, line)) return true;
  return write_time_of_new_minute(cache, t, minute, line);
}

// "YYYY-MM-DD HH:MM:SS [Channel] " of a text line, written at `out`, which
// has this much room (the whole time and the channel name's whole room are
// copied, each overwritten by what follows it); returns its end.
constexpr std::size_t kTextHeadRoom = 19 + 2 + PaddedChannelName::kRoom;
char* put_text_head(LocalTimeCache& cache, std::int64_t time, int channel, char* out);
// Its size, known before it is written.
inline std::size_t text_head_size(int channel) { return 19 + 2 + padded_channel_name(channel).size + 2; }

// Everything of a JSON line before the sender's string, up to and with
// `"sender":`, written at `out`, which has this much room; returns its end.
// The time and channel name hold nothing a JSON string escapes.
constexpr std::size_t kJsonHeadRoom =
    8 + 27 + 8 + 20 + 12 + std::max(PaddedChannelName::kRoom, kLongestChannelName + 9 + 10 + 10);
char* put_json_head(LocalTimeCache& cache, std::uint32_t time, std::uint32_t code, char* out);

}  // namespace tellwick
