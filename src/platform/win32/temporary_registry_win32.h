// The temporary files this process holds open, so that a console event
// (Ctrl+C, the console window closed) ending the process removes them.
#pragma once

#include <windows.h>

namespace tellwick {

// Notes a file opened with DELETE access. No free slot leaves it unnoted:
// the next export of its name removes it if it is ever left behind.
void note_temporary_file(HANDLE file);
// The file is closed, renamed or removed by its owner: no longer noted.
void forget_temporary_file(HANDLE file);
// Marks every noted file for deletion: the system removes each as its
// handle closes, which the process's end does.
void mark_noted_temporary_files_for_deletion();

}  // namespace tellwick
