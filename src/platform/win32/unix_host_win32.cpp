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

// The prefix of an NT path that Win32 calls do not take.
constexpr char16_t kNtPathPrefix[] = u"\\??\\";
constexpr DWORD kEnvironmentValueMax = 32767;

bool environment_variable(const wchar_t* name, std::u16string& value) {
  value.assign(kEnvironmentValueMax + 1, u'\0');
  const DWORD length =
      GetEnvironmentVariableW(name, reinterpret_cast<wchar_t*>(value.data()), kEnvironmentValueMax + 1);
  if (length == 0 || length > kEnvironmentValueMax) {
    value.clear();
    return false;
  }
  value.resize(length);
  return true;
}

}  // namespace

bool running_under_wine() { return wine_export(L"ntdll.dll", "wine_get_version") != nullptr; }

bool unix_home_folder(std::u16string& path) {
  path.clear();
  if (!running_under_wine()) return false;
  // Wine keeps the Unix HOME out of the Windows environment and hands it over
  // as WINEHOMEDIR, already mapped ("\??\Z:\home\you"). A HOME there was
  // put in by a Windows program for the programs it starts, and wins.
  std::u16string home;
  if (environment_variable(L"HOME", home)) {
    std::string utf8(home.size() * 3, '\0');
    utf8.resize(utf16_to_utf8(home.c_str(), home.size(), utf8.data(), utf8.size()));
    if (!program_path_from_unix(utf8, path)) return false;
  } else if (environment_variable(L"WINEHOMEDIR", home)) {
    if (home.rfind(kNtPathPrefix, 0) == 0) home.erase(0, std::size(kNtPathPrefix) - 1);
    // A home on no drive comes as "unix\home\you", reachable as "\\?\unix\...".
    path = home.size() >= 2 && home[1] == u':' ? home : u"\\\\?\\" + home;
  } else {
    return false;
  }
  // "Z:\" keeps its separator: without it, "Z:" names a current folder.
  while (path.size() > 3 && is_path_separator(path.back())) path.pop_back();
  return !path.empty();
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
