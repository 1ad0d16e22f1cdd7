#include "stand_in_game.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace tellwick::gamesim {
namespace fs = std::filesystem;
namespace {

using namespace std::chrono_literals;

constexpr auto kPollInterval = 20ms;
constexpr auto kLongestStart = 120s;
constexpr auto kLongestRun = std::chrono::hours(24);  // a forgotten stand-in ends by itself

fs::path ready_file(const fs::path& folder) { return folder / "game.ready"; }
fs::path stop_file(const fs::path& folder) { return folder / "game.stop"; }

}  // namespace

int run_stand_in(const fs::path& ready, const fs::path& stop) {
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

StandInGame::StandInGame(const fs::path& folder) : folder_(folder), image_(folder / "ffxiv.exe") {}

StandInGame::~StandInGame() {
  if (!end()) kit::kill_process(process_);
}

bool StandInGame::start() {
  std::error_code error;
  fs::create_directories(folder_, error);
  if (!fs::exists(image_, error)) {
    fs::copy_file(kit::own_program_folder() / kit::program_file_name("gamesim"), image_, error);
    if (error) return false;
  }
  fs::remove(ready_file(folder_), error);
  fs::remove(stop_file(folder_), error);
  if (!kit::start_process(image_, {"--stand-in", ready_file(folder_), stop_file(folder_)}, process_)) return false;
  const auto give_up = std::chrono::steady_clock::now() + kLongestStart;
  while (!fs::exists(ready_file(folder_), error)) {
    if (std::chrono::steady_clock::now() > give_up || kit::wait_process(process_, kPollInterval) != kit::kStillRunning) {
      kit::kill_process(process_);
      return false;
    }
  }
  ++runs_;
  return true;
}

bool StandInGame::end() {
  if (process_.id == -1) return false;
  std::ofstream(stop_file(folder_)).put('1');
  return kit::wait_process(process_, std::chrono::duration_cast<std::chrono::milliseconds>(kLongestStart)) == 0;
}

}  // namespace tellwick::gamesim
