// The first bytes an export of a chunk series writes: the export file of one
// series begins with them, another series' file does not, so they tell
// whether a file under the minute's name already holds this series.
#pragma once

#include <string>

#include "export/export_options.h"

namespace tellwick {

// The first line of chunk 0 in `character_folder` as the export file holds
// it (rendered, CR LF included, with the export's options). Empty when
// chunk 0 gives no line: missing, held by the game, not the start of a
// series, or without an entry that decodes.
std::string first_export_line(const std::u16string& character_folder, const ExportOptions& options);

}  // namespace tellwick
