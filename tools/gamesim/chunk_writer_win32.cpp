#include <windows.h>

#include <chrono>
#include <thread>

#include "chunk_writer.h"

namespace tellwick::gamesim {
namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(5);
constexpr int kMostWaits = 20000;  // 100 s: a reader never holds a chunk that long

}  // namespace

WriteResult write_chunk_as_game(const std::u16string& path, const std::vector<std::uint8_t>& bytes, FileTime time) {
  WriteResult result;
  const wchar_t* name = reinterpret_cast<const wchar_t*>(path.c_str());
  HANDLE file = INVALID_HANDLE_VALUE;
  // Tellwick reads a chunk sharing reading only, so the game cannot open it
  // for writing meanwhile; it tries again, as a game would.
  for (;;) {
    file = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || result.waits >= kMostWaits) break;
    ++result.waits;
    std::this_thread::sleep_for(kRetryPause);
  }
  if (file == INVALID_HANDLE_VALUE) return result;
  DWORD written = 0;
  const bool all =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  FILETIME stamp;
  stamp.dwLowDateTime = static_cast<DWORD>(time);
  stamp.dwHighDateTime = static_cast<DWORD>(time >> 32);
  // Set on the writing handle, so that closing it does not stamp the time of now.
  const bool timed = SetFileTime(file, nullptr, nullptr, &stamp);
  result.written = CloseHandle(file) && all && timed;
  return result;
}

}  // namespace tellwick::gamesim
