#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/file_probe.h"
#include "platform/posix/path_posix.h"

namespace tellwick {

FolderAccess folder_access(const char16_t* path) {
  const std::string native = native_path(path);
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) {
    // A link that leads nowhere is as good as nothing; one that loops, or
    // a path through a folder without rights, is there but out of reach.
    if (errno == ENOENT || errno == ENOTDIR) return FolderAccess::kMissing;
    return FolderAccess::kUnreadable;
  }
  if (!S_ISDIR(st.st_mode)) return FolderAccess::kNotAFolder;
  DIR* dir = ::opendir(native.c_str());
  if (dir == nullptr) return FolderAccess::kUnreadable;
  ::closedir(dir);
  return FolderAccess::kListable;
}

bool file_size(const char16_t* path, std::uint64_t& size) {
  size = 0;
  struct stat st;
  if (::stat(native_path(path).c_str(), &st) != 0) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool file_identity(const char16_t* path, std::u16string& identity) {
  identity.clear();
  struct stat st;
  if (::stat(native_path(path).c_str(), &st) != 0) return false;
  const std::string text = std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino);
  identity.assign(text.begin(), text.end());
  return true;
}

}  // namespace tellwick
