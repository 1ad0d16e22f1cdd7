// The program from start to end: one instance, settings, the main window and
// its message loop.
#pragma once

#include <windows.h>

namespace tellwick {

constexpr wchar_t kSingleInstanceMutex[] = L"TELLWICKMUTEX";

// The exit code when the main window could not be created.
constexpr int kNoWindowExitCode = 1;

// Returns the exit code: 0 after the program ran, and for a second instance,
// which brings the running one's window back and returns at once;
// kNoWindowExitCode when the main window could not be created.
int run_program(HINSTANCE instance);

}  // namespace tellwick
