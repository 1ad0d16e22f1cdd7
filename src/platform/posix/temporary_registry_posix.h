// The temporary files this process holds open, known by descriptor and by
// their path as pre-built bytes, so that a signal handler can remove them
// with nothing but unlink.
#pragma once

namespace tellwick {

// Notes the file behind `fd`, created under `path` (a native path). A path
// too long for a slot, or no free slot, leaves the file unnoted: the next
// export of its name removes it if it is ever left behind.
void note_temporary_file(int fd, const char* path);
// The file is closed, renamed or removed by its owner: no longer the handler's.
void forget_temporary_file(int fd);
// Async-signal-safe: unlinks every noted file.
void remove_noted_temporary_files();

}  // namespace tellwick
