// Tries the materia detector on a text file dropped on the main window: every
// line ended by a line break goes through examine_line without a recipe file,
// so the only result is the debugger output.
#pragma once

#include "report/report.h"

namespace tellwick {

constexpr unsigned kDroppedLineCapacity = 1024;  // units, terminator included

// Starts a new seen-check list (duplicates kept or not), reads the file as UTF-8 up to its first zero
// byte and examines each line. A file that cannot be read counts as empty. A
// line longer than 1023 units is cut there, before a surrogate pair the cut
// would split. The text after the last CR or LF is not a line.
void dropped_file_test(const char16_t* path, bool keep_duplicates, const ReportSink& report);

}  // namespace tellwick
