#include "platform/posix/profile_file_posix.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "platform/posix/write_all_posix.h"

namespace tellwick {
namespace {

constexpr int kTemporaryNameAttempts = 16;
constexpr int kMaxLinkHops = 40;  // as the kernel's own limit: more is a loop
constexpr std::size_t kLinkTextBytes = 4096;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A name beside `path` that no other writer uses: the process id tells
// processes apart, the counter tells this process's writes apart, and
// O_EXCL settles anything left over from a crash.
int create_temporary(const std::string& path, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    name = path + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
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

void sync_folder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // the rename is durable once the folder is; a failure here changes nothing already done
  ::close(fd);
}

}  // namespace

ProfileFileRead read_profile_file(const std::string& path, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ProfileFileRead::kMissing : ProfileFileRead::kFailed;
  struct stat st;
  const bool examined = ::fstat(fd, &st) == 0;
  if (!examined || !S_ISREG(st.st_mode)) {
    const int reason = !examined ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = reason;
    return ProfileFileRead::kFailed;
  }
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

bool replace_profile_file(const std::string& link_or_file, const std::string& bytes) {
  std::string path;
  if (!link_target(link_or_file, path)) return false;
  std::string temporary;
  const int fd = create_temporary(path, temporary);
  if (fd < 0) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
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
