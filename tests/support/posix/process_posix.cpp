#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "support/process.h"

extern char** environ;

namespace tellwick::test {
namespace fs = std::filesystem;

fs::path helper_program(const std::string& name) {
  std::error_code ignored;
  return fs::read_symlink("/proc/self/exe", ignored).parent_path() / name;
}

bool start_process(const fs::path& program, const std::vector<fs::path>& arguments, Process& process) {
  std::vector<std::string> strings{program.string()};
  for (const fs::path& argument : arguments) strings.push_back(argument.string());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, strings[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
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
  if (done < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace tellwick::test
