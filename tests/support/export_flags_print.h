// How a failed expectation shows an export's flags: as the number a caller
// of the export sees.
#pragma once

#include <ostream>

#include "export/export_flags.h"

namespace tellwick {

inline void PrintTo(ExportFlags flags, std::ostream* out) { *out << static_cast<unsigned>(flags); }

}  // namespace tellwick
