// The steps every front end takes around an export (the window's extract
// button, the watch cycle, tellwick-export): create the log folder, form
// the character's folder, export, and tell where a manual export saved.
#pragma once

#include <cstddef>
#include <string>

#include "export/exporter.h"
#include "settings/settings.h"

namespace tellwick {

// No limit on the character folder path.
constexpr std::size_t kAnyFolderPath = 0;

// Creates the log folder (one level; usually it is there already) and
// exports the character with the settings' options. A manual export that
// took a chunk file tells "<export path>に保存しました。\r\n". A character
// folder path of `folder_path_capacity` characters or more (when not
// kAnyFolderPath) is not exported at all rather than from a cut path.
// `told_failure` is the caller's memory of the failure it told last.
ExportResult run_export(const char16_t* character, const Settings& settings, ExportMode mode, const ReportSink& report,
                        std::u16string& told_failure, std::size_t folder_path_capacity = kAnyFolderPath);

}  // namespace tellwick
