#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/file.h"
#include "platform/path.h"
#include "platform/posix/path_posix.h"
#include "platform/posix/temporary_registry_posix.h"
#include "platform/posix/write_all_posix.h"

namespace tellwick {
namespace {

// Seconds from 1601-01-01 (the Windows file time epoch) to 1970-01-01.
constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600ULL;
constexpr std::uint64_t kFileTimeUnitsPerSecond = 10000000ULL;  // 100 ns units
constexpr std::uint64_t kNanosecondsPerFileTimeUnit = 100;

// The signal the kernel sends when a writer wants a file we hold a lease on.
// SIGIO, the default, would end the process; SIGURG is ignored unless a
// program asks for it, and the program never does. It is chosen before the
// lease is taken, since a writer may arrive at once.
constexpr int kLeaseBreakSignal = SIGURG;

FileTime to_file_time(const struct timespec& mtime) {
  // Times before 1601 cannot be expressed; they never occur for real files.
  const std::int64_t seconds =
      static_cast<std::int64_t>(mtime.tv_sec) + static_cast<std::int64_t>(kSecondsFrom1601To1970);
  if (seconds < 0) return 0;
  return static_cast<std::uint64_t>(seconds) * kFileTimeUnitsPerSecond +
         static_cast<std::uint64_t>(mtime.tv_nsec) / kNanosecondsPerFileTimeUnit;
}

// Leaves errno as it was: the reason a read failed outlives the clean-up.
void close_quietly(int fd) {
  const int reason = errno;
  // On Linux the descriptor is released even when close reports EINTR, so
  // it is never closed twice.
  ::close(fd);
  errno = reason;
}

// Why a lease: POSIX has no share modes, and advisory locks only see writers
// that take them, which the game (run under Wine) does not. A read lease is
// the one thing the kernel grants only while no process at all has the file
// open for writing, so it stands in for the read-only sharing of the Windows
// open: a chunk that the game is still writing is not read. While the lease
// is held, a process that opens the file for writing waits (up to the
// system's lease break time) until it is released, so the bytes read are
// never half-written.
// Returns false only when a writer has the file open. When the file system
// or the permissions allow no lease (another user's file, network file
// systems, leases turned off), the file is read without one.
bool take_read_lease(int fd, bool& leased) {
  leased = false;
  ::fcntl(fd, F_SETSIG, kLeaseBreakSignal);
  if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
    // Taking the lease made this process the one the kernel signals on a
    // lease break; the signal is ignored, and the writer waits for the
    // release all the same.
    leased = true;
    return true;
  }
  return errno != EAGAIN;
}

void release_read_lease(int fd, bool leased) {
  const int reason = errno;
  if (leased) ::fcntl(fd, F_SETLEASE, F_UNLCK);
  errno = reason;
}

// Whether an open descriptor is a file to read; when not, errno says why
// (a folder, a device, or one that could not be examined).
bool is_regular_file(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  if (S_ISREG(st.st_mode)) return true;
  errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  return false;
}

// Reads up to `size` bytes; stops early at the end of the file. Returns the
// count read, or -1 on an error.
std::int64_t read_fully(int fd, std::uint8_t* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, buffer + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

bool entry_is_directory(int dir_fd, const struct dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return false;
  // A link to a folder counts as a folder, as a Windows folder link does.
  struct stat st;
  return ::fstatat(dir_fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

FileHandle create_output_file(const char16_t* path) {
  const int fd = ::open(native_path(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? kNoFile : fd;
}

bool write_file(FileHandle file, const void* data, std::size_t size) {
  if (file == kNoFile) return false;
  return write_all(static_cast<int>(file), data, size);
}

bool close_file(FileHandle file) {
  if (file == kNoFile) return false;
  forget_temporary_file(static_cast<int>(file));
  return ::close(static_cast<int>(file)) == 0;
}

bool file_held_for_writing(const char16_t* path) {
  const int fd = ::open(native_path(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool leased = false;
  const bool held = is_regular_file(fd) && !take_read_lease(fd, leased);
  release_read_lease(fd, leased);
  close_quietly(fd);
  return held;
}

bool file_write_time(const char16_t* path, FileTime& time) {
  time = 0;
  struct stat st;
  if (::stat(native_path(path).c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;  // a folder cannot be opened as a file on Windows either
    return false;
  }
  time = to_file_time(st.st_mtim);
  return true;
}

bool set_file_write_time(const char16_t* path, FileTime time) {
  const std::uint64_t units_since_1970 = time - kSecondsFrom1601To1970 * kFileTimeUnitsPerSecond;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // the access time stays
  times[1].tv_sec = static_cast<time_t>(units_since_1970 / kFileTimeUnitsPerSecond);
  times[1].tv_nsec = static_cast<long>(units_since_1970 % kFileTimeUnitsPerSecond * kNanosecondsPerFileTimeUnit);
  return time >= kSecondsFrom1601To1970 * kFileTimeUnitsPerSecond &&
         ::utimensat(AT_FDCWD, native_path(path).c_str(), times, 0) == 0;
}

bool is_directory(const char16_t* path) {
  struct stat st;
  return ::stat(native_path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool read_file_start(const char16_t* path, std::uint8_t* buffer, std::size_t capacity, std::size_t& size) {
  size = 0;
  const int fd = ::open(native_path(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const std::int64_t got = is_regular_file(fd) ? read_fully(fd, buffer, capacity) : -1;
  close_quietly(fd);
  if (got < 0) return false;
  size = static_cast<std::size_t>(got);
  return true;
}

FileHandle open_input_file(const char16_t* path) {
  const int fd = ::open(native_path(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kNoFile;
  if (!is_regular_file(fd)) {
    close_quietly(fd);
    return kNoFile;
  }
  return fd;
}

bool read_file_at(FileHandle file, std::uint64_t offset, std::uint8_t* buffer, std::size_t capacity,
                  std::size_t& size) {
  size = 0;
  while (size < capacity) {
    const ssize_t n =
        ::pread(static_cast<int>(file), buffer + size, capacity - size, static_cast<off_t>(offset + size));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
  }
  return true;
}

bool read_whole_file_not_older(const char16_t* path, FileTime not_before, FileContents& contents, FileTime& time) {
  contents.data.reset();
  contents.size = 0;
  time = 0;
  // O_NONBLOCK keeps a FIFO from blocking the open; reads of regular files
  // ignore it.
  const int fd = ::open(native_path(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // A file that exists but may not be read still has its time.
    const int reason = errno;
    file_write_time(path, time);
    errno = reason;
    return false;
  }
  // One examination after the lease serves all: no writer can change the
  // size until we are done, and a chunk file costs few system calls.
  bool leased = false;
  const bool unwritten = take_read_lease(fd, leased);
  const int lease_failure = errno;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && S_ISDIR(st.st_mode)) {
    errno = EISDIR;  // a folder has no write time, as file_write_time says
    ok = false;
  } else if (ok) {
    time = to_file_time(st.st_mtim);
    if (!S_ISREG(st.st_mode)) errno = EINVAL;
    ok = S_ISREG(st.st_mode);
  }
  if (ok && !unwritten) {
    errno = lease_failure;
    ok = false;
  }
  std::unique_ptr<std::uint8_t[]> buffer;
  std::int64_t got = -1;
  if (ok && time >= not_before) {
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    buffer.reset(new (std::nothrow) std::uint8_t[size + 1]);
    if (!buffer) errno = ENOMEM;
    got = buffer ? read_fully(fd, buffer.get(), size) : -1;
    if (got >= 0) {
      // A file that shrank since its size was taken reports what was read; the
      // rest of the buffer is cleared, so no byte that was not read is visible.
      std::memset(buffer.get() + got, 0, size + 1 - static_cast<std::size_t>(got));
    }
  }
  release_read_lease(fd, leased);
  close_quietly(fd);
  if (got < 0) return false;
  contents.data = std::move(buffer);
  contents.size = static_cast<std::size_t>(got);
  return true;
}

bool read_whole_file(const char16_t* path, FileContents& contents) {
  FileTime ignored;
  return read_whole_file_not_older(path, 0, contents, ignored);
}

bool list_directory(const char16_t* folder, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  DIR* dir = ::opendir(native_path(folder).c_str());
  if (dir == nullptr) return false;
  const int dir_fd = ::dirfd(dir);
  for (;;) {
    const struct dirent* entry = ::readdir(dir);
    if (entry == nullptr) break;  // the end, or an error that ends the listing as on Windows
    entries.push_back({path_from_native(entry->d_name), entry_is_directory(dir_fd, entry)});
  }
  ::closedir(dir);
  return true;
}

bool create_directory(const char16_t* path) { return ::mkdir(native_path(path).c_str(), 0777) == 0; }

bool delete_file(const char16_t* path) { return ::unlink(native_path(path).c_str()) == 0; }

bool replace_file(const char16_t* from, const char16_t* to) {
  return ::rename(native_path(from).c_str(), native_path(to).c_str()) == 0;
}

bool documents_folder(std::u16string& path) {
  path.clear();
  // Only absolute paths count: a relative one would depend on the folder
  // the program was started in.
  std::string folder;
  const char* xdg = std::getenv("XDG_DOCUMENTS_DIR");
  const char* home = std::getenv("HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    folder = xdg;
  } else if (home != nullptr && home[0] == '/') {
    folder = home;
    if (folder.back() != '/') folder += '/';
    folder += "Documents";
  } else {
    return false;
  }
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  path = path_from_native(folder);
  return true;
}

}  // namespace tellwick
