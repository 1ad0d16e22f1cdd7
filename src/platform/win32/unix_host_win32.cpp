#include <windows.h>

#include <string>

#include "platform/encoding.h"
#include "platform/path.h"
#include "platform/unix_host.h"

namespace tellwick {
namespace {

// Wine's own exports: the one in ntdll tells that Wine is there at all, the
// one in kernel32 maps a Unix path to the drive Wine shows it on (Z: for
// "/" in a default prefix), allocating the result on the process heap.
using WineGetVersion = const char* (*)();
using WineGetDosFileName = WCHAR* (*)(const char*);

void* wine_export(const wchar_t* module, const char* name) {
  const HMODULE handle = GetModuleHandleW(module);
  return handle == nullptr ? nullptr : reinterpret_cast<void*>(GetProcAddress(handle, name));
}

// Without kernel32's mapping, Wine's default drive for the Unix root.
std::u16string through_drive_z(const std::string& unix_path) {
  std::u16string path(unix_path.size(), u'\0');
  path.resize(utf8_to_utf16(unix_path.c_str(), unix_path.size(), path.data(), path.size()));
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return u"Z:" + path;
}

}  // namespace

bool running_under_wine() { return wine_export(L"ntdll.dll", "wine_get_version") != nullptr; }

bool unix_home_folder(std::u16string& path) {
  path.clear();
  wchar_t home[MAX_PATH * 4];
  const DWORD length = GetEnvironmentVariableW(L"HOME", home, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH * 4) return false;
  std::string utf8(length * 3, '\0');
  utf8.resize(utf16_to_utf8(reinterpret_cast<const char16_t*>(home), length, utf8.data(), utf8.size()));
  if (!program_path_from_unix(utf8, path)) return false;
  // "Z:\" keeps its separator: without it, "Z:" names a current folder.
  while (path.size() > 3 && is_path_separator(path.back())) path.pop_back();
  return true;
}

bool program_path_from_unix(const std::string& unix_path, std::u16string& path) {
  path.clear();
  if (unix_path.empty() || unix_path[0] != '/' || !running_under_wine()) return false;
  const auto dos_file_name =
      reinterpret_cast<WineGetDosFileName>(wine_export(L"kernel32.dll", "wine_get_dos_file_name"));
  WCHAR* mapped = dos_file_name != nullptr ? dos_file_name(unix_path.c_str()) : nullptr;
  if (mapped == nullptr) {
    path = through_drive_z(unix_path);
    return true;
  }
  path = reinterpret_cast<const char16_t*>(mapped);
  HeapFree(GetProcessHeap(), 0, mapped);
  return !path.empty();
}

}  // namespace tellwick
