#include "export/change_detection.h"

#include <cstdint>

#include "export/export_flags.h"
#include "gamelog/game_folders.h"
#include "gamelog/hex_digits.h"

namespace tellwick {
namespace {

void append_hex8(std::u16string& out, std::uint32_t value, const char* digits) {
  for (int shift = 28; shift >= 0; shift -= 4) out += static_cast<char16_t>(digits[(value >> shift) & 0xF]);
}

}  // namespace

std::u16string format_date_key(FileTime time) {
  std::u16string out;
  append_hex8(out, static_cast<std::uint32_t>(time >> 32), kHexUpper);
  append_hex8(out, static_cast<std::uint32_t>(time), kHexUpper);
  return out;
}

std::u16string format_lastdate_key(FileTime time) {
  std::u16string out;
  append_hex8(out, static_cast<std::uint32_t>(time >> 32), kHexUpper);
  append_hex8(out, static_cast<std::uint32_t>(time), kHexLower);
  return out;
}

ChangeCheck detect_change(const std::u16string& character_folder, const ExportRecord& record) {
  ChangeCheck check;
  check.chunk0_exists = file_write_time(chunk_file_path(character_folder, 0).c_str(), check.chunk0_time);
  if (!check.chunk0_exists) return check;
  if (format_date_key(check.chunk0_time) != record.date) {
    check.flags = ExportFlags::kChanged | ExportFlags::kNewSeries;
  } else {
    const std::u16string next_chunk = chunk_file_path(character_folder, static_cast<std::uint32_t>(record.last_number));
    FileTime next_time = 0;
    file_write_time(next_chunk.c_str(), next_time);
    // A chunk file the game still holds open cannot be read, so an export
    // now would end before it again and take nothing new; the one after the
    // game lets go of it takes it, its time moved or not.
    if (format_lastdate_key(next_time) != record.last_date && !file_held_for_writing(next_chunk.c_str())) {
      check.flags = ExportFlags::kChanged;
    }
  }
  return check;
}

void set_progress_record(ExportRecord& record, int chunk_count, FileTime chunk0_time, FileTime next_chunk_time) {
  record.date = format_date_key(chunk0_time);
  record.last_number = chunk_count;
  record.last_date = format_lastdate_key(next_chunk_time);
}

}  // namespace tellwick
