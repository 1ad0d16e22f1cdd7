#include <windows.h>

#include "support/process.h"

namespace tellwick::test {
namespace fs = std::filesystem;
namespace {

constexpr DWORD kModulePathCapacity = 32768;

// One argument as the C runtime's command line parser reads it back:
// quoted, with the backslashes before a quote doubled.
void append_quoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

}  // namespace

fs::path helper_program(const std::string& name) {
  std::wstring module(kModulePathCapacity, L'\0');
  module.resize(GetModuleFileNameW(nullptr, module.data(), kModulePathCapacity));
  return fs::path(module).parent_path() / (name + ".exe");
}

bool start_process(const fs::path& program, const std::vector<fs::path>& arguments, Process& process) {
  std::wstring line;
  append_quoted(line, program.wstring());
  for (const fs::path& argument : arguments) {
    line += L' ';
    append_quoted(line, argument.wstring());
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(program.wstring().c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process.id = reinterpret_cast<std::intptr_t>(info.hProcess);
  return true;
}

int wait_process(Process& process) {
  if (process.id == -1) return -1;
  HANDLE h = reinterpret_cast<HANDLE>(process.id);
  DWORD code = 0;
  const bool ok = WaitForSingleObject(h, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(h, &code);
  CloseHandle(h);
  process.id = -1;
  return ok ? static_cast<int>(code) : -1;
}

}  // namespace tellwick::test
