// The names of an export file and its recipe file: chunk 0's local time to
// the minute, "YYYY.MM.DD.hhmm.log" and "recipe.YYYY.MM.DD.hhmm.log".
#pragma once

#include <string>

#include "gamelog/game_folders.h"
#include "platform/file.h"

namespace tellwick {

struct ExportNames {
  std::u16string file_name;    // export file name alone, stored as LOGFILE
  std::u16string export_path;  // log folder + file name
  std::u16string recipe_path;  // log folder + "recipe." + file name
};

// The names for an export of the series of `character` whose chunk 0 has
// `chunk0_time`. An export never writes over another series' files:
// - A series exported before keeps the name recorded for it (`stored_name`,
//   LOGFILE) while its export file is there and still holds this series, even
//   when the minute's name has moved since (the offset from UTC changed).
//   When nothing can tell (chunk 0 gives no first line, or the file cannot
//   be read now) the record is believed.
// - Any other name is the minute's plain name or its first numbered form,
//   "…hhmm_2.log", "_3", …, that is free (neither export nor recipe file
//   there, or only an empty export file) or whose export file holds this
//   series (a series whose record was lost is written in place again).
// An export file holds this series when it begins with the first line of
// chunk 0, in any output charset; one that another character's record names
// is never taken, whatever it begins with, since two series can begin with
// the same entry.
ExportNames choose_export_names(const std::u16string& log_folder, FileTime chunk0_time, bool new_series,
                                const std::u16string& stored_name, const Character& character);

// How many temporary names an export file or recipe file can be written under.
constexpr int kTemporaryNameCount = 100;

// Temporary name `number` (0 to kTemporaryNameCount - 1) of the file that
// becomes `final_path`: its ".log" swapped for ".~00", ".~01", ... The name
// is as long as the final one, so it fits wherever the final name fits (a
// long log folder near the system's path limit), and it never has the
// ".log" that the export names and the player's logs have.
std::u16string temporary_path(const std::u16string& final_path, int number);

}  // namespace tellwick
