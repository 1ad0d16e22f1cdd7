// Second processes for tests that need another program; the helper programs
// are built beside the test executable.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
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

// Waits at most `limit` for `what` to end with `expected_exit`. A process
// still running then is killed, so that a stuck helper fails its test within
// the limit instead of holding up the whole run.
inline ::testing::AssertionResult ends_within(Process& process, std::chrono::milliseconds limit,
                                              const std::string& what, int expected_exit = 0) {
  if (process.id == Process{}.id) return ::testing::AssertionFailure() << what << " is not running";
  const int code = wait_process(process, limit);
  if (code == kStillRunning) {
    kill_process(process);
    return ::testing::AssertionFailure() << what << " did not end within " << limit.count() << " ms; killed";
  }
  if (code != expected_exit) {
    return ::testing::AssertionFailure() << what << " ended with exit code " << code << ", expected " << expected_exit;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace tellwick::test
