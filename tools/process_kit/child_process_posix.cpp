#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "process_kit/child_process.h"

extern char** environ;

namespace tellwick::kit {
namespace fs = std::filesystem;
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

int exit_code_of(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

fs::path own_program_folder() {
  std::error_code ignored;
  return fs::read_symlink("/proc/self/exe", ignored).parent_path();
}

std::string program_file_name(const std::string& name) { return name; }

bool start_process(const fs::path& program, const std::vector<fs::path>& arguments, Process& process) {
  return start_process(program, arguments, ProcessSetup{}, process);
}

bool start_process(const fs::path& program, const std::vector<fs::path>& arguments, const ProcessSetup& setup,
                   Process& process) {
  std::vector<std::string> strings{setup.shown_name.empty() ? program.string() : setup.shown_name};
  for (const fs::path& argument : arguments) strings.push_back(argument.string());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!setup.working_folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, setup.working_folder.c_str());
  // Opened after the change of folder, so relative paths would name files
  // there; the tests pass absolute ones.
  constexpr int kCreate = O_WRONLY | O_CREAT | O_TRUNC;
  if (!setup.output_file.empty())
    posix_spawn_file_actions_addopen(&actions, 1, setup.output_file.c_str(), kCreate, 0644);
  if (!setup.error_file.empty()) posix_spawn_file_actions_addopen(&actions, 2, setup.error_file.c_str(), kCreate, 0644);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  process.id = pid;
  return true;
}

int wait_process(Process& process) {
  if (process.id < 0) return -1;
  int status = 0;
  pid_t done;
  do {
    done = waitpid(static_cast<pid_t>(process.id), &status, 0);
  } while (done < 0 && errno == EINTR);
  process.id = -1;
  return done < 0 ? -1 : exit_code_of(status);
}

int wait_process(Process& process, std::chrono::milliseconds limit) {
  if (process.id < 0) return -1;
  const auto give_up = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(static_cast<pid_t>(process.id), &status, WNOHANG);
    if (done < 0 && errno == EINTR) continue;
    if (done != 0) {
      process.id = -1;
      return done < 0 ? -1 : exit_code_of(status);
    }
    if (std::chrono::steady_clock::now() > give_up) return kStillRunning;
    std::this_thread::sleep_for(kPollInterval);
  }
}

bool request_stop(const Process& process, StopRequest request) {
  if (process.id < 0) return false;
  int signal_number = SIGTERM;
  if (request == StopRequest::kInterrupt) signal_number = SIGINT;
  if (request == StopRequest::kHangUp) signal_number = SIGHUP;
  return kill(static_cast<pid_t>(process.id), signal_number) == 0;
}

void kill_process(Process& process) {
  if (process.id < 0) return;
  kill(static_cast<pid_t>(process.id), SIGKILL);
  wait_process(process);
}

}  // namespace tellwick::kit
