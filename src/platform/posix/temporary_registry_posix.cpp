#include "platform/posix/temporary_registry_posix.h"

#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace tellwick {
namespace {

// An export holds two temporary files at once (the export file and the
// recipe file); a few more slots cost nothing.
constexpr int kSlotCount = 8;

struct Slot {
  // The descriptor once `path` is whole, -1 while the slot is free. A signal
  // may come on any thread, so it is read and written atomically.
  std::atomic<int> fd{-1};
  char path[PATH_MAX];
};

Slot g_slots[kSlotCount];

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");

}  // namespace

void note_temporary_file(int fd, const char* path) {
  const std::size_t length = std::strlen(path);
  if (fd < 0 || length >= PATH_MAX) return;
  for (Slot& slot : g_slots) {
    if (slot.fd.load(std::memory_order_relaxed) != -1) continue;
    std::memcpy(slot.path, path, length + 1);
    slot.fd.store(fd, std::memory_order_release);
    return;
  }
}

void forget_temporary_file(int fd) {
  if (fd < 0) return;
  for (Slot& slot : g_slots) {
    if (slot.fd.load(std::memory_order_relaxed) == fd) slot.fd.store(-1, std::memory_order_release);
  }
}

void remove_noted_temporary_files() {
  for (Slot& slot : g_slots) {
    if (slot.fd.load(std::memory_order_acquire) != -1) ::unlink(slot.path);
  }
}

}  // namespace tellwick
