// tellwick.exe's entry; everything it does lives in the tellwick_ui library,
// where the tests reach it too.
#include <windows.h>

#include "ui/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return tellwick::run_program(instance); }
