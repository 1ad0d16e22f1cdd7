// The names of an export file and its recipe file: chunk 0's local time to
// the minute, "YYYY.MM.DD.hhmm.log" and "recipe.YYYY.MM.DD.hhmm.log".
#pragma once

#include <string>

#include "export/export_options.h"
#include "platform/file.h"

namespace tellwick {

struct ExportNames {
  std::u16string file_name;    // export file name alone, stored as LOGFILE
  std::u16string export_path;  // log folder + file name
  std::u16string recipe_path;  // log folder + "recipe." + file name
};

// The names for an export of the series whose chunk 0 has `chunk0_time`.
// A new series never takes the name of another series' files: when the name
// is taken in the log folder, it becomes "…hhmm_2.log", "_3", … (the first
// whose export and recipe names are both free, or whose export file already
// holds this series: one that begins with the first line of chunk 0 in
// `character_folder`, written with the export's `options`). An export of the series exported before keeps the
// name recorded for it (`stored_name`, LOGFILE) when that is the plain name
// or one of its numbered forms.
ExportNames choose_export_names(const std::u16string& log_folder, FileTime chunk0_time, bool new_series,
                                const std::u16string& stored_name, const std::u16string& character_folder,
                                const ExportOptions& options);

// How many temporary names an export file or recipe file can be written under.
constexpr int kTemporaryNameCount = 100;

// Temporary name `number` (0 to kTemporaryNameCount - 1) of the file that
// becomes `final_path`: its ".log" swapped for ".~00", ".~01", ... The name
// is as long as the final one, so it fits wherever the final name fits (a
// long log folder near the system's path limit), and it never has the
// ".log" that the export names and the player's logs have.
std::u16string temporary_path(const std::u16string& final_path, int number);

}  // namespace tellwick
