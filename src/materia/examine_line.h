// The materia detector's entry point for every exported line and every line
// of a dropped test file.
#pragma once

#include "materia/recipe_record.h"
#include "report/report.h"

namespace tellwick {

// When `line` (zero-terminated) is a materia message: echoes it and "\r\n" to
// the debugger output, then hands its names to the recipe record writer.
// Other lines pass without effect.
void examine_line(const char16_t* line, RecipeOutput& recipe, const ReportSink& report);

// False only for a UTF-8 line (zero-terminated) whose leading number is
// certainly not 46 or 47, judged from its first bytes, so that the exporter
// converts only candidates. A line that starts with a space, a sign or a
// non-ASCII unit is always a candidate: the C library's white space and
// digits reach beyond ASCII. So is a line whose leading digits meet a
// control sequence start (0x02): the entry line can be judged before it is
// stripped, since stripping only takes such sequences out.
bool may_be_materia_line(const char* utf8_line);

}  // namespace tellwick
