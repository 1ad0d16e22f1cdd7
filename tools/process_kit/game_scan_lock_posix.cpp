#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "process_kit/game_scan_lock.h"

namespace tellwick::kit {

// One file for the whole machine, whichever checkout or build runs the tests.
constexpr char kLockFile[] = "/tmp/tellwick-tests-game-scan.lock";

GameScanLock::GameScanLock() {
  const int fd = open(kLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
  handle_ = fd;
}

GameScanLock::~GameScanLock() {
  if (handle_ >= 0) close(static_cast<int>(handle_));  // releases the lock
}

}  // namespace tellwick::kit
