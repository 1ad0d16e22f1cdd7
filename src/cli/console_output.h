// The headless exporter's two streams: status texts on standard output,
// debugger output and usage errors on standard error, both as UTF-8 and with
// line ends passed through unchanged.
#pragma once

#include <string_view>

#include "report/report.h"

namespace tellwick {

void set_up_console();
void write_stdout_utf8(const char16_t* text);
void write_stderr_utf8(const char16_t* text);
// Text that is UTF-8 already: standard output as it is, standard error with
// a line end added.
void write_stdout_bytes(std::string_view utf8);
void write_stderr_line(std::string_view utf8);

// Status texts to standard output, debugger output to standard error.
const ReportSink& console_reports();

}  // namespace tellwick
