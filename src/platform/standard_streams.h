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

// Whether the C library's write that just failed with errno `error` found
// a pipe whose reader had closed it (EPIPE on POSIX; Windows' C library
// calls that EINVAL and keeps the system's own code beside it).
bool failed_on_closed_pipe(int error);

}  // namespace tellwick
