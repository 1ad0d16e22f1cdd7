// Ctrl+C, SIGTERM and SIGHUP (on Windows the console's Ctrl+C and close).
#pragma once

namespace tellwick {

// For the headless exporter's watch loop: the request is only noted, so a
// cycle under way is never cut short and its export puts its files in place.
void install_interrupt_handler();
bool interrupt_requested();

// For a one-shot export: the process ends at once, as the signal (or
// console event) would end it by default, but first the temporary files it
// is writing (those made by create_new_output_file and still open) are
// removed. A signal that the process was started with ignored stays ignored.
void install_ending_handler();

}  // namespace tellwick
