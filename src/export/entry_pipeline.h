// What happens to every entry of an export: its entry line is built,
// rendered into the export file, and, when it may be a materia message,
// stripped and handed to the materia detector for the recipe file. The
// exporter, the fuzz targets and the benchmarks all go through here.
#pragma once

#include <cstdint>

#include "export/export_options.h"
#include "gamelog/chunk_view.h"
#include "materia/recipe_record.h"
#include "output/output_charset.h"
#include "output/output_file.h"
#include "report/report.h"

namespace tellwick {

// The output side of one export.
struct EntryOutput {
  OutputFile* log = nullptr;  // the export file
  OutputCharset charset = kCharsetAnsi;
  bool show_control = false;
  RecipeOutput recipe;  // the recipe file and the pairs written to it
  const ReportSink* report = nullptr;
  std::uint32_t first_entry_time = 0;  // the first non-zero entry time so far
  std::uint32_t last_entry_time = 0;   // the last entry's time
};

// An output into `log` and `recipe` (either may be null: nothing is written there).
void start_entry_output(EntryOutput& out, OutputFile* log, OutputFile* recipe, const ExportOptions& options,
                        const ReportSink& report);

void export_entry(const ChunkEntry& entry, EntryOutput& out);

// export_entry in its parts, for lines rendered ahead on another thread:
// the entry's time kept, its line written into `log` (when not null), which
// tells whether the line may be a materia message, and then, for such a
// line only and in the entries' order, the materia test itself.
void note_entry_time(std::uint32_t time, EntryOutput& out);
bool write_entry_line(const ChunkEntry& entry, OutputFile* log, OutputCharset charset, bool show_control);
void examine_candidate(const ChunkEntry& entry, EntryOutput& out);

}  // namespace tellwick
