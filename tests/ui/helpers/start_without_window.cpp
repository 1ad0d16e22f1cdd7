// tellwick.exe's own start-up, in a program that carries none of its
// resources: the main window's template is missing, so creating the window
// fails as it would for any other reason.
#include <windows.h>

#include "ui/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return tellwick::run_program(instance); }
