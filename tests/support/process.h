// Second processes for tests that need another program; the helper programs
// are built beside the test executable.
#pragma once

#include <filesystem>
#include <string>

#include "process_kit/child_process.h"

namespace tellwick::test {

using kit::kill_process;
using kit::kStillRunning;
using kit::Process;
using kit::ProcessSetup;
using kit::program_file_name;
using kit::request_stop;
using kit::start_process;
using kit::StopRequest;
using kit::wait_process;

// A helper program built with the tests, by its name without extension.
inline std::filesystem::path helper_program(const std::string& name) {
  return kit::own_program_folder() / program_file_name(name);
}

}  // namespace tellwick::test
