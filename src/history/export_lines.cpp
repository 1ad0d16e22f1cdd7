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

}  // namespace

bool read_entry_prefix(std::string_view line, std::uint32_t& time, std::uint32_t& code) {
  if (line.size() < kEntryLinePrefix) return false;
  const auto* digits = reinterpret_cast<const unsigned char*>(line.data());
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

bool is_entry_line(std::string_view line) {
  std::uint32_t time, code;
  return read_entry_prefix(line, time, code);
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
    if (!read_entry_prefix(text.substr(start, end - start), entry.time, entry.code)) {
      cursor.pos = end + 1;
      return ExportStep::kStray;
    }
  }
  // Take the lines that follow while they are no entry lines of their own.
  while (end < text.size()) {
    const std::size_t next = end + 1;
    if (next >= text.size()) break;
    const std::size_t next_end = line_end(text, next);
    if (read_entry_prefix(text.substr(next, next_end - next), cursor.known_time, cursor.known_code)) {
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
