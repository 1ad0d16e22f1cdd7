#include "process_kit/stand_in.h"

#include <fstream>
#include <thread>

namespace tellwick::kit {
namespace fs = std::filesystem;
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

}  // namespace

int run_stand_in(const fs::path& ready, const fs::path& stop, std::chrono::milliseconds longest_run) {
  const fs::path writing = fs::path(ready) += ".part";
  std::ofstream(writing).put('1');
  std::error_code ignored;
  fs::rename(writing, ready, ignored);
  const auto give_up = std::chrono::steady_clock::now() + longest_run;
  while (!fs::exists(stop, ignored)) {
    if (std::chrono::steady_clock::now() > give_up) return 2;
    std::this_thread::sleep_for(kPollInterval);
  }
  return 0;
}

bool wait_until_ready(Process& process, const fs::path& ready, std::chrono::milliseconds longest_start) {
  std::error_code ignored;
  const auto give_up = std::chrono::steady_clock::now() + longest_start;
  while (!fs::exists(ready, ignored)) {
    if (std::chrono::steady_clock::now() > give_up || wait_process(process, kPollInterval) != kStillRunning) {
      kill_process(process);
      return false;
    }
  }
  return true;
}

bool stop_stand_in(Process& process, const fs::path& stop, std::chrono::milliseconds longest_stop) {
  std::ofstream(stop).put('1');
  return wait_process(process, longest_stop) == 0;
}

}  // namespace tellwick::kit
