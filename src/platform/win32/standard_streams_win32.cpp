#include <windows.h>

#include <cstdlib>

#include "platform/standard_streams.h"

namespace tellwick {

// Windows has no SIGPIPE, and files are opened as handles that never take
// the place of a standard stream: a missing standard output makes its
// writes fail, which the writer sees.
bool prepare_standard_streams() { return true; }

// The reader gone: Windows says "the pipe is being closed" or "broken";
// Wine says that no process is on the other end.
bool failed_on_closed_pipe(int error) {
  const unsigned long system_error = _doserrno;
  return error == EPIPE || system_error == ERROR_NO_DATA || system_error == ERROR_BROKEN_PIPE ||
         system_error == ERROR_PIPE_NOT_CONNECTED;
}

}  // namespace tellwick
