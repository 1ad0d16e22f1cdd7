#include "export/exporter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "export/change_detection.h"
#include "export/chunk_ahead.h"
#include "export/export_flags.h"
#include "export/export_names.h"
#include "export/temporary_file.h"
#include "export/entry_pipeline.h"
#include "gamelog/chunk_view.h"
#include "platform/system_error.h"
#include "settings/character_record.h"
#include "settings/settings.h"

namespace tellwick {
namespace {

constexpr char16_t kNewSeriesMessage[] = u"新しいログの記録を確認しました。\r\n";
constexpr char16_t kSaveFailedMessage[] = u"の保存に失敗しました。\r\n";

struct ExportFiles {
  OutputFile log;
  OutputFile recipe;
};

struct ChunkLoopResult {
  bool taken = false;            // at least one chunk file continued the series
  int chunk_count = 0;           // chunk files taken whole; the next one to try
  FileTime next_chunk_time = 0;  // the time to record of that next one (time_to_record)
};

// Takes a chunk file made ready ahead: its lines, its entries' times, and
// the materia test of its candidates, in the order the entries stand; the
// entries it left unrendered go through the export here.
void take_ready_chunk(const ChunkAheadResult& ready, EntryOutput& out) {
  if (ready.any_time) {
    if (out.first_entry_time == 0) out.first_entry_time = ready.first_time;
    out.last_entry_time = ready.last_time;
  }
  if (out.log != nullptr) output_append(*out.log, ready.rendered.data(), ready.rendered.size());
  for (const std::uint32_t k : ready.candidates) {
    ChunkEntry entry;
    if (chunk_entry(ready.view, k, entry)) examine_candidate(entry, out);
  }
  for (std::uint32_t k = ready.rendered_entries; k < ready.view.entry_count; ++k) {
    ChunkEntry entry;
    if (chunk_entry(ready.view, k, entry)) export_entry(entry, out);
  }
}

// The time the progress record keeps for the chunk file that a series ended
// before. One that is there and not older than chunk 0, yet could not be
// read, is still being written by the game: it is kept as 0, which no file
// that is there matches, so the next automatic export takes it. Its own time
// would do only while the game goes on writing; the game may let go of the
// file without another write, and then the time never moves.
FileTime time_to_record(bool read, FileTime time, FileTime chunk0_time) {
  return !read && time >= chunk0_time ? 0 : time;
}

// Reads chunk files 0, 1, 2, ... while each exists, is not older than chunk 0
// and continues the entry numbering of the one before. Every other file is
// made ready ahead while the one before it is exported.
ChunkLoopResult export_chunks(const std::u16string& character_folder, FileTime chunk0_time, EntryOutput& out) {
  ChunkLoopResult result;
  std::uint32_t expected_first_index = 0;
  // Missing, older than chunk 0, still held open for writing by the game, or
  // not continuing the series: the series ends before it. A file shorter
  // than its own table says is being written or was cut short: what it holds
  // is exported, but the series ends after it uncounted, so that the next
  // change of this file brings an export of all of it.
  const auto continues_series = [&](bool opened, const ChunkView& view) {
    if (!opened || view.first_index != expected_first_index) return false;
    result.taken = true;
    expected_first_index = view.end_index;
    return true;
  };
  const auto next_path = [&](int ahead) {
    return chunk_file_path(character_folder, static_cast<std::uint32_t>(result.chunk_count + ahead));
  };
  // With one processor a second thread would only take turns with this one.
  ChunkAhead ahead(out.charset, out.show_control, out.log != nullptr, std::thread::hardware_concurrency() != 1);
  ahead.start(next_path(1), chunk0_time);
  for (;;) {
    FileContents contents;
    const bool read = read_whole_file_not_older(next_path(0).c_str(), chunk0_time, contents, result.next_chunk_time);
    result.next_chunk_time = time_to_record(read, result.next_chunk_time, chunk0_time);
    ChunkView view;
    const bool opened = read && open_chunk_view(contents.data.get(), contents.size, view);
    if (!continues_series(opened, view)) break;
    for (std::uint32_t k = 0; k < view.entry_count; ++k) {
      ChunkEntry entry;
      if (chunk_entry(view, k, entry)) export_entry(entry, out);
    }
    if (!view.complete) break;
    ++result.chunk_count;

    const ChunkAheadResult& ready = ahead.result();
    result.next_chunk_time = time_to_record(ready.read, ready.time, chunk0_time);
    if (!continues_series(ready.opened, ready.view)) break;
    take_ready_chunk(ready, out);
    if (!ready.view.complete) break;
    ++result.chunk_count;
    ahead.start(next_path(1), chunk0_time);
  }
  return result;
}

// The status texts of one export, told when it ends: an automatic export
// that fails as the one before did says nothing at all, so a folder that
// stays missing does not fill the status log every ten seconds.
void tell(const ReportSink& report, bool new_series, const std::u16string& failed_path, ExportMode mode,
          const std::u16string& told_failure) {
  if (!failed_path.empty() && mode != kManualExport && failed_path == told_failure) return;
  if (new_series) report_status(report, kNewSeriesMessage);
  if (failed_path.empty()) return;
  report_status(report, (failed_path + kSaveFailedMessage).c_str());
}

// For the diagnostic output: which file, what failed, and the system's
// reason. The status text the player reads stays the fixed one.
void tell_system_error(const ReportSink& report, const std::u16string& path, const char16_t* failure,
                       SystemErrorCode code) {
  report_diagnostic(report, (path + u": " + failure + u", " + system_error_text(code) + u"\r\n").c_str());
}

// Why one of the export's files could not be written: its temporary file
// was never made (named by the final path then), or the bytes did not all
// reach it.
void tell_unwritten(const ReportSink& report, const OutputFile& file, const std::u16string& temporary,
                    const std::u16string& final_path) {
  if (temporary.empty()) {
    tell_system_error(report, final_path, u"no temporary file could be created for it", file.system_error);
  } else {
    tell_system_error(report, temporary, u"could not be written", file.system_error);
  }
}

// Puts the written temporary files in place. Returns the path of the file
// that could not be saved, or an empty string. The temporary files stay
// open (held against other exports' clean-up) until each is renamed or removed.
std::u16string place_files(ExportFiles& files, const ExportNames& names, const std::u16string& export_temp,
                           const std::u16string& recipe_temp, bool taken, const ReportSink& report) {
  const bool log_written = output_flush(files.log);
  const std::uint64_t recipe_size = files.recipe.size;
  const bool recipe_written = output_flush(files.recipe);
  if (!log_written) tell_unwritten(report, files.log, export_temp, names.export_path);
  if (!recipe_written) tell_unwritten(report, files.recipe, recipe_temp, names.recipe_path);
  if (!log_written || !recipe_written) {
    discard_temporary_file(files.log, export_temp);
    discard_temporary_file(files.recipe, recipe_temp);
    return log_written ? names.recipe_path : names.export_path;
  }

  // An export that took nothing never replaces an earlier export of the name
  // (chunk 0 removed while exporting): only a new name gets the empty file.
  FileTime ignored;
  if (!taken && file_write_time(names.export_path.c_str(), ignored)) {
    discard_temporary_file(files.log, export_temp);
  } else if (!put_temporary_file_in_place(files.log, export_temp, names.export_path)) {
    const SystemErrorCode reason = last_system_error();
    tell_system_error(report, export_temp, (u"could not be renamed to " + names.export_path).c_str(), reason);
    discard_temporary_file(files.recipe, recipe_temp);
    return names.export_path;
  }

  if (recipe_size == 0) {
    discard_temporary_file(files.recipe, recipe_temp);
    // An empty recipe file is removed, as the export would have replaced it
    // with an empty one; an export that took nothing keeps the earlier one.
    if (taken) delete_file(names.recipe_path.c_str());
  } else if (!put_temporary_file_in_place(files.recipe, recipe_temp, names.recipe_path)) {
    const SystemErrorCode reason = last_system_error();
    tell_system_error(report, recipe_temp, (u"could not be renamed to " + names.recipe_path).c_str(), reason);
    return names.recipe_path;
  }
  return {};
}

}  // namespace

ExportResult export_character(const Character& character, const std::u16string& log_folder, ExportMode mode,
                              const ExportOptions& options, const ReportSink& report,
                              const std::u16string& told_failure) {
  ExportResult result;
  ExportRecord record = read_export_record(character.name.c_str());
  const ChangeCheck change = detect_change(character.folder, record);
  result.flags = change.flags;
  if (change.flags == ExportFlags::kNone && mode != kManualExport) return result;
  if (!change.chunk0_exists) return result;
  result.ran = true;

  const bool new_series = has_flags(change.flags, ExportFlags::kNewSeries);
  const ExportNames names = choose_export_names(log_folder, change.chunk0_time, new_series, record.log_file, character);
  result.export_path = names.export_path;

  auto files = std::make_unique<ExportFiles>();
  const std::u16string export_temp = create_temporary_file(files->log, names.export_path);
  const std::u16string recipe_temp = create_temporary_file(files->recipe, names.recipe_path);

  // With a file that could not even be created there is nothing to write into.
  auto out = std::make_unique<EntryOutput>();
  start_entry_output(*out, &files->log, &files->recipe, options, report);
  ChunkLoopResult chunks;
  if (!files->log.write_failed && !files->recipe.write_failed) {
    chunks = export_chunks(character.folder, change.chunk0_time, *out);
  }

  result.failed_path = place_files(*files, names, export_temp, recipe_temp, chunks.taken, report);
  if (result.failed_path.empty()) {
    if (chunks.taken) result.flags |= ExportFlags::kExported;
    record.log_file = names.file_name;
    record.top_date = static_cast<std::int32_t>(out->first_entry_time);
    record.end_date = static_cast<std::int32_t>(out->last_entry_time);
    set_progress_record(record, chunks.chunk_count, change.chunk0_time, chunks.next_chunk_time);
    // The export files are whole, but without its record the next automatic
    // export repeats this one on every cycle: the player must free the file.
    if (!write_export_record(character.name.c_str(), record)) {
      const SystemErrorCode reason = last_system_error();
      tell_system_error(report, settings_path(), u"the export's record could not be written", reason);
      result.failed_path = settings_path();
    }
  }
  tell(report, new_series, result.failed_path, mode, told_failure);
  return result;
}

void remember_told_failure(std::u16string& told_failure, const ExportResult& result) {
  if (result.ran) told_failure = result.failed_path;
}

}  // namespace tellwick
