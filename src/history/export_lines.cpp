#include "history/export_lines.h"

#include "history/byte_scans.h"
#include "history/entry_prefix.h"

namespace tellwick {
namespace {

// The end of the line that starts at `pos` (its "\n", or the text's end).
std::size_t line_end(std::string_view text, std::size_t pos) { return find_byte(text.data(), text.size(), pos, '\n'); }

}  // namespace

bool read_entry_prefix(std::string_view line, std::uint32_t& time, std::uint32_t& code) {
  return parse_entry_prefix(line, time, code);
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
    if (!parse_entry_prefix(std::string_view(text.data() + start, end - start), entry.time, entry.code)) {
      cursor.pos = end + 1;
      return ExportStep::kStray;
    }
  }
  // Take the lines that follow while they are no entry lines of their own.
  while (end < text.size()) {
    const std::size_t next = end + 1;
    if (next >= text.size()) break;
    const std::size_t next_end = line_end(text, next);
    if (parse_entry_prefix(std::string_view(text.data() + next, next_end - next), cursor.known_time,
                           cursor.known_code)) {
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
  entry.text = std::string_view(text.data() + start + kEntryLinePrefix, text_end - start - kEntryLinePrefix);
  return ExportStep::kEntry;
}

}  // namespace tellwick
