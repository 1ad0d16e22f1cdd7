// The headless exporter's two streams: status texts on standard output,
// debugger output and usage errors on standard error, both as UTF-8 and with
// line ends passed through unchanged.
//
// Standard output is checked at every write and at the end. A reader that
// closes its end of a pipe early (as `head` does) took what it wanted: the
// rest is dropped and it counts as no failure. Any other failure (a full
// disk, a closed or unwritable stream) is told on standard error once, with
// the system's reason, and nothing more is written there.
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

// A reader closing its end is told on standard error too (the watch's
// status texts are its only record of what it did).
void tell_closed_standard_output();
// Whether standard output still takes text: no failure, no reader gone.
bool standard_output_open();
// Flushes and closes standard output. False when some text for it could not
// be written (a reader that went away excepted). Call it last.
bool finish_standard_output();

// Status texts to standard output, debugger output to standard error.
const ReportSink& console_reports();

}  // namespace tellwick
