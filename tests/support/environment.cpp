#include "support/environment.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace tellwick::test {
namespace {

#ifdef _WIN32
std::wstring widen(const std::string& utf8) {
  std::wstring out(utf8.size() + 1, L'\0');
  out.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                                 static_cast<int>(out.size())));
  return out;
}

std::string narrow(const std::wstring& wide) {
  std::string out(wide.size() * 3 + 1, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::optional<std::string> get(const std::string& name) {
  wchar_t value[32768];
  const DWORD n = GetEnvironmentVariableW(widen(name).c_str(), value, 32768);
  if (n == 0 || n >= 32768) return std::nullopt;
  return narrow(std::wstring(value, n));
}

void put(const std::string& name, const std::optional<std::string>& value) {
  SetEnvironmentVariableW(widen(name).c_str(), value ? widen(*value).c_str() : nullptr);
}
#else
std::optional<std::string> get(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

void put(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}
#endif

}  // namespace

EnvironmentScope::EnvironmentScope(const char* name, const std::optional<std::string>& value)
    : name_(name), old_(get(name)) {
  put(name_, value);
}

EnvironmentScope::~EnvironmentScope() { put(name_, old_); }

std::string unix_path_of(const std::filesystem::path& path) {
#ifdef _WIN32
  // Wine's kernel32 export; the result lives on the process heap.
  using WineGetUnixFileName = char* (*)(const wchar_t*);
  const auto get_unix_name = reinterpret_cast<WineGetUnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (get_unix_name == nullptr) return {};
  char* name = get_unix_name(path.wstring().c_str());
  if (name == nullptr) return {};
  std::string result(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
#else
  return path.string();
#endif
}

}  // namespace tellwick::test
