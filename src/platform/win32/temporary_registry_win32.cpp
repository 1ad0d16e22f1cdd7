#include "platform/win32/temporary_registry_win32.h"

#include <mutex>

namespace tellwick {
namespace {

// An export holds two temporary files at once (the export file and the
// recipe file); a few more slots cost nothing.
constexpr int kSlotCount = 8;

// The console's events come on a thread of their own; the lock keeps a
// handle from being closed (and its value reused) while it is being marked.
std::mutex g_lock;
HANDLE g_slots[kSlotCount] = {};

}  // namespace

void note_temporary_file(HANDLE file) {
  const std::lock_guard<std::mutex> hold(g_lock);
  for (HANDLE& slot : g_slots) {
    if (slot != nullptr) continue;
    slot = file;
    return;
  }
}

void forget_temporary_file(HANDLE file) {
  const std::lock_guard<std::mutex> hold(g_lock);
  for (HANDLE& slot : g_slots) {
    if (slot == file) slot = nullptr;
  }
}

void mark_noted_temporary_files_for_deletion() {
  const std::lock_guard<std::mutex> hold(g_lock);
  for (HANDLE slot : g_slots) {
    if (slot == nullptr) continue;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(slot, FileDispositionInfo, &disposition, sizeof disposition);
  }
}

}  // namespace tellwick
