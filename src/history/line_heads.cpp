#include "history/line_heads.h"

namespace tellwick {
namespace {

void put_digits(char* out, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// "YYYY-MM-DD HH:MM:", to which the seconds are added.
void format_local_time(const CalendarSecond& t, char* out) {
  put_digits(out, t.year, 4);
  out[4] = '-';
  put_digits(out + 5, t.month, 2);
  out[7] = '-';
  put_digits(out + 8, t.day, 2);
  out[10] = ' ';
  put_digits(out + 11, t.hour, 2);
  out[13] = ':';
  put_digits(out + 14, t.minute, 2);
  out[16] = ':';
}

void format_offset(int offset, char* out) {
  out[0] = offset < 0 ? '-' : '+';
  const int magnitude = offset < 0 ? -offset : offset;
  put_digits(out + 1, magnitude / 3600, 2);
  out[3] = ':';
  put_digits(out + 4, magnitude / 60 % 60, 2);
}

// A text known when the program is built, copied without a call.
template <std::size_t size>
char* put_literal(char* out, const char (&text)[size]) {
  std::memcpy(out, text, size - 1);
  return out + size - 1;
}

// The decimal digits of `value`, two at a time, written in place.
char* put_integer(char* out, std::uint32_t value) {
  const int digits = 1 + (value >= 10) + (value >= 100) + (value >= 1000) + (value >= 10000) + (value >= 100000) +
                     (value >= 1000000) + (value >= 10000000) + (value >= 100000000) + (value >= 1000000000);
  char* const end = out + digits;
  char* p = end;
  for (; value >= 100; value /= 100) {
    p -= 2;
    std::memcpy(p, kTwoDigitNumbers.data() + 2 * (value % 100), 2);
  }
  if (value >= 10) {
    std::memcpy(p - 2, kTwoDigitNumbers.data() + 2 * value, 2);
  } else {
    p[-1] = static_cast<char>('0' + value);
  }
  return end;
}

// The seconds since 1970 in decimal: entries close in time share all digits
// but the last two, which are made once.
char* put_unix_time(LocalTimeCache& cache, std::uint32_t time, char* out) {
  const std::uint32_t hundreds = time / 100;
  if (hundreds == 0) return put_integer(out, time);
  if (static_cast<std::int64_t>(hundreds) != cache.hundreds) {
    cache.hundreds = hundreds;
    cache.hundreds_digits = static_cast<int>(put_integer(cache.hundreds_text, hundreds) - cache.hundreds_text);
  }
  std::memcpy(out, cache.hundreds_text, sizeof cache.hundreds_text);
  out += cache.hundreds_digits;
  std::memcpy(out, kTwoDigitNumbers.data() + 2 * (time % 100), 2);
  return out + 2;
}

}  // namespace

[[gnu::noinline]] bool write_time_of_new_minute(LocalTimeCache& cache, std::int64_t t, std::int64_t minute,
                                                char* line) {
  cache.valid = local_calendar_second(minute * 60, cache.start);
  cache.minute = minute;
  if (!cache.valid) return false;
  format_local_time(cache.start, cache.text);
  format_offset(cache.start.utc_offset, cache.offset);
  if (write_time_in_kept_minute(cache, t, minute, line)) return true;
  // Only an offset from UTC with seconds of its own moves the minute.
  CalendarSecond local;
  if (!local_calendar_second(t, local)) return false;
  format_local_time(local, line);
  put_digits(line + 17, local.second, 2);
  format_offset(local.utc_offset, line + 19);
  return true;
}

char* put_text_head(LocalTimeCache& cache, std::int64_t time, int channel, char* out) {
  constexpr std::size_t kTime = 19;
  const PaddedChannelName& name = padded_channel_name(channel);
  // A moment the C library cannot place shows as zeros.
  if (!write_time(cache, time, out)) std::memcpy(out, "0000-00-00 00:00:00", kTime);
  std::memcpy(out + kTime, " [", 2);
  std::memcpy(out + kTime + 2, name.text, PaddedChannelName::kRoom);
  char* end = out + kTime + 2 + name.size;
  std::memcpy(end, "] ", 2);
  return end + 2;
}

char* put_json_head(LocalTimeCache& cache, std::uint32_t time, std::uint32_t code, char* out) {
  char* h = put_literal(out, "{\"time\":");
  if (write_time(cache, time, h + 1)) {
    h[0] = '"';
    h[11] = 'T';
    h[26] = '"';
    h += 27;
  } else {
    h = put_literal(h, "null");
  }
  h = put_literal(h, ",\"unix\":");
  h = put_unix_time(cache, time, h);
  h = put_literal(h, ",\"channel\":\"");
  const PaddedChannelName& channel = padded_channel_name(channel_of_code(code));
  std::memcpy(h, channel.text, PaddedChannelName::kRoom);
  h += channel.size;
  h = put_literal(h, "\",\"code\":");
  h = put_integer(h, code);
  return put_literal(h, ",\"sender\":");
}

}  // namespace tellwick
