#include "export/change_detection.h"

#include <cstdint>

#include "export/export_flags.h"
#include "gamelog/game_folders.h"
#include "settings/settings.h"

namespace tellwick {
namespace {

void append_hex8(std::u16string& out, std::uint32_t value, const char* digits) {
  for (int shift = 28; shift >= 0; shift -= 4) out += static_cast<char16_t>(digits[(value >> shift) & 0xF]);
}

constexpr char kUpper[] = "0123456789ABCDEF";
constexpr char kLower[] = "0123456789abcdef";

FileTime chunk_time(const std::u16string& character_folder, std::uint32_t index) {
  FileTime time = 0;
  file_write_time(chunk_file_path(character_folder, index).c_str(), time);
  return time;
}

}  // namespace

std::u16string format_date_key(FileTime time) {
  std::u16string out;
  append_hex8(out, static_cast<std::uint32_t>(time >> 32), kUpper);
  append_hex8(out, static_cast<std::uint32_t>(time), kUpper);
  return out;
}

std::u16string format_lastdate_key(FileTime time) {
  std::u16string out;
  append_hex8(out, static_cast<std::uint32_t>(time >> 32), kUpper);
  append_hex8(out, static_cast<std::uint32_t>(time), kLower);
  return out;
}

int detect_change(const char16_t* character) {
  const std::u16string folder = game_user_folder_path(character);
  const std::u16string stored_date = read_character_text(character, u"DATE", u"0");
  const int last_number = read_character_int(character, u"LASTNO", 0);
  const std::u16string stored_lastdate = read_character_text(character, u"LASTDATE", u"0");

  FileTime chunk0 = 0;
  if (!file_write_time(chunk_file_path(folder, 0).c_str(), chunk0)) return 0;
  if (format_date_key(chunk0) != stored_date) return kChangedFlag | kNewSeriesFlag;
  const FileTime last = chunk_time(folder, static_cast<std::uint32_t>(last_number));
  if (format_lastdate_key(last) != stored_lastdate) return kChangedFlag;
  return 0;
}

bool write_progress_record(const char16_t* character, int chunk_count, FileTime chunk0_time,
                           FileTime next_chunk_time) {
  bool written = write_character_text(character, u"DATE", format_date_key(chunk0_time).c_str());
  const std::string count = std::to_string(chunk_count);
  written &= write_character_text(character, u"LASTNO", std::u16string(count.begin(), count.end()).c_str());
  written &= write_character_text(character, u"LASTDATE", format_lastdate_key(next_chunk_time).c_str());
  return written;
}

}  // namespace tellwick
