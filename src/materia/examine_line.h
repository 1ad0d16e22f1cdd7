// The materia detector's entry point for every exported line and every line
// of a dropped test file.
#pragma once

#include "gamelog/output_file.h"

namespace tellwick {

// When `line` (zero-terminated) is a materia message: echoes it and "\r\n" to
// the debugger output, then hands its names to the recipe record writer,
// which writes to `recipe` (none when null) in `charset`, keeping duplicates
// when `keep_duplicates` is set. Other lines pass without effect.
void examine_line(const char16_t* line, OutputFile* recipe, int charset, bool keep_duplicates);

}  // namespace tellwick
