// Turns one character's chunk series into its export file and recipe file,
// and records what was exported in the character's settings section.
#pragma once

#include <string>

namespace tellwick {

// Exports `character` (its folder name and settings section) from
// `character_folder` into `log_folder` (ending in a separator). Manual mode
// always runs; automatic mode only when the chunk files changed. Returns the
// export flags; `export_path_out`, when given, receives the export file path.
//
// The files are written under temporary names and put in place only when all
// of them was written, so a failed export never destroys an earlier one; the
// failure is told in the status log and nothing is recorded, so that the next
// automatic export tries again.
int export_character(const char16_t* character, const std::u16string& character_folder,
                     const std::u16string& log_folder, int mode, std::u16string* export_path_out);

}  // namespace tellwick
