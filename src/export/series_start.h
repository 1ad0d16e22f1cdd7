// The first bytes an export of a chunk series writes: the export file of one
// series begins with them, another series' file does not (unless its first
// entry is the very same), so they tell whether a file under a name already
// holds this series.
#pragma once

#include <string>
#include <vector>

namespace tellwick {

// The first line of chunk 0 in `character_folder` as an export file holds it
// (rendered, CR LF included), once for every output charset with control
// sequences dropped and shown: the settings may have changed since the file
// was written. None when chunk 0 gives no line: missing, held by the game,
// not the start of a series, or without an entry that decodes.
std::vector<std::string> first_export_lines(const std::u16string& character_folder);

}  // namespace tellwick
