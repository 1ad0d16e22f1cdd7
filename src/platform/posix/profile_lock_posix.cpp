#include "platform/posix/profile_lock_posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tellwick {
namespace {

constexpr mode_t kLockFileMode = 0666;  // narrowed by the umask, as the settings file is
constexpr auto kLongestLockWait = std::chrono::seconds(10);
constexpr auto kLockRetry = std::chrono::milliseconds(5);

// Open-file-description locks belong to this descriptor, so two saves are
// kept apart even within one process. They conflict with the process locks
// that Wine takes for LockFileEx, so the Windows build run under Wine waits
// for the same lock; flock() locks would not meet those.
int try_lock(int fd, int command) {
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;  // l_start 0 and l_len 0: the whole file, whatever range another takes
  int result;
  do {
    result = ::fcntl(fd, command, &whole);
  } while (result != 0 && errno == EINTR);
  return result;
}

// A save holds the lock for milliseconds. One held far longer belongs to a
// process that stopped in the middle of its save; waiting for it for ever
// would stop this program too, so after a while the save goes on without.
bool wait_for_lock(int fd) {
  int command = F_OFD_SETLK;
  const auto give_up = std::chrono::steady_clock::now() + kLongestLockWait;
  for (;;) {
    if (try_lock(fd, command) == 0) return true;
    // A kernel without open-file-description locks: process locks do, as
    // each save finishes before the next one of this process starts.
    if (errno == EINVAL && command == F_OFD_SETLK) {
      command = F_SETLK;
      continue;
    }
    if ((errno != EAGAIN && errno != EACCES) || std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(kLockRetry);
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
