#include "platform/posix/profile_lock_posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tellwick {
namespace {

constexpr mode_t kLockFileMode = 0666;  // narrowed by the umask, as the settings file is

// Open-file-description locks belong to this descriptor, so two saves are
// kept apart even within one process. They conflict with the process locks
// that Wine takes for LockFileEx, so the Windows build run under Wine waits
// for the same lock; flock() locks would not meet those.
bool wait_for_lock(int fd) {
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;  // l_start 0 and l_len 0: the whole file, whatever range another takes
  int command = F_OFD_SETLKW;
  for (;;) {
    if (::fcntl(fd, command, &whole) == 0) return true;
    if (errno == EINTR) continue;
    // A kernel without open-file-description locks: process locks do, as
    // each save finishes before the next one of this process starts.
    if (errno == EINVAL && command == F_OFD_SETLKW) {
      command = F_SETLKW;
      continue;
    }
    return false;
  }
}

}  // namespace

std::string profile_lock_path(const std::string& file) { return file + ".lock"; }

int lock_profile(const std::string& file) {
  const int reason = errno;
  // O_NONBLOCK and O_NOFOLLOW: whatever takes the lock file's name, a FIFO
  // or a link, cannot hold a save up or send it elsewhere.
  const int fd =
      ::open(profile_lock_path(file).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, kLockFileMode);
  if (fd < 0) {
    errno = reason;
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !wait_for_lock(fd)) {
    ::close(fd);
    errno = reason;
    return -1;
  }
  return fd;
}

void unlock_profile(int lock) {
  if (lock < 0) return;
  const int reason = errno;
  ::close(lock);  // closing the last descriptor of the description releases its lock
  errno = reason;
}

}  // namespace tellwick
