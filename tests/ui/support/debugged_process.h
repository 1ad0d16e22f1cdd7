// Runs a program as its debugger does: every text it writes to the debugger
// output is seen at the moment it is written, while the program stands still.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

namespace tellwick::test {

struct DebuggedRun {
  bool ended = false;  // false when it did not end within the guard time
  DWORD exit_code = 0;
  std::wstring output;  // everything written to the debugger output
};

// Starts `program` in `working_folder` and debugs it until it ends.
// `on_output` runs at each debugger output text, while the program waits.
DebuggedRun run_under_debugger(const std::filesystem::path& program, const std::filesystem::path& working_folder,
                               const std::function<void(const std::wstring&)>& on_output);

}  // namespace tellwick::test
