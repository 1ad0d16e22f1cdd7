// Pictures of the windows under test, kept in the build tree beside the test
// program (screenshots/) for a person to look at.
#pragma once

#include <windows.h>

#include <string>

namespace tellwick::test {

// Saves a PNG picture of the window as screenshots/NAME.png when it can. A
// picture is only for looking at: one that cannot be taken (no display, a
// full disk) fails no test, and the test's output says why it is missing.
void save_screenshot(HWND window, const std::string& name);

}  // namespace tellwick::test
