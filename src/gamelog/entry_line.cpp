#include "gamelog/entry_line.h"

#include <cstring>

#include "gamelog/chunk_view.h"
#include "gamelog/hex_digits.h"
#include "gamelog/little_endian.h"

namespace tellwick {
namespace {

bool is_utf8_trail(std::uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

EntryLineView view_entry_line(const std::uint8_t* entry, std::size_t length) {
  EntryLineView view;
  const std::uint32_t time = read_u32(entry);
  const std::uint32_t code = read_u32(entry + 4);
  const std::uint64_t time_digits = hex_digits_word(time);
  std::memcpy(view.prefix, &time_digits, 8);

  // "%04X" of the code, of which only the first four digits fit before the text.
  if (code <= 0xFFFF) {
    const std::uint64_t code_digits = hex_digits_word(code << 16);
    std::memcpy(view.prefix + 8, &code_digits, 4);
  } else {
    int digits = 4;
    while (digits < 8 && (code >> (4 * digits)) != 0) ++digits;
    for (int i = 0; i < 4; ++i) view.prefix[8 + i] = kHexUpper[(code >> (4 * (digits - 1 - i))) & 0xF];
  }

  const std::uint8_t* text = entry + kEntryHeaderSize;
  std::size_t text_length = length - kEntryHeaderSize;
  constexpr std::size_t kMaxText = kEntryLineCapacity - 1 - kEntryLinePrefix;
  if (text_length > kMaxText) {
    text_length = kMaxText;
    // Back up to the first byte of a character the cut would split.
    for (int back = 0; back < 3 && text_length > 0 && is_utf8_trail(text[text_length]); ++back) --text_length;
  }
  view.text = reinterpret_cast<const char*>(text);
  view.text_length = text_length;
  view.readable_end = view.text + text_length;
  return view;
}

EntryLineView view_entry_line(const ChunkEntry& entry) {
  EntryLineView view = view_entry_line(entry.bytes, entry.length);
  view.readable_end = reinterpret_cast<const char*>(entry.readable_end);
  return view;
}

std::size_t build_entry_line(const std::uint8_t* entry, std::size_t length, char* line) {
  const EntryLineView view = view_entry_line(entry, length);
  std::memcpy(line, view.prefix, kEntryLinePrefix);
  std::memcpy(line + kEntryLinePrefix, view.text, view.text_length);
  line[kEntryLinePrefix + view.text_length] = '\0';
  return kEntryLinePrefix + view.text_length;
}

std::uint32_t entry_time_of_line(const char* line) {
  std::uint32_t time = 0;
  for (int i = 0; i < 8; ++i) {
    time = time * 16 + static_cast<std::uint32_t>(kHexValues.value[static_cast<unsigned char>(line[i])]);
  }
  return time;
}

}  // namespace tellwick
