// Stands in for the game client in tests that look for it among the running
// processes; the tests run a copy of it named ffxiv.exe or similar:
//   stand_in_game READY STOP
// writes READY once running (so the caller knows the system lists it with
// its image), then ends when STOP exists. Exit code 0 after a stop, 1 for
// wrong arguments, 2 when no stop came in time (so a failed test leaves
// nothing running).
#include <chrono>

#include "process_kit/stand_in.h"

namespace {

constexpr auto kLongestRun = std::chrono::minutes(15);

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc != 3) return 1;
  return tellwick::kit::run_stand_in(argv[1], argv[2], kLongestRun);
}
