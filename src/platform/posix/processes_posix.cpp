// Processes from /proc. A Windows program run under Wine shows the Wine
// loader as its executable; its own Windows image path ("Z:\games\ffxiv.exe")
// is the first word of its command line, so it is visited too.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/path.h"
#include "platform/processes.h"

namespace tellwick {
namespace {

constexpr std::size_t kImagePathBytes = 4096;

bool is_process_id(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

bool is_wine_loader(const std::string& exe) {
  const std::size_t slash = exe.rfind('/');
  return exe.compare(slash == std::string::npos ? 0 : slash + 1, 4, "wine") == 0;
}

std::string read_link(const std::string& path) {
  char buffer[kImagePathBytes];
  const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string first_argument(const std::string& cmdline_path) {
  const int fd = open(cmdline_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  char buffer[kImagePathBytes];
  const ssize_t n = read(fd, buffer, sizeof buffer - 1);
  close(fd);
  if (n <= 0) return {};
  buffer[n] = '\0';
  return std::string(buffer);  // up to the first zero: argv[0]
}

bool visit_native(const std::string& path, ProcessImageVisitor visit, void* context) {
  return visit(path_from_native(path).c_str(), context);
}

}  // namespace

bool visit_process_images(ProcessImageVisitor visit, void* context) {
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return false;
  bool stopped = false;
  while (!stopped) {
    const dirent* entry = readdir(proc);
    if (entry == nullptr) break;
    if (!is_process_id(entry->d_name)) continue;
    const std::string base = std::string("/proc/") + entry->d_name;
    const std::string exe = read_link(base + "/exe");
    if (exe.empty()) continue;  // gone, a kernel thread, or not ours to read
    stopped = visit_native(exe, visit, context);
    if (!stopped && is_wine_loader(exe)) {
      const std::string image = first_argument(base + "/cmdline");
      if (!image.empty()) stopped = visit_native(image, visit, context);
    }
  }
  closedir(proc);
  return stopped;
}

}  // namespace tellwick
