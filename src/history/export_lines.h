// The entries of an export file's text. Each starts on a line that begins
// with twelve hex digits (entry time, entry code); a line without them
// continues the entry before it, since a message may hold a line break.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tellwick {

struct ExportEntry {
  std::uint32_t time = 0;
  std::uint32_t code = 0;  // the four hex digits the line holds
  std::string_view text;   // after the prefix, up to the entry's last line end, inner line breaks kept
  std::size_t line = 0;    // 1-based line of its prefix
};

struct ExportCursor {
  std::string_view text;
  std::size_t pos = 0;
  std::size_t line = 0;  // lines passed so far
  // The entry line found where the entry before ended, already measured.
  std::size_t known_start = static_cast<std::size_t>(-1);
  std::size_t known_end = 0;
  std::uint32_t known_time = 0;
  std::uint32_t known_code = 0;
};

enum class ExportStep {
  kEntry,  // `entry` holds the next entry
  kStray,  // a line that belongs to no entry (before the first one); `entry.line` names it
  kEnd,
};

// Whether a line starts with the twelve hex digits of an entry line, and
// the entry time and code they stand for when it does.
bool read_entry_prefix(std::string_view line, std::uint32_t& time, std::uint32_t& code);

// Whether a line starts with the twelve hex digits of an entry line.
bool is_entry_line(std::string_view line);

ExportStep next_export_entry(ExportCursor& cursor, ExportEntry& entry);

}  // namespace tellwick
