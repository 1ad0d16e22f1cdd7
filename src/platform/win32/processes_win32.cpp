#include <windows.h>
#include <psapi.h>

#include "platform/processes.h"

namespace tellwick {
namespace {

constexpr DWORD kMaxProcesses = 2000;
constexpr DWORD kMaxModules = 1000;
constexpr DWORD kImagePathChars = 1000;
constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x410

}  // namespace

bool visit_process_images(ProcessImageVisitor visit, void* context) {
  DWORD ids[kMaxProcesses];
  DWORD bytes = 0;
  if (!K32EnumProcesses(ids, sizeof ids, &bytes)) return false;
  const DWORD count = bytes / sizeof(DWORD);
  for (DWORD i = 0; i < count; ++i) {
    HANDLE process = OpenProcess(kQueryAccess, FALSE, ids[i]);
    if (process == nullptr) continue;
    HMODULE modules[kMaxModules];
    DWORD needed = 0;
    wchar_t path[kImagePathChars];
    // The first module is the executable image.
    const bool readable = K32EnumProcessModules(process, modules, sizeof modules, &needed) &&
                          K32GetModuleFileNameExW(process, modules[0], path, kImagePathChars) > 0;
    path[kImagePathChars - 1] = L'\0';  // a cut path may come without its terminator
    const bool stop = readable && visit(reinterpret_cast<const char16_t*>(path), context);
    CloseHandle(process);
    if (stop) return true;
  }
  return false;
}

}  // namespace tellwick
