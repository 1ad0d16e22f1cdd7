#include "history/entry_text.h"

#include <cstdint>
#include <cstring>

#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"

namespace tellwick {
namespace {

constexpr char kUnitSeparator = '\x1F';

// A sequence fills at most an entry line, so a longer form is no sequence.
constexpr std::size_t kMaxShownBytes = kEntryLineCapacity;

int upper_hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length of the shown sequence at text[pos] (a "["), or 0.
std::size_t shown_sequence_length(std::string_view text, std::size_t pos) {
  std::uint8_t bytes[kMaxShownBytes];
  std::size_t count = 0;
  std::size_t i = pos + 1;
  for (;;) {
    if (i + 2 > text.size() || count == kMaxShownBytes) return 0;
    const int high = upper_hex_value(text[i]);
    const int low = upper_hex_value(text[i + 1]);
    if (high < 0 || low < 0) return 0;
    bytes[count++] = static_cast<std::uint8_t>(high << 4 | low);
    i += 2;
    if (i >= text.size()) return 0;
    if (text[i] == ']') break;
    if (text[i] != ' ') return 0;
    ++i;
  }
  const std::size_t length = i + 1 - pos;
  if (bytes[0] != kControlStart) return 0;
  const bool ends_text = pos + length == text.size();
  if (count < 3) return ends_text ? length : 0;
  const PackedInt packed = decode_packed_int(bytes + 2, count - 2);
  const std::int64_t declared = static_cast<std::int64_t>(packed.value) + packed.count + 3;
  if (static_cast<std::int64_t>(count) == declared) return length;
  return ends_text && static_cast<std::int64_t>(count) < declared ? length : 0;
}

}  // namespace

void append_without_shown_sequences(std::string_view text, std::string& out) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const void* found = std::memchr(text.data() + pos, '[', text.size() - pos);
    if (found == nullptr) break;
    const std::size_t open = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    const std::size_t length = shown_sequence_length(text, open);
    out.append(text.data() + pos, open - pos + (length == 0 ? 1 : 0));
    pos = open + (length == 0 ? 1 : length);
  }
  if (pos < text.size()) out.append(text.data() + pos, text.size() - pos);
}

EntryFields split_entry_text(std::string_view text) {
  if (!text.empty() && (text[0] == ':' || text[0] == kUnitSeparator)) {
    const std::size_t close = text.find(text[0], 1);
    if (close == std::string_view::npos) return {{}, text.substr(1)};
    return {text.substr(1, close - 1), text.substr(close + 1)};
  }
  const std::size_t separator = text.find(kUnitSeparator);
  if (separator == std::string_view::npos) return {{}, text};
  return {text.substr(0, separator), text.substr(separator + 1)};
}

}  // namespace tellwick
