#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/posix/path_posix.h"

namespace tellwick {

FileHandle create_output_file(const char16_t* path) {
  const int fd = ::open(native_path(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? kNoFile : fd;
}

bool write_file(FileHandle file, const void* data, std::size_t size) {
  if (file == kNoFile) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(static_cast<int>(file), p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool close_file(FileHandle file) {
  if (file == kNoFile) return false;
  return ::close(static_cast<int>(file)) == 0;
}

}  // namespace tellwick
