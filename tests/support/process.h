// Second processes for tests that need another program to hold a file: the
// helper programs are built beside the test executable.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tellwick::test {

struct Process {
  std::intptr_t id = -1;  // a process handle on Windows, a process id on POSIX
};

// A helper program built with the tests, by its name without extension.
std::filesystem::path helper_program(const std::string& name);

// Starts the program with the arguments, each passed as one argument.
bool start_process(const std::filesystem::path& program, const std::vector<std::filesystem::path>& arguments,
                   Process& process);

// Waits until the process ends and returns its exit code; -1 when it cannot
// be waited for or did not exit normally.
int wait_process(Process& process);

}  // namespace tellwick::test
