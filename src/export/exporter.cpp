#include "export/exporter.h"

#include <cstdint>
#include <memory>
#include <string>

#include "export/change_detection.h"
#include "export/export_flags.h"
#include "export/export_names.h"
#include "export/temporary_file.h"
#include "gamelog/chunk_view.h"
#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "gamelog/game_folders.h"
#include "gamelog/output_charset.h"
#include "materia/examine_line.h"
#include "materia/seen_check_list.h"
#include "platform/encoding.h"
#include "platform/report.h"
#include "settings/settings.h"

namespace tellwick {
namespace {

constexpr char16_t kNewSeriesMessage[] = u"新しいログの記録を確認しました。\r\n";
constexpr char16_t kSaveFailedMessage[] = u"の保存に失敗しました。\r\n";

// The stripped line goes to the materia detector as UTF-16 of at most this many units.
constexpr std::size_t kDetectorLineUnits = 1022;

// The last failure told in the status log; an automatic export that fails
// the same way again on every watch cycle does not repeat it.
std::u16string g_reported_failure;

struct ExportFiles {
  OutputFile log;
  OutputFile recipe;
};

struct ChunkLoopResult {
  bool taken = false;    // at least one chunk file continued the series
  int chunk_count = 0;   // chunk files taken whole; the next one to try
  FileTime next_chunk_time = 0;  // that next one's time when it was looked at; 0 when missing
  std::uint32_t first_entry_time = 0;
  std::uint32_t last_entry_time = 0;
};

void export_entry(const ChunkEntry& entry, ExportFiles& files, ChunkLoopResult& result) {
  char line[kEntryLineCapacity];
  const Settings& s = settings();

  const std::size_t line_length = build_entry_line(entry.bytes, entry.length, line);
  const std::uint32_t time = entry_time_of_line(line);
  if (result.first_entry_time == 0) result.first_entry_time = time;
  result.last_entry_time = time;

  write_rendered_line(files.log, s.charset, s.show_control != 0, line, line_length);

  // Nearly every line fails the detector's leading-number test, and the test
  // can be judged on the entry line itself: only candidates are stripped and
  // converted.
  if (!may_be_materia_line(line)) return;
  char stripped[kEntryLineCapacity];
  const std::size_t stripped_length = strip_line(line, line_length, stripped);
  char16_t wide[kDetectorLineUnits + 1];
  const std::size_t units = utf8_to_utf16(stripped, stripped_length, wide, kDetectorLineUnits);
  wide[units] = u'\0';
  examine_line(wide, &files.recipe, s.charset, s.keep_duplicates != 0);
}

// Reads chunk files 0, 1, 2, ... while each exists, is not older than chunk 0
// and continues the entry numbering of the one before.
ChunkLoopResult export_chunks(const std::u16string& character_folder, FileTime chunk0_time, ExportFiles& files) {
  ChunkLoopResult result;
  std::uint32_t expected_first_index = 0;
  for (;;) {
    const std::u16string path = chunk_file_path(character_folder, static_cast<std::uint32_t>(result.chunk_count));
    FileTime time = 0;
    const bool exists = file_write_time(path.c_str(), time);
    result.next_chunk_time = time;
    if (!exists || time < chunk0_time) break;
    FileContents contents;
    if (!read_whole_file(path.c_str(), contents)) break;  // the game still holds it open for writing
    ChunkView view;
    if (!open_chunk_view(contents.data.get(), contents.size, view) || view.first_index != expected_first_index) break;
    result.taken = true;
    expected_first_index = view.end_index;
    for (std::uint32_t k = 0; k < view.entry_count; ++k) {
      ChunkEntry entry;
      if (chunk_entry(view, k, entry)) export_entry(entry, files, result);
    }
    // A file shorter than its own table says is being written or was cut
    // short: what it holds is exported, but the series ends here uncounted,
    // so that the next change of this file brings an export of all of it.
    if (!view.complete) break;
    ++result.chunk_count;
  }
  return result;
}

// The status texts of one export, told when it ends: an automatic export
// that fails as the one before did says nothing at all, so a folder that
// stays missing does not fill the status log every ten seconds.
void report(bool new_series, const std::u16string& failed_path, int mode) {
  if (!failed_path.empty() && mode != kManualExport && failed_path == g_reported_failure) return;
  if (new_series) status_log_append(kNewSeriesMessage);
  if (failed_path.empty()) return;
  g_reported_failure = failed_path;
  status_log_append((failed_path + kSaveFailedMessage).c_str());
}

// A temporary file of this export, or none when it could not be created.
void discard(const std::u16string& temporary) {
  if (!temporary.empty()) delete_file(temporary.c_str());
}

// Puts the written temporary files in place. Returns the path of the file
// that could not be saved, or an empty string.
std::u16string place_files(ExportFiles& files, const ExportNames& names, const std::u16string& export_temp,
                           const std::u16string& recipe_temp, bool taken) {
  const bool log_written = output_close(files.log);
  const std::uint64_t recipe_size = files.recipe.size;
  const bool recipe_written = output_close(files.recipe);
  if (!log_written || !recipe_written) {
    discard(export_temp);
    discard(recipe_temp);
    return log_written ? names.recipe_path : names.export_path;
  }

  // An export that took nothing never replaces an earlier export of the name
  // (chunk 0 removed while exporting): only a new name gets the empty file.
  FileTime ignored;
  if (!taken && file_write_time(names.export_path.c_str(), ignored)) {
    discard(export_temp);
  } else if (!replace_file(export_temp.c_str(), names.export_path.c_str())) {
    discard(export_temp);
    discard(recipe_temp);
    return names.export_path;
  }

  if (recipe_size == 0) {
    discard(recipe_temp);
    // An empty recipe file is removed, as the export would have replaced it
    // with an empty one; an export that took nothing keeps the earlier one.
    if (taken) delete_file(names.recipe_path.c_str());
  } else if (!replace_file(recipe_temp.c_str(), names.recipe_path.c_str())) {
    discard(recipe_temp);
    return names.recipe_path;
  }
  return {};
}

std::u16string decimal(std::int32_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

int export_character(const char16_t* character, const std::u16string& character_folder,
                     const std::u16string& log_folder, int mode, std::u16string* export_path_out) {
  int flags = detect_change(character);
  if (flags == 0 && mode != kManualExport) return 0;
  reset_seen_check_list();

  FileTime chunk0_time = 0;
  if (!file_write_time(chunk_file_path(character_folder, 0).c_str(), chunk0_time)) return 0;

  const ExportNames names = choose_export_names(log_folder, chunk0_time, (flags & kNewSeriesFlag) != 0,
                                                read_character_text(character, u"LOGFILE", u""), character_folder);
  if (export_path_out != nullptr) *export_path_out = names.export_path;
  const bool new_series = (flags & kNewSeriesFlag) != 0;

  auto files = std::make_unique<ExportFiles>();
  const std::u16string export_temp = create_temporary_file(files->log, names.export_path);
  const std::u16string recipe_temp = create_temporary_file(files->recipe, names.recipe_path);

  // With a file that could not even be created there is nothing to write into.
  ChunkLoopResult result;
  if (!files->log.write_failed && !files->recipe.write_failed) {
    result = export_chunks(character_folder, chunk0_time, *files);
  }

  const std::u16string failed = place_files(*files, names, export_temp, recipe_temp, result.taken);
  if (!failed.empty()) {
    report(new_series, failed, mode);
    return flags;
  }
  if (result.taken) flags |= kExportedFlag;

  bool recorded = write_character_text(character, u"LOGFILE", names.file_name.c_str());
  recorded &= write_character_text(character, u"TOPDATE", decimal(static_cast<std::int32_t>(result.first_entry_time)).c_str());
  recorded &= write_character_text(character, u"ENDDATE", decimal(static_cast<std::int32_t>(result.last_entry_time)).c_str());
  recorded &= write_progress_record(character, result.chunk_count, chunk0_time, result.next_chunk_time);
  // The export files are whole, but without its record the next automatic
  // export repeats this one on every cycle: the player must free the file.
  if (!recorded) {
    report(new_series, settings_path(), mode);
    return flags;
  }
  report(new_series, u"", mode);
  g_reported_failure.clear();
  return flags;
}

}  // namespace tellwick
