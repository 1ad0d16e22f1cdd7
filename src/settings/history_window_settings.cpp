#include "settings/history_window_settings.h"

#include <cstddef>
#include <iterator>
#include <string>

#include "platform/profile.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"

namespace tellwick {
namespace {

constexpr char16_t kHistorySection[] = u"History";
constexpr char16_t kLeftKey[] = u"LEFT";
constexpr char16_t kTopKey[] = u"TOP";
constexpr char16_t kWidthKey[] = u"WIDTH";
constexpr char16_t kHeightKey[] = u"HEIGHT";
constexpr const char16_t* kColumnKeys[kHistoryColumnCount] = {u"TIMECOLUMN", u"CHANNELCOLUMN", u"SENDERCOLUMN",
                                                              u"TEXTCOLUMN"};
constexpr char16_t kChannelKey[] = u"CHANNEL";
constexpr char16_t kSearchKey[] = u"SEARCH";

constexpr std::size_t kKeyCount = 4 + kHistoryColumnCount + 2;

// A whole decimal number within [low, high], or false: anything else in the
// file was not written by the window and is taken for damaged.
bool number_in(const std::u16string& text, int low, int high, int& value) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == u'-';
  if (negative) ++i;
  if (i == text.size() || text.size() - i > 6) return false;
  long long n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    n = n * 10 + (text[i] - u'0');
  }
  if (negative) n = -n;
  if (n < low || n > high) return false;
  value = static_cast<int>(n);
  return true;
}

std::string ascii_of(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text) {
    if (c > 0x7E || c < 0x20) return std::string();  // keys are ASCII channel words
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace

HistoryWindowSettings load_history_window_settings() {
  HistoryWindowSettings s;
  ProfileRead reads[kKeyCount];
  const char16_t* keys[kKeyCount] = {kLeftKey, kTopKey, kWidthKey, kHeightKey};
  for (int c = 0; c < kHistoryColumnCount; ++c) keys[4 + c] = kColumnKeys[c];
  keys[4 + kHistoryColumnCount] = kChannelKey;
  keys[5 + kHistoryColumnCount] = kSearchKey;
  for (std::size_t k = 0; k < kKeyCount; ++k) reads[k] = text_key(keys[k], u"");
  profile_read_keys(kHistorySection, reads, kKeyCount, settings_path());

  int left = 0, top = 0;
  // The place counts only as a whole pair.
  if (number_in(reads[0].text, -kHistoryWindowMaxOffset, kHistoryWindowMaxOffset, left) &&
      number_in(reads[1].text, -kHistoryWindowMaxOffset, kHistoryWindowMaxOffset, top)) {
    s.has_place = true;
    s.left = left;
    s.top = top;
  }
  number_in(reads[2].text, kHistoryWindowMinWidth, kHistoryWindowMaxSize, s.width);
  number_in(reads[3].text, kHistoryWindowMinHeight, kHistoryWindowMaxSize, s.height);
  for (int c = 0; c < kHistoryColumnCount; ++c) {
    number_in(reads[4 + c].text, kHistoryColumnMinWidth, kHistoryColumnMaxWidth, s.columns[c]);
  }
  s.channel = ascii_of(reads[4 + kHistoryColumnCount].text);
  s.search = reads[5 + kHistoryColumnCount].text;
  return s;
}

void save_history_window_settings(HistoryWindowSettings& record, const HistoryWindowSettings& changed) {
  // The texts live until the write: ProfileWrite only points at them.
  std::u16string values[kKeyCount];
  ProfileWrite writes[kKeyCount];
  std::size_t count = 0;
  const auto put = [&](const char16_t* key, std::u16string value) {
    values[count] = std::move(value);
    writes[count] = {key, values[count].c_str()};
    ++count;
  };
  const auto text = [&](const char16_t* key, const std::u16string& before, const std::u16string& after) {
    if (before != after) put(key, after);
  };
  const auto number = [&](const char16_t* key, int before, int after, bool always) {
    if (always || before != after) put(key, decimal_text(after));
  };
  // A place not kept before is written whole.
  const bool new_place = changed.has_place && !record.has_place;
  if (changed.has_place) {
    number(kLeftKey, record.left, changed.left, new_place);
    number(kTopKey, record.top, changed.top, new_place);
  }
  number(kWidthKey, record.width, changed.width, false);
  number(kHeightKey, record.height, changed.height, false);
  for (int c = 0; c < kHistoryColumnCount; ++c) number(kColumnKeys[c], record.columns[c], changed.columns[c], false);
  text(kChannelKey, std::u16string(record.channel.begin(), record.channel.end()),
       std::u16string(changed.channel.begin(), changed.channel.end()));
  text(kSearchKey, record.search, changed.search);
  if (count > 0) profile_write_keys(kHistorySection, writes, count, settings_path());
  record = changed;
}

}  // namespace tellwick
