// Turns one character's chunk series into its export file and recipe file,
// and records what was exported in the character's settings section.
#pragma once

#include <string>

#include "export/export_flags.h"
#include "export/export_options.h"
#include "gamelog/game_folders.h"
#include "report/report.h"

namespace tellwick {

struct ExportResult {
  ExportFlags flags = ExportFlags::kNone;
  bool ran = false;            // got past its early returns: no change, or no chunk 0
  std::u16string export_path;  // the export file, once named
  std::u16string failed_path;  // the file that could not be saved, told as failed; empty when none
};

// Exports `character` into `log_folder` (ending in a separator). Manual mode
// always runs; automatic mode only when the chunk files changed. Its status
// texts go to `report`: the new series message, and a failure, except that
// an automatic export failing as `told_failure` (the failure its caller told
// last) says nothing at all, so that a folder that stays missing does not
// fill the status log every ten seconds.
//
// The files are written under temporary names and put in place only when all
// of them was written, so a failed export never destroys an earlier one; the
// failure is told and nothing is recorded, so that the next automatic export
// tries again.
ExportResult export_character(const Character& character, const std::u16string& log_folder, ExportMode mode,
                              const ExportOptions& options, const ReportSink& report,
                              const std::u16string& told_failure);

// The failure a caller that repeats exports remembers after one of them.
void remember_told_failure(std::u16string& told_failure, const ExportResult& result);

}  // namespace tellwick
