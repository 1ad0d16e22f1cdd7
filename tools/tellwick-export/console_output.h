// The headless exporter's two streams: status texts on standard output,
// debugger output and usage errors on standard error, both as UTF-8 and with
// line ends passed through unchanged.
#pragma once

namespace tellwick {

void set_up_console();
void write_stdout_utf8(const char16_t* text);
void write_stderr_utf8(const char16_t* text);

}  // namespace tellwick
