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
#include "gamelog/chunk_series.h"
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
    if (chunk_entry(ready.file.view, k, entry)) examine_candidate(entry, out);
  }
  for (std::uint32_t k = ready.rendered_entries; k < ready.file.view.entry_count; ++k) {
    ChunkEntry entry;
    if (chunk_entry(ready.file.view, k, entry)) export_entry(entry, out);
  }
}

// Takes the chunk series through the one rule of where it ends. Every
// other file is made ready ahead while the one before it is exported; each
// is still decided on in its turn.
ChunkSeries export_chunks(const std::u16string& character_folder, FileTime chunk0_time, EntryOutput& out) {
  ChunkSeries series = start_chunk_series(character_folder, chunk0_time);
  // With one processor a second thread would only take turns with this one.
  ChunkAhead ahead(out.charset, out.show_control, out.log != nullptr, std::thread::hardware_concurrency() != 1);
  ahead.start(next_chunk_path(series, 1), chunk0_time);
  for (;;) {
    ChunkFile file;
    const SeriesStep step = read_next_chunk(series, file);
    if (step == SeriesStep::kEnded) break;
    for (std::uint32_t k = 0; k < file.view.entry_count; ++k) {
      ChunkEntry entry;
      if (chunk_entry(file.view, k, entry)) export_entry(entry, out);
    }
    if (step == SeriesStep::kTakeAndEnd) break;

    const ChunkAheadResult& ready = ahead.result();
    const SeriesStep ready_step = continue_series(series, ready.file);
    if (ready_step == SeriesStep::kEnded) break;
    take_ready_chunk(ready, out);
    if (ready_step == SeriesStep::kTakeAndEnd) break;
    ahead.start(next_chunk_path(series, 1), chunk0_time);
  }
  return series;
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
  ChunkSeries chunks;
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
