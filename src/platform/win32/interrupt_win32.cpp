#include <windows.h>

#include <atomic>

#include "platform/interrupt.h"
#include "platform/win32/temporary_registry_win32.h"

namespace tellwick {
namespace {

std::atomic<bool> g_interrupted{false};

// Runs on a thread of its own; the watch loop sees the flag between cycles.
BOOL WINAPI note_interrupt(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    g_interrupted = true;
    return TRUE;
  }
  return FALSE;
}

// Runs on a thread of its own while the export goes on: the files cannot be
// removed while they are open, so they are marked, and the default handler
// that comes next ends the process, which closes them.
BOOL WINAPI end_removing_temporaries(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    mark_noted_temporary_files_for_deletion();
  }
  return FALSE;
}

}  // namespace

void install_ending_handler() { SetConsoleCtrlHandler(end_removing_temporaries, TRUE); }

void install_interrupt_handler() {
  // A program started by one that ignores Ctrl+C inherits that, and then no
  // handler would hear it; the watch loop must.
  SetConsoleCtrlHandler(nullptr, FALSE);
  SetConsoleCtrlHandler(note_interrupt, TRUE);
}

bool interrupt_requested() { return g_interrupted; }

}  // namespace tellwick
