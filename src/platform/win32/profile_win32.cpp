// The system's own profile functions; char16_t and wchar_t are both 16-bit
// on Windows, so the program's strings are handed over as they are.
#include "platform/profile.h"

#include <windows.h>

#include <climits>
#include <string>
#include <vector>

namespace tellwick {
namespace {

constexpr ULONGLONG kLongestLockWaitMs = 10000;
constexpr DWORD kLockRetryMs = 5;
constexpr wchar_t kLockFileEnd[] = L".lock";  // as the POSIX build names it

const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// A save holds the lock for milliseconds. One held far longer belongs to a
// process that stopped in the middle of its save; waiting for it for ever
// would stop this program too, so after a while the save goes on without.
bool wait_for_lock(HANDLE lock) {
  const ULONGLONG give_up = GetTickCount64() + kLongestLockWaitMs;
  for (;;) {
    OVERLAPPED first_byte{};  // from offset 0; any overlap with another lock conflicts
    if (LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first_byte)) return true;
    if (GetLastError() != ERROR_LOCK_VIOLATION || GetTickCount64() > give_up) return false;
    Sleep(kLockRetryMs);
  }
}

// The lock file beside the settings file that every Tellwick process locks
// for the whole of one save: the POSIX build locks the same file, and Wine
// turns LockFileEx into the POSIX locks that build takes, so native and
// Windows programs in one folder wait for each other too. The file is never
// removed. INVALID_HANDLE_VALUE when no lock can be had: the save goes on
// without one, as a save that would work should not fail for want of a lock.
HANDLE lock_profile(const char16_t* file) {
  if (!file) return INVALID_HANDLE_VALUE;
  const DWORD error = GetLastError();
  std::wstring lock_path(wide(file));
  lock_path.append(kLockFileEnd);
  HANDLE lock = CreateFileW(lock_path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (lock != INVALID_HANDLE_VALUE && !wait_for_lock(lock)) {
    CloseHandle(lock);
    lock = INVALID_HANDLE_VALUE;
  }
  SetLastError(error);
  return lock;
}

void unlock_profile(HANDLE lock) {
  if (lock == INVALID_HANDLE_VALUE) return;
  const DWORD error = GetLastError();
  OVERLAPPED first_byte{};
  UnlockFileEx(lock, 0, 1, 0, &first_byte);
  CloseHandle(lock);
  SetLastError(error);
}

// Windows refuses to write a read-only file; Wine run by root would write it
// all the same, so the attribute is asked first on every system.
bool is_read_only(const char16_t* file) {
  if (!file) return false;
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesW(wide(file));
  SetLastError(error);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// A settings file is small; a list of section names longer than this (in
// characters) is taken cut rather than read into ever larger buffers.
constexpr std::size_t kLongestSectionList = std::size_t{1} << 24;

}  // namespace

std::u16string profile_read_string(const char16_t* section, const char16_t* key, const char16_t* default_value,
                                   std::size_t buffer_size, const char16_t* file) {
  if (buffer_size == 0) return {};
  const DWORD size = buffer_size > UINT_MAX ? UINT_MAX : static_cast<DWORD>(buffer_size);
  std::u16string text(size, u'\0');
  const DWORD length = GetPrivateProfileStringW(wide(section), wide(key), wide(default_value),
                                                reinterpret_cast<wchar_t*>(text.data()), size, wide(file));
  text.resize(length < size ? length : size - 1);
  return text;
}

int profile_read_int(const char16_t* section, const char16_t* key, int default_value, const char16_t* file) {
  return static_cast<int>(GetPrivateProfileIntW(wide(section), wide(key), default_value, wide(file)));
}

std::vector<std::u16string> profile_section_names(const char16_t* file) {
  std::vector<std::u16string> names;
  // The names come as one list of zero-ended names; a list that does not
  // fit is cut, and the length is then the buffer's less two.
  std::u16string list(4096, u'\0');
  DWORD length = 0;
  for (;;) {
    length = GetPrivateProfileSectionNamesW(reinterpret_cast<wchar_t*>(list.data()), static_cast<DWORD>(list.size()),
                                            wide(file));
    if (length + 2 < list.size() || list.size() >= kLongestSectionList) break;
    list.resize(list.size() * 2);
  }
  for (std::size_t start = 0; start < length;) {
    const std::size_t end = list.find(u'\0', start);
    if (end == std::u16string::npos || end > length) break;
    if (end > start) names.emplace_back(list, start, end - start);
    start = end + 1;
  }
  return names;
}

std::vector<ProfileSectionValue> profile_read_key_in_every_section(const char16_t* key, const char16_t* default_value,
                                                                   std::size_t buffer_size, const char16_t* file) {
  std::vector<ProfileSectionValue> values;
  for (std::u16string& section : profile_section_names(file)) {
    std::u16string value = profile_read_string(section.c_str(), key, default_value, buffer_size, file);
    values.push_back({std::move(section), std::move(value)});
  }
  return values;
}

void profile_read_keys(const char16_t* section, ProfileRead* reads, std::size_t count, const char16_t* file) {
  for (std::size_t i = 0; i < count; ++i) {
    ProfileRead& r = reads[i];
    if (r.default_text != nullptr) {
      r.text = profile_read_string(section, r.key, r.default_text, r.buffer_size, file);
    } else {
      r.number = profile_read_int(section, r.key, r.default_number, file);
    }
  }
}

bool profile_write_string(const char16_t* section, const char16_t* key, const char16_t* value, const char16_t* file) {
  const ProfileWrite write{key, value};
  return profile_write_keys(section, &write, 1, file);
}

bool profile_write_keys(const char16_t* section, const ProfileWrite* writes, std::size_t count, const char16_t* file) {
  // Each call below reads the file, edits it and writes it back; another
  // process's save between two of them would be lost without the lock.
  const HANDLE lock = lock_profile(file);
  if (is_read_only(file)) {
    unlock_profile(lock);
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  bool written = true;
  DWORD first_error = 0;  // the diagnostics want the first failure's reason
  for (std::size_t i = 0; i < count; ++i) {
    if (WritePrivateProfileStringW(wide(section), wide(writes[i].key), wide(writes[i].value), wide(file))) continue;
    if (written) first_error = GetLastError();
    written = false;
  }
  unlock_profile(lock);
  if (!written) SetLastError(first_error);
  return written;
}

}  // namespace tellwick
