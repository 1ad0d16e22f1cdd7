// The main window's status log: the append-only message pane (control 400).
#pragma once

namespace tellwick {

// Appends a text (with its own "\r\n") at the end of the status log.
void status_log_append(const char16_t* text);

}  // namespace tellwick
