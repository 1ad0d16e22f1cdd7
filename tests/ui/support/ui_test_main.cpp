// The UI tests' entry: the process set up as the program sets itself up, so
// that windows come from this executable's resources.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "platform/local_time.h"
#include "support/debugger_capture.h"
#include "ui/program_state.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  tellwick::module_instance() = GetModuleHandleW(nullptr);
  InitCommonControls();
  tellwick::use_system_time_zone();
  tellwick::test::start_debugger_capture();
  return RUN_ALL_TESTS();
}
