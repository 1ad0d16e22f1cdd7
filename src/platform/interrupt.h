// Ctrl+C (and on POSIX SIGTERM) for the headless exporter's watch loop:
// the request is only noted, so a cycle under way is never cut short.
#pragma once

namespace tellwick {

void install_interrupt_handler();
bool interrupt_requested();

}  // namespace tellwick
