// Where the logic reports. Each front end (the window, the headless exporter,
// a test) defines these two functions; the logic only calls them.
#pragma once

namespace tellwick {

// Appends a text (with its own "\r\n") at the end of the status log.
void status_log_append(const char16_t* text);

// Diagnostic text for an attached debugger; nothing reads it back.
void debugger_output(const char16_t* text);

}  // namespace tellwick
