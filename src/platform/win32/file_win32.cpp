#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <new>

#include "platform/file.h"
#include "platform/path.h"
#include "platform/win32/temporary_registry_win32.h"

namespace tellwick {
namespace {

// SHGetPathFromIDListW writes at most MAX_PATH characters, terminator included.
constexpr std::size_t kDocumentsPathCapacity = MAX_PATH;
constexpr wchar_t kListAllPattern[] = L"*.*";

HANDLE as_handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
const char16_t* utf16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }

// Closes a handle on a failure's way out, leaving GetLastError() with the
// failure's reason rather than the clean-up's.
void close_keeping_error(HANDLE h) {
  const DWORD reason = GetLastError();
  CloseHandle(h);
  SetLastError(reason);
}

}  // namespace

FileHandle create_output_file(const char16_t* path) {
  HANDLE h = CreateFileW(wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(h);
}

FileHandle create_new_output_file(const char16_t* path) {
  // CREATE_NEW fails on any name that exists, a symbolic link included.
  // Sharing nothing keeps every other process from removing it while it is
  // open; DELETE lets a console event mark it for deletion as the process ends.
  HANDLE h = CreateFileW(wide(path), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kNoFile;
  note_temporary_file(h);
  return reinterpret_cast<FileHandle>(h);
}

// A file that another process holds (an export still writing it) cannot be
// deleted: its sharing lets nobody in.
bool remove_unheld_file(const char16_t* path) { return DeleteFileW(wide(path)) != 0; }

bool close_file_into_place(FileHandle file, const char16_t* from, const char16_t* to) {
  forget_temporary_file(as_handle(file));
  // A rename needs the file free of the handle that shares nothing.
  const bool closed = CloseHandle(as_handle(file)) != 0;
  if (!MoveFileExW(wide(from), wide(to), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD reason = GetLastError();
    DeleteFileW(wide(from));
    SetLastError(reason);
    return false;
  }
  return closed;
}

bool close_and_delete_file(FileHandle file, const char16_t* path) {
  forget_temporary_file(as_handle(file));
  CloseHandle(as_handle(file));
  return DeleteFileW(wide(path)) != 0;
}

bool write_file(FileHandle file, const void* data, std::size_t size) {
  if (file == kNoFile) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(as_handle(file), p, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);  // a write that takes nothing would repeat forever
      return false;
    }
    p += written;
    size -= written;
  }
  return true;
}

bool close_file(FileHandle file) {
  if (file == kNoFile) return false;
  forget_temporary_file(as_handle(file));
  return CloseHandle(as_handle(file)) != 0;
}

bool file_write_time(const char16_t* path, FileTime& time) {
  time = 0;
  HANDLE h = CreateFileW(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME written = {};
  const BOOL ok = GetFileTime(h, nullptr, nullptr, &written);
  close_keeping_error(h);
  if (!ok) return false;
  time = static_cast<FileTime>(written.dwHighDateTime) << 32 | written.dwLowDateTime;
  return true;
}

bool set_file_write_time(const char16_t* path, FileTime time) {
  HANDLE h = CreateFileW(wide(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME written;
  written.dwLowDateTime = static_cast<DWORD>(time);
  written.dwHighDateTime = static_cast<DWORD>(time >> 32);
  const BOOL ok = SetFileTime(h, nullptr, nullptr, &written);
  close_keeping_error(h);
  return ok != FALSE;
}

bool is_directory(const char16_t* path) {
  const DWORD attributes = GetFileAttributesW(wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool read_file_start(const char16_t* path, std::uint8_t* buffer, std::size_t capacity, std::size_t& size) {
  size = 0;
  HANDLE h =
      CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  while (ok && size < capacity) {
    const std::size_t left = capacity - size;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD read = 0;
    ok = ReadFile(h, buffer + size, chunk, &read, nullptr) != 0;
    if (ok && read == 0) break;
    size += read;
  }
  close_keeping_error(h);
  return ok;
}

bool file_held_for_writing(const char16_t* path) {
  // Opened as every read opens it: only a writer's sharing refuses it.
  HANDLE h = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

FileHandle open_input_file(const char16_t* path) {
  HANDLE h = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kNoFile;
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    SetLastError(ERROR_INVALID_FUNCTION);
    return kNoFile;
  }
  return reinterpret_cast<FileHandle>(h);
}

bool read_file_at(FileHandle file, std::uint64_t offset, std::uint8_t* buffer, std::size_t capacity,
                  std::size_t& size) {
  size = 0;
  while (size < capacity) {
    const std::size_t left = capacity - size;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    OVERLAPPED at = {};
    const std::uint64_t position = offset + size;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD read = 0;
    if (!ReadFile(as_handle(file), buffer + size, chunk, &read, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return false;
    }
    if (read == 0) break;
    size += read;
  }
  return true;
}

bool read_whole_file_not_older(const char16_t* path, FileTime not_before, FileContents& contents, FileTime& time) {
  contents.data.reset();
  contents.size = 0;
  time = 0;
  HANDLE h = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    // A file the game holds open for writing still has its time.
    const DWORD reason = GetLastError();
    file_write_time(path, time);
    SetLastError(reason);
    return false;
  }
  FILETIME written = {};
  if (!GetFileTime(h, nullptr, nullptr, &written)) {
    close_keeping_error(h);
    return false;
  }
  time = static_cast<FileTime>(written.dwHighDateTime) << 32 | written.dwLowDateTime;
  if (time < not_before) {
    CloseHandle(h);
    return false;
  }
  const DWORD size = GetFileSize(h, nullptr);  // the low 32 bits
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    close_keeping_error(h);
    return false;
  }
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[std::size_t{size} + 1]);
  if (!buffer) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  DWORD read = 0;
  const BOOL ok = buffer && ReadFile(h, buffer.get(), size, &read, nullptr);
  close_keeping_error(h);
  if (!ok) return false;
  // A file that shrank since its size was taken reports what was read; the
  // rest of the buffer is cleared, so no byte that was not read is visible.
  std::memset(buffer.get() + read, 0, std::size_t{size} + 1 - read);
  contents.data = std::move(buffer);
  contents.size = read;
  return true;
}

bool read_whole_file(const char16_t* path, FileContents& contents) {
  FileTime ignored;
  return read_whole_file_not_older(path, 0, contents, ignored);
}

bool list_directory(const char16_t* folder, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  // An empty folder would list the current folder here but nothing on POSIX.
  if (folder[0] == u'\0') return false;
  std::wstring pattern(wide(folder));
  if (!is_path_separator(static_cast<char16_t>(pattern.back()))) pattern += L'\\';
  pattern += kListAllPattern;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    entries.push_back({utf16(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return true;
}

bool create_directory(const char16_t* path) { return CreateDirectoryW(wide(path), nullptr) != 0; }

bool delete_file(const char16_t* path) { return DeleteFileW(wide(path)) != 0; }

bool replace_file(const char16_t* from, const char16_t* to) {
  return MoveFileExW(wide(from), wide(to), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool documents_folder(std::u16string& path) {
  path.clear();
  LPITEMIDLIST location = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &location)) || location == nullptr) return false;
  wchar_t buffer[kDocumentsPathCapacity] = {};
  const BOOL found = SHGetPathFromIDListW(location, buffer);
  IMalloc* shell_allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&shell_allocator)) && shell_allocator != nullptr) {
    shell_allocator->Free(location);
    shell_allocator->Release();
  }
  if (!found || buffer[0] == L'\0') return false;
  path = utf16(buffer);
  // A drive root comes with its separator ("D:\"); callers add their own.
  while (!path.empty() && is_path_separator(path.back())) path.pop_back();
  return true;
}

}  // namespace tellwick
