// Temporary files of exports: each is held under an advisory lock while its
// export writes it, so that another export (another process) removes only
// the ones that nobody holds any more.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/file.h"
#include "platform/posix/path_posix.h"
#include "platform/posix/temporary_registry_posix.h"

namespace tellwick {
namespace {

enum class Lock { kTaken, kHeldElsewhere, kNone };

// Locks that belong to the open file, not to the process: closing another
// descriptor of the same file in this process (a cleanup looking at it)
// never lets go of them. Open-file-description locks first, which Wine's
// own file locks map onto as well; flock where the kernel lacks them. A file
// system with neither (some network mounts) still exports, unlocked.
Lock lock_whole_file(int fd) {
#ifdef F_OFD_SETLK
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;  // start 0, length 0: the whole file, however long it grows
  if (::fcntl(fd, F_OFD_SETLK, &range) == 0) return Lock::kTaken;
  if (errno == EAGAIN || errno == EACCES) return Lock::kHeldElsewhere;
#endif
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Lock::kTaken;
  if (errno == EWOULDBLOCK) return Lock::kHeldElsewhere;
  return Lock::kNone;
}

// Whether `path` still names the file open as `fd`: a cleanup may have
// removed it (and another export made a new one) before the lock was taken.
bool names_open_file(const std::string& path, int fd) {
  struct stat named;
  struct stat open;
  return ::lstat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
         named.st_ino == open.st_ino;
}

void close_keeping_errno(int fd) {
  const int reason = errno;
  ::close(fd);
  errno = reason;
}

}  // namespace

FileHandle create_new_output_file(const char16_t* path) {
  const std::string native = native_path(path);
  // O_EXCL fails on any name that exists, a link (even a dangling one) included.
  const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return kNoFile;
  // Between the creation and the lock another export may have taken the
  // empty file for a leftover: it removes it, or is about to. The name is
  // then someone else's, and the caller goes on to the next one.
  if (lock_whole_file(fd) == Lock::kHeldElsewhere || !names_open_file(native, fd)) {
    ::close(fd);
    errno = EEXIST;
    return kNoFile;
  }
  note_temporary_file(fd, native.c_str());
  return fd;
}

bool remove_unheld_file(const char16_t* path) {
  const std::string native = native_path(path);
  // Opened only to be locked: never through a link, never waiting on a pipe.
  const int fd = ::open(native.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  // Where no lock can be taken, nobody can tell a file still being written
  // from a leftover, so it stays.
  const bool removed = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && lock_whole_file(fd) == Lock::kTaken &&
                       names_open_file(native, fd) && ::unlink(native.c_str()) == 0;
  close_keeping_errno(fd);
  return removed;
}

bool close_file_into_place(FileHandle file, const char16_t* from, const char16_t* to) {
  const int fd = static_cast<int>(file);
  forget_temporary_file(fd);
  // Renamed while still locked: once closed, another export could take it
  // for a leftover and remove it before it reached its name.
  if (::rename(native_path(from).c_str(), native_path(to).c_str()) != 0) {
    const int reason = errno;
    ::unlink(native_path(from).c_str());
    ::close(fd);
    errno = reason;
    return false;
  }
  return ::close(fd) == 0;
}

bool close_and_delete_file(FileHandle file, const char16_t* path) {
  const int fd = static_cast<int>(file);
  forget_temporary_file(fd);
  // Removed while still locked, so that the name is never another export's
  // new file by then.
  const bool removed = ::unlink(native_path(path).c_str()) == 0;
  close_keeping_errno(fd);
  return removed;
}

}  // namespace tellwick
