#include <windows.h>

#include <string>

#include "platform/file_probe.h"
#include "platform/path.h"

namespace tellwick {
namespace {

const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

bool is_missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

FolderAccess folder_access(const char16_t* path) {
  const DWORD attributes = GetFileAttributesW(wide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return is_missing(GetLastError()) ? FolderAccess::kMissing : FolderAccess::kUnreadable;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return FolderAccess::kNotAFolder;
  std::wstring pattern(wide(path));
  if (pattern.empty()) return FolderAccess::kMissing;
  if (!is_path_separator(static_cast<char16_t>(pattern.back()))) pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return FolderAccess::kUnreadable;
  FindClose(find);
  return FolderAccess::kListable;
}

bool file_size(const char16_t* path, std::uint64_t& size) {
  size = 0;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wide(path), GetFileExInfoStandard, &data)) return false;
  size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

bool file_identity(const char16_t* path, std::u16string& identity) {
  identity.clear();
  // No access rights are needed to learn where a handle leads; backup
  // semantics let a folder be opened at all.
  const HANDLE h = CreateFileW(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // The final path has every link resolved, so two routes to one folder
  // give the same text. The file index alone would not do under Wine, where
  // folders on different Unix file systems can share it.
  std::wstring final_path(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(h, final_path.data(), static_cast<DWORD>(final_path.size()), 0);
  if (length >= final_path.size()) {
    final_path.resize(length + 1);
    length = GetFinalPathNameByHandleW(h, final_path.data(), static_cast<DWORD>(final_path.size()), 0);
  }
  CloseHandle(h);
  if (length == 0 || length >= final_path.size()) return false;
  final_path.resize(length);
  identity.assign(final_path.begin(), final_path.end());
  return true;
}

}  // namespace tellwick
