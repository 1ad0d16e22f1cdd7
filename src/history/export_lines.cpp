#include "history/export_lines.h"

#include <cstring>

#include "gamelog/entry_line.h"

namespace tellwick {
namespace {

// The end of the line that starts at `pos` (its "\n", or the text's end).
std::size_t line_end(std::string_view text, std::size_t pos) {
  const void* found = std::memchr(text.data() + pos, '\n', text.size() - pos);
  return found == nullptr ? text.size() : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

std::uint32_t hex_value(const char* digits, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 4 | static_cast<std::uint32_t>(hex_digit_value(digits[i]));
  return value;
}

// Whether the line from `start` to `end` is an entry line, and its time and
// code when it is: the twelve digits are looked at once.
bool parse_entry_line(std::string_view text, std::size_t start, std::size_t end, std::uint32_t& time,
                      std::uint32_t& code) {
  if (end - start < kEntryLinePrefix) return false;
  const auto* digits = reinterpret_cast<const unsigned char*>(text.data() + start);
  std::uint64_t value = 0;
  int faults = 0;
  for (std::size_t i = 0; i < kEntryLinePrefix; ++i) {
    const int digit = kHexValues.value[digits[i]];
    faults |= digit;  // only -1 sets the sign bit
    value = value << 4 | static_cast<std::uint64_t>(digit & 0xF);
  }
  if (faults < 0) return false;
  time = static_cast<std::uint32_t>(value >> 16);
  code = static_cast<std::uint32_t>(value & 0xFFFF);
  return true;
}

}  // namespace

bool is_entry_line(std::string_view line) {
  if (line.size() < kEntryLinePrefix) return false;
  for (std::size_t i = 0; i < kEntryLinePrefix; ++i) {
    if (hex_digit_value(static_cast<unsigned char>(line[i])) < 0) return false;
  }
  return true;
}

void read_entry_prefix(const char* prefix, std::uint32_t& time, std::uint32_t& code) {
  time = hex_value(prefix, 8);
  code = hex_value(prefix + 8, 4);
}

ExportStep next_export_entry(ExportCursor& cursor, ExportEntry& entry) {
  const std::string_view text = cursor.text;
  if (cursor.pos >= text.size()) return ExportStep::kEnd;
  const std::size_t start = cursor.pos;
  std::size_t end;
  ++cursor.line;
  entry.line = cursor.line;
  if (start == cursor.known_start) {
    end = cursor.known_end;
    entry.time = cursor.known_time;
    entry.code = cursor.known_code;
  } else {
    end = line_end(text, start);
    if (!parse_entry_line(text, start, end, entry.time, entry.code)) {
      cursor.pos = end + 1;
      return ExportStep::kStray;
    }
  }
  // Take the lines that follow while they are no entry lines of their own.
  while (end < text.size()) {
    const std::size_t next = end + 1;
    if (next >= text.size()) break;
    const std::size_t next_end = line_end(text, next);
    if (parse_entry_line(text, next, next_end, cursor.known_time, cursor.known_code)) {
      cursor.known_start = next;
      cursor.known_end = next_end;
      break;
    }
    end = next_end;
    ++cursor.line;
  }
  cursor.pos = end + 1;
  std::size_t text_end = end;
  if (text_end > start + kEntryLinePrefix && text[text_end - 1] == '\r') --text_end;
  entry.text = text.substr(start + kEntryLinePrefix, text_end - start - kEntryLinePrefix);
  return ExportStep::kEntry;
}

}  // namespace tellwick
