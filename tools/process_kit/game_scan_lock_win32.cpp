#include <windows.h>

#include "process_kit/game_scan_lock.h"

namespace tellwick::kit {

// The scan lists only the processes of this Wine prefix (or Windows session),
// which is also what a named mutex spans.
constexpr wchar_t kMutexName[] = L"tellwick-tests-game-scan";

GameScanLock::GameScanLock() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutexName);
  if (mutex == nullptr) return;
  // An abandoned mutex (a test that crashed while holding it) is ours as well.
  const DWORD waited = WaitForSingleObject(mutex, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

GameScanLock::~GameScanLock() {
  if (handle_ == -1) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace tellwick::kit
