#include "history/history_filter.h"

#include "platform/civil_days.h"
#include "platform/local_time.h"

namespace tellwick {
namespace {

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lower_ascii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = ascii_lower(c);
  return lower;
}

bool read_number(std::string_view text, std::size_t pos, std::size_t digits, int& value) {
  value = 0;
  for (std::size_t i = pos; i < pos + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

bool add_channel_filter(std::string_view list, HistoryFilter& filter, std::string& unknown) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t comma = list.find(',', pos);
    const std::string_view word =
        list.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
    if (!channels_of_name(word, filter.channels)) {
      unknown = std::string(word);
      return false;
    }
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  filter.all_channels = false;
  return true;
}

bool parse_local_date(std::string_view text, bool end, std::int64_t& unix_seconds) {
  constexpr std::size_t kDateLength = 10;      // YYYY-MM-DD
  constexpr std::size_t kDateTimeLength = 16;  // YYYY-MM-DD HH:MM
  if (text.size() != kDateLength && text.size() != kDateTimeLength) return false;
  int year, month, day, hour = 0, minute = 0;
  if (!read_number(text, 0, 4, year) || text[4] != '-' || !read_number(text, 5, 2, month) || text[7] != '-' ||
      !read_number(text, 8, 2, day)) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month) || year < 1970) return false;
  const bool has_time = text.size() == kDateTimeLength;
  if (has_time && (text[10] != ' ' || !read_number(text, 11, 2, hour) || text[13] != ':' ||
                   !read_number(text, 14, 2, minute) || hour > 23 || minute > 59)) {
    return false;
  }
  // The end of a range is the start of the next day or minute.
  if (end && has_time) ++minute;
  if (end && !has_time) ++day;
  return unix_seconds_of_local(year, month, day, hour, minute, unix_seconds);
}

void set_sender_filter(std::string_view text, HistoryFilter& filter) { filter.sender = lower_ascii(text); }
void set_text_filter(std::string_view text, HistoryFilter& filter) { filter.text = lower_ascii(text); }

bool time_and_channel_pass(const HistoryFilter& filter, std::int64_t time, int channel) {
  if (time < filter.since || time >= filter.until) return false;
  return filter.all_channels || filter.channels.test(static_cast<std::size_t>(channel));
}

bool fields_pass(const HistoryFilter& filter, std::string_view sender, std::string_view message) {
  if (!filter.sender.empty() && !contains_ignoring_ascii_case(sender, filter.sender)) return false;
  return filter.text.empty() || contains_ignoring_ascii_case(message, filter.text);
}

bool contains_ignoring_ascii_case(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return true;
  if (needle.size() > haystack.size()) return false;
  const std::size_t last = haystack.size() - needle.size();
  for (std::size_t i = 0; i <= last; ++i) {
    std::size_t k = 0;
    while (k < needle.size() && ascii_lower(haystack[i + k]) == needle[k]) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

}  // namespace tellwick
