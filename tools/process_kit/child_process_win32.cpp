#include <windows.h>

#include "process_kit/child_process.h"

namespace tellwick::kit {
namespace fs = std::filesystem;
namespace {

constexpr DWORD kModulePathCapacity = 32768;
constexpr DWORD kKilledExitCode = 9;

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

// An inheritable handle for one of the child's standard streams.
HANDLE open_stream(const fs::path& file, bool for_writing) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(file.wstring().c_str(), for_writing ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     for_writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The test's own answer to the Ctrl+C it sends: nothing. (Ignoring Ctrl+C
// with a null handler instead would be inherited by the processes started
// afterwards, and they would not see their Ctrl+C either.)
BOOL WINAPI swallow_console_event(DWORD) { return TRUE; }

int exit_code_of(HANDLE h) {
  DWORD code = 0;
  return GetExitCodeProcess(h, &code) ? static_cast<int>(code) : -1;
}

}  // namespace

fs::path own_program_folder() {
  std::wstring module(kModulePathCapacity, L'\0');
  module.resize(GetModuleFileNameW(nullptr, module.data(), kModulePathCapacity));
  return fs::path(module).parent_path();
}

std::string program_file_name(const std::string& name) { return name + ".exe"; }

bool start_process(const fs::path& program, const std::vector<fs::path>& arguments, Process& process) {
  return start_process(program, arguments, ProcessSetup{}, process);
}

bool start_process(const fs::path& program, const std::vector<fs::path>& arguments, const ProcessSetup& setup,
                   Process& process) {
  std::wstring line;
  append_quoted(line, setup.shown_name.empty() ? program.wstring() : fs::path(setup.shown_name).wstring());
  for (const fs::path& argument : arguments) {
    line += L' ';
    append_quoted(line, argument.wstring());
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  const bool redirect = !setup.output_file.empty() || !setup.error_file.empty();
  HANDLE streams[3] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  if (redirect) {
    streams[0] = open_stream(L"NUL", false);
    streams[1] = setup.output_file.empty() ? open_stream(L"NUL", true) : open_stream(setup.output_file, true);
    streams[2] = setup.error_file.empty() ? open_stream(L"NUL", true) : open_stream(setup.error_file, true);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = streams[0];
    startup.hStdOutput = streams[1];
    startup.hStdError = streams[2];
  }
  const std::wstring folder = setup.working_folder.wstring();
  PROCESS_INFORMATION info = {};
  // A console of its own, which request_stop attaches to: Ctrl+C reaches
  // only the processes of one console.
  const BOOL started = CreateProcessW(program.wstring().c_str(), line.data(), nullptr, nullptr, redirect ? TRUE : FALSE,
                                      setup.stoppable ? CREATE_NEW_CONSOLE : 0, nullptr,
                                      folder.empty() ? nullptr : folder.c_str(), &startup, &info);
  for (HANDLE h : streams) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  if (!started) return false;
  CloseHandle(info.hThread);
  process.id = reinterpret_cast<std::intptr_t>(info.hProcess);
  return true;
}

int wait_process(Process& process) {
  if (process.id == -1) return -1;
  HANDLE h = reinterpret_cast<HANDLE>(process.id);
  const int code = WaitForSingleObject(h, INFINITE) == WAIT_OBJECT_0 ? exit_code_of(h) : -1;
  CloseHandle(h);
  process.id = -1;
  return code;
}

int wait_process(Process& process, std::chrono::milliseconds limit) {
  if (process.id == -1) return -1;
  HANDLE h = reinterpret_cast<HANDLE>(process.id);
  const DWORD waited = WaitForSingleObject(h, static_cast<DWORD>(limit.count()));
  if (waited == WAIT_TIMEOUT) return kStillRunning;
  const int code = waited == WAIT_OBJECT_0 ? exit_code_of(h) : -1;
  CloseHandle(h);
  process.id = -1;
  return code;
}

bool request_stop(const Process& process, StopRequest) {
  if (process.id == -1) return false;
  const DWORD id = GetProcessId(reinterpret_cast<HANDLE>(process.id));
  // Ctrl+C goes to every process of the sender's console, so the test joins
  // the process's console for the moment and swallows the event itself, for
  // good: it may arrive after the test has left the console again. (Wine 8
  // does not deliver Ctrl+Break to another process group.)
  FreeConsole();
  if (id == 0 || !AttachConsole(id)) return false;
  SetConsoleCtrlHandler(swallow_console_event, TRUE);
  const bool sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  FreeConsole();
  return sent;
}

void kill_process(Process& process) {
  if (process.id == -1) return;
  TerminateProcess(reinterpret_cast<HANDLE>(process.id), kKilledExitCode);
  wait_process(process);
}

}  // namespace tellwick::kit
