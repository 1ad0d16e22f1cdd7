// The standard streams of a command-line run.
#pragma once

namespace tellwick {

// Readies the standard streams before anything else is opened: a reader
// that goes away makes writes fail (EPIPE) instead of ending the process in
// the middle of an export, and a standard stream that the caller left
// closed is opened on the null device, so that no file the run opens takes
// its number and receives text meant for it. False when standard output was
// closed: whatever is written there is lost.
bool prepare_standard_streams();

}  // namespace tellwick
