// Other programs started, watched and stopped by the tests and the game
// simulator: a helper holding a file, a stand-in for the game, or one of the
// project's own programs.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tellwick::kit {

struct Process {
  std::intptr_t id = -1;  // a process handle on Windows, a process id on POSIX
};

// Where a started process works and where its output goes; empty paths leave
// the test's own working folder and streams.
struct ProcessSetup {
  std::filesystem::path working_folder;
  std::filesystem::path output_file;  // standard output, created anew
  std::filesystem::path error_file;   // standard error, created anew
  bool stoppable = false;             // request_stop can reach it (Windows: a console of its own)
  // The program's name as it sees it (argv[0], the first word of its command
  // line) when not empty; otherwise the program's path.
  std::string shown_name;
};

// The folder that holds the running program's own executable.
std::filesystem::path own_program_folder();

// The name a program of this build has on disk: "name.exe" on Windows.
std::string program_file_name(const std::string& name);

// Starts the program with the arguments, each passed as one argument.
bool start_process(const std::filesystem::path& program, const std::vector<std::filesystem::path>& arguments,
                   Process& process);
bool start_process(const std::filesystem::path& program, const std::vector<std::filesystem::path>& arguments,
                   const ProcessSetup& setup, Process& process);

// Waits until the process ends and returns its exit code; -1 when it cannot
// be waited for or did not exit normally.
int wait_process(Process& process);

constexpr int kStillRunning = -2;
// As above, but gives up after `limit` and returns kStillRunning; the
// process can then still be waited for.
int wait_process(Process& process, std::chrono::milliseconds limit);

// Asks a process started as stoppable to end as a user or the system would:
// SIGINT, SIGTERM or SIGHUP on POSIX; on Windows each is Ctrl+C in the
// process's console. False when it could not be sent.
enum class StopRequest { kInterrupt, kTerminate, kHangUp };
bool request_stop(const Process& process, StopRequest request);

// Ends the process at once, for cleaning up after a failed test.
void kill_process(Process& process);

}  // namespace tellwick::kit
