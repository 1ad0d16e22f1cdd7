#include <windows.h>

#include "platform/file.h"

namespace tellwick {
namespace {

HANDLE as_handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

FileHandle create_output_file(const char16_t* path) {
  HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_ARCHIVE, nullptr);
  return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(h);
}

bool write_file(FileHandle file, const void* data, std::size_t size) {
  if (file == kNoFile) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(as_handle(file), p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

bool close_file(FileHandle file) {
  if (file == kNoFile) return false;
  return CloseHandle(as_handle(file)) != 0;
}

}  // namespace tellwick
