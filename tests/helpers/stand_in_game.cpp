// Stands in for the game client in tests that look for it among the running
// processes; the tests run a copy of it named ffxiv.exe or similar:
//   stand_in_game READY STOP
// writes READY once running (so the caller knows the system lists it with
// its image), then ends when STOP exists. Exit code 0 after a stop, 1 for
// wrong arguments, 2 when no stop came in time (so a failed test leaves
// nothing running).
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr auto kLongestRun = std::chrono::minutes(15);

int run(const fs::path& ready, const fs::path& stop) {
  // Written elsewhere and renamed into place, so READY is never seen empty.
  const fs::path writing = fs::path(ready) += ".part";
  std::ofstream(writing).put('1');
  std::error_code ignored;
  fs::rename(writing, ready, ignored);
  const auto give_up = std::chrono::steady_clock::now() + kLongestRun;
  while (!fs::exists(stop, ignored)) {
    if (std::chrono::steady_clock::now() > give_up) return 2;
    std::this_thread::sleep_for(kPollInterval);
  }
  return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc != 3) return 1;
  return run(argv[1], argv[2]);
}
