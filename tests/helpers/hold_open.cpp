// Holds a file open, as the game holds the chunk file it is writing, until
// told to stop:
//   hold_open write|read|temporary FILE READY STOP
// opens FILE for writing or for reading, or creates it as an export creates
// its temporary files (held against other exports' clean-up), writes READY ("1" once FILE is open,
// "0" when it cannot be opened), and closes FILE and ends when STOP exists.
// Exit code 0 after a stop, 1 when FILE cannot be opened or the arguments are
// wrong, 2 when no stop came in time (so a failed test leaves nothing
// running).
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/file.h"

namespace {

namespace fs = std::filesystem;

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kLongestHold = std::chrono::seconds(120);

#ifdef _WIN32
// Shares reading and writing, so only an open that shares no writing
// conflicts with it.
using Held = HANDLE;
Held open_file(const fs::path& file, bool for_writing) {
  return CreateFileW(file.wstring().c_str(), for_writing ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}
bool is_open(Held held) { return held != INVALID_HANDLE_VALUE; }
void release(Held held) { CloseHandle(held); }
#else
using Held = int;
Held open_file(const fs::path& file, bool for_writing) {
  return open(file.c_str(), (for_writing ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
}
bool is_open(Held held) { return held >= 0; }
void release(Held held) { close(held); }
#endif

// The export's own way: a new file, closed without removing it, as a killed
// export leaves it.
Held create_temporary(const fs::path& file) {
  const tellwick::FileHandle handle = tellwick::create_new_output_file(file.u16string().c_str());
#ifdef _WIN32
  return handle == tellwick::kNoFile ? INVALID_HANDLE_VALUE : reinterpret_cast<Held>(handle);
#else
  return static_cast<Held>(handle);
#endif
}

int hold(const fs::path& mode, const fs::path& file, const fs::path& ready, const fs::path& stop) {
  const Held held = mode == "temporary" ? create_temporary(file) : open_file(file, mode == "write");
  // Written elsewhere and renamed into place, so READY is never seen empty.
  const fs::path writing = fs::path(ready) += ".part";
  std::ofstream(writing).put(is_open(held) ? '1' : '0');
  std::error_code ignored;
  fs::rename(writing, ready, ignored);
  if (!is_open(held)) return 1;
  const auto give_up = std::chrono::steady_clock::now() + kLongestHold;
  while (!fs::exists(stop, ignored)) {
    if (std::chrono::steady_clock::now() > give_up) {
      release(held);
      return 2;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  release(held);
  return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc != 5) return 1;
  const fs::path mode = argv[1];
  if (mode != "write" && mode != "read" && mode != "temporary") return 1;
  return hold(mode, argv[2], argv[3], argv[4]);
}
