// The program from start to end: one instance, settings, the main window and
// its message loop.
#pragma once

#include <windows.h>

namespace tellwick {

constexpr wchar_t kSingleInstanceMutex[] = L"TELLWICKMUTEX";

// Returns the exit code, 0 in every case; a second instance brings the
// running one's window back and returns at once.
int run_program(HINSTANCE instance);

}  // namespace tellwick
