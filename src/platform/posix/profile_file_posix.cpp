#include "platform/posix/profile_file_posix.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string_view>

#include "platform/posix/profile_lock_posix.h"
#include "platform/posix/write_all_posix.h"

namespace tellwick {
namespace {

constexpr int kTemporaryNameAttempts = 16;
constexpr int kMaxLinkHops = 40;  // as the kernel's own limit: more is a loop
constexpr std::size_t kLinkTextBytes = 4096;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr std::string_view kTemporaryEnd = ".tmp";

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Under the lock that every saver of the target holds, one fixed name does:
// whatever a killed save left there is simply replaced.
std::string locked_temporary(const std::string& target) { return target + std::string(kTemporaryEnd); }

// Without that lock, a name no other writer uses: the process id tells
// processes apart, the counter this process's writes, and O_EXCL settles
// anything left over from a crash.
int create_unique_temporary(const std::string& path, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    name = path + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + std::string(kTemporaryEnd);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

int create_temporary(const ProfileSave& save, std::string& name) {
  const int covering = save.target == save.file ? save.file_lock : save.target_lock;
  if (covering < 0) return create_unique_temporary(save.target, name);
  name = locked_temporary(save.target);
  // Made anew rather than opened: a link or a FIFO left under the name is
  // neither followed nor waited on.
  ::unlink(name.c_str());
  return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
}

// The process id in a name that create_unique_temporary made for `base`,
// or 0 for any other name.
pid_t unique_temporary_owner(std::string_view name, std::string_view base) {
  if (name.size() <= base.size() + 1 + kTemporaryEnd.size() || !name.starts_with(base) || name[base.size()] != '.' ||
      !name.ends_with(kTemporaryEnd)) {
    return 0;
  }
  name = name.substr(base.size() + 1, name.size() - base.size() - 1 - kTemporaryEnd.size());
  const std::size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size()) return 0;
  long long pid = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (i == dash) continue;
    if (c < '0' || c > '9') return 0;
    if (i < dash && pid < 1 << 30) pid = pid * 10 + (c - '0');
  }
  return pid > 0 && pid < 1 << 30 ? static_cast<pid_t>(pid) : 0;
}

// Removes the temporary files that saves of processes no longer running
// left beside `target`. A live process's file is never touched, so this is
// safe even where no lock keeps saves apart.
void remove_leftovers(const std::string& target) {
  DIR* folder = ::opendir(folder_of(target).c_str());
  if (!folder) return;
  const std::string base = name_of(target);
  const std::string prefix = folder_of(target) + "/";
  while (const dirent* entry = ::readdir(folder)) {
    const pid_t owner = unique_temporary_owner(entry->d_name, base);
    if (owner == 0 || owner == ::getpid()) continue;
    if (::kill(owner, 0) != 0 && errno == ESRCH) ::unlink((prefix + entry->d_name).c_str());
  }
  ::closedir(folder);
}

// The file a write must replace: `path` itself, or the end of its chain of
// symbolic links, so that a linked settings file (dotfiles kept in a
// repository) stays a link and its target receives the keys. A dangling
// link leads to where its target would be, as an ordinary write through it
// would create that file. False for a loop or a link that cannot be read.
bool link_target(const std::string& path, std::string& target) {
  target = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISLNK(st.st_mode)) return true;
    char text[kLinkTextBytes];
    const ssize_t n = ::readlink(target.c_str(), text, sizeof text);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof text) {
      if (n >= 0) errno = ENAMETOOLONG;
      return false;
    }
    const std::string link(text, static_cast<std::size_t>(n));
    // A relative link is read from the folder that holds the link.
    target = link[0] == '/' ? link : folder_of(target) + "/" + link;
  }
  errno = ELOOP;
  return false;
}

// Windows refuses to write a read-only file, and so does this save: a file
// that nobody may write (what Wine shows as read-only) even for root, who
// could write it all the same, and a file this user may not write, which
// the rename would otherwise replace since it asks only the folder.
bool read_only(const struct stat& st, const std::string& path) {
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

void sync_folder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // the rename is durable once the folder is; a failure here changes nothing already done
  ::close(fd);
}

}  // namespace

ProfileFileRead read_profile_file(const std::string& path, std::string& bytes) {
  bytes.clear();
  // O_NONBLOCK keeps a FIFO from blocking the open; it is cleared again once
  // the file is known to be a regular one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ProfileFileRead::kMissing : ProfileFileRead::kFailed;
  struct stat st;
  const bool examined = ::fstat(fd, &st) == 0;
  if (!examined || !S_ISREG(st.st_mode)) {
    const int reason = !examined ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = reason;
    return ProfileFileRead::kFailed;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  char chunk[kReadChunk];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int reason = errno;
      ::close(fd);
      bytes.clear();
      errno = reason;
      return ProfileFileRead::kFailed;
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ProfileFileRead::kRead;
}

bool begin_profile_save(const std::string& file, ProfileSave& save) {
  save = ProfileSave{};
  save.file = file;
  save.file_lock = lock_profile(file);
  if (!link_target(file, save.target)) {
    end_profile_save(save);
    return false;
  }
  if (save.target != file) save.target_lock = lock_profile(save.target);
  const int covering = save.target == file ? save.file_lock : save.target_lock;
  if (covering >= 0) ::unlink(locked_temporary(save.target).c_str());
  remove_leftovers(save.target);
  return true;
}

void end_profile_save(ProfileSave& save) {
  // The reverse of the order taken.
  unlock_profile(save.target_lock);
  unlock_profile(save.file_lock);
  save.target_lock = -1;
  save.file_lock = -1;
}

bool replace_profile_file(const ProfileSave& save, const std::string& bytes) {
  const std::string& path = save.target;
  struct stat st;
  const bool exists = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  if (exists && read_only(st, path)) {
    errno = EACCES;
    return false;
  }
  std::string temporary;
  const int fd = create_temporary(save, temporary);
  if (fd < 0) return false;
  if (exists) ::fchmod(fd, st.st_mode & 07777);
  bool ok = write_all(fd, bytes.data(), bytes.size());
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    const int reason = errno;  // the failure's, not the clean-up's
    ::unlink(temporary.c_str());
    errno = reason;
    return false;
  }
  sync_folder(folder_of(path));
  return true;
}

}  // namespace tellwick
