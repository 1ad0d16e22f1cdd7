#include "support/debugged_process.h"

#include <vector>

namespace tellwick::test {
namespace {

constexpr DWORD kGuardMs = 30000;  // only a guard against a program that never ends

// The text of an output event, read from the debugged program's memory;
// systems report it as UTF-16 or in the ANSI code page.
std::wstring output_text(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
  const std::size_t units = info.nDebugStringLength;
  if (units == 0) return std::wstring();
  if (info.fUnicode) {
    std::wstring text(units, L'\0');
    SIZE_T read = 0;
    ReadProcessMemory(process, info.lpDebugStringData, text.data(), units * sizeof(wchar_t), &read);
    text.resize(read / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }
  std::vector<char> bytes(units);
  SIZE_T read = 0;
  ReadProcessMemory(process, info.lpDebugStringData, bytes.data(), units, &read);
  while (read > 0 && bytes[read - 1] == '\0') --read;
  if (read == 0) return std::wstring();
  std::wstring text(read, L'\0');
  text.resize(
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(read), text.data(), static_cast<int>(read)));
  return text;
}

}  // namespace

DebuggedRun run_under_debugger(const std::filesystem::path& program, const std::filesystem::path& working_folder,
                               const std::function<void(const std::wstring&)>& on_output) {
  DebuggedRun run;
  std::wstring command_line = L"\"" + program.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                      working_folder.c_str(), &startup, &info)) {
    return run;
  }
  CloseHandle(info.hThread);
  const DWORD started = GetTickCount();
  DEBUG_EVENT event{};
  while (GetTickCount() - started < kGuardMs && WaitForDebugEvent(&event, kGuardMs)) {
    DWORD answer = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case OUTPUT_DEBUG_STRING_EVENT: {
        const std::wstring text = output_text(info.hProcess, event.u.DebugString);
        run.output += text;
        on_output(text);
        break;
      }
      case EXCEPTION_DEBUG_EVENT:
        // The first breakpoint is the system's greeting to its debugger; any
        // other exception is the program's own to handle.
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
          answer = DBG_EXCEPTION_NOT_HANDLED;
        }
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile != nullptr) CloseHandle(event.u.LoadDll.hFile);
        break;
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile != nullptr) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        run.ended = true;
        run.exit_code = event.u.ExitProcess.dwExitCode;
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
    if (run.ended) break;
  }
  if (!run.ended) TerminateProcess(info.hProcess, 1);
  DebugActiveProcessStop(info.dwProcessId);
  WaitForSingleObject(info.hProcess, kGuardMs);
  CloseHandle(info.hProcess);
  return run;
}

}  // namespace tellwick::test
