#include "history/entry_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

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

// Control sequence types whose meaning the history shows.
constexpr std::uint8_t kNewLine = 0x10;
constexpr std::uint8_t kIcon = 0x12;
constexpr std::uint8_t kSoftHyphen = 0x16;
constexpr std::uint8_t kNonBreakingSpace = 0x1D;
constexpr std::uint8_t kHyphen = 0x1F;
constexpr std::uint8_t kAutoTranslate = 0x2E;

constexpr std::int32_t kCrossWorldIcon = 88;

// The payload of a sequence: what follows its packed length, up to the
// declared length or the bytes there are, whichever is less; the closing
// byte is not part of it.
struct Payload {
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
};

Payload payload_of(const std::uint8_t* sequence, std::size_t length) {
  if (length < 3) return {};
  const std::size_t after_type = length - 2;
  const PackedInt declared = decode_packed_int(sequence + 2, after_type);
  const std::size_t count = static_cast<std::size_t>(declared.count);
  if (count > after_type || declared.value <= 0) return {};
  return {sequence + 2 + count, std::min(static_cast<std::size_t>(declared.value), after_type - count)};
}

// Integers inside a payload take the packed form of the length; one that
// does not fit whole in `available` bytes, or takes no bytes of its own, is
// no integer.
bool read_payload_int(const std::uint8_t* p, std::size_t available, std::int32_t& value, std::size_t& used) {
  if (available == 0) return false;
  const PackedInt packed = decode_packed_int(p, available);
  if (packed.count == 0 || static_cast<std::size_t>(packed.count) > available || packed.value < 0) return false;
  value = packed.value;
  used = static_cast<std::size_t>(packed.count);
  return true;
}

void append_auto_translate(const Payload& payload, std::string& out) {
  std::int32_t group = 0, key = 0;
  std::size_t group_bytes = 0, key_bytes = 0;
  out += "{AT";
  if (read_payload_int(payload.bytes, payload.size, group, group_bytes) &&
      read_payload_int(payload.bytes + group_bytes, payload.size - group_bytes, key, key_bytes)) {
    out += ' ';
    out += std::to_string(group);
    out += ':';
    out += std::to_string(key);
  } else {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < payload.size; ++i) {
      out += ' ';
      out += kHex[payload.bytes[i] >> 4];
      out += kHex[payload.bytes[i] & 0xF];
    }
  }
  out += '}';
}

// The shown sequence at text[pos] (a "["): its length in the text, 0 when it
// is none; its bytes go to `bytes` (kMaxShownBytes), `count` of them.
std::size_t shown_sequence_length(std::string_view text, std::size_t pos, std::uint8_t* bytes, std::size_t& count) {
  count = 0;
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

void append_sequence_text(const std::uint8_t* sequence, std::size_t length, std::string& out) {
  if (length < 2) return;
  switch (sequence[1]) {
    case kNewLine: out += '\n'; break;
    case kSoftHyphen: break;
    case kNonBreakingSpace: out += ' '; break;
    case kHyphen: out += '-'; break;
    case kIcon: {
      const Payload payload = payload_of(sequence, length);
      std::int32_t icon = 0;
      std::size_t used = 0;
      if (read_payload_int(payload.bytes, payload.size, icon, used) && icon == kCrossWorldIcon) out += '@';
      break;
    }
    case kAutoTranslate: append_auto_translate(payload_of(sequence, length), out); break;
    default: break;
  }
}

void append_with_shown_sequences(std::string_view text, std::string& out) {
  std::uint8_t bytes[kMaxShownBytes];
  std::size_t pos = 0;
  while (pos < text.size()) {
    const void* found = std::memchr(text.data() + pos, '[', text.size() - pos);
    if (found == nullptr) break;
    const std::size_t open = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    std::size_t count = 0;
    const std::size_t length = shown_sequence_length(text, open, bytes, count);
    out.append(text.data() + pos, open - pos + (length == 0 ? 1 : 0));
    if (length != 0) append_sequence_text(bytes, count, out);
    pos = open + (length == 0 ? 1 : length);
  }
  if (pos < text.size()) out.append(text.data() + pos, text.size() - pos);
}

void append_with_raw_sequences(const char* text, std::size_t length, std::string& out) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  std::size_t pos = 0;
  while (pos < length) {
    const void* start = std::memchr(text + pos, kControlStart, length - pos);
    const std::size_t stop =
        start == nullptr ? length : static_cast<std::size_t>(static_cast<const char*>(start) - text);
    if (const void* zero = std::memchr(text + pos, '\0', stop - pos)) {
      out.append(text + pos, static_cast<std::size_t>(static_cast<const char*>(zero) - text) - pos);
      return;
    }
    out.append(text + pos, stop - pos);
    if (stop == length) return;
    const std::size_t sequence = control_sequence_length(bytes, stop, length);
    append_sequence_text(bytes + stop, sequence, out);
    pos = stop + sequence;
  }
}

EntryFields split_entry_text(std::string_view text) {
  if (!text.empty() && text[0] == ':') return split_entry_text(text, 0, 0);
  const std::size_t first = text.find(kUnitSeparator);
  return split_entry_text(text, first, first == 0 ? text.find(kUnitSeparator, 1) : std::string_view::npos);
}

EntryFields split_entry_text(std::string_view text, std::size_t first_separator, std::size_t second_separator) {
  if (!text.empty() && text[0] == ':') {
    const std::size_t close = text.find(':', 1);
    if (close == std::string_view::npos) return {{}, text.substr(1), 0};
    return {text.substr(1, close - 1), text.substr(close + 1), 0};
  }
  if (first_separator == std::string_view::npos) return {{}, text};
  if (first_separator != 0) return {text.substr(0, first_separator), text.substr(first_separator + 1), 1};
  if (second_separator == std::string_view::npos) return {{}, text.substr(1), 1};
  return {text.substr(1, second_separator - 1), text.substr(second_separator + 1), 2};
}

}  // namespace tellwick
