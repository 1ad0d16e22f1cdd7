#include "stand_in_game.h"

#include <chrono>

#include "process_kit/stand_in.h"

namespace tellwick::gamesim {
namespace fs = std::filesystem;
namespace {

using namespace std::chrono_literals;

constexpr auto kLongestStart = 120s;
constexpr auto kLongestRun = std::chrono::hours(24);  // a forgotten stand-in ends by itself

fs::path ready_file(const fs::path& folder) { return folder / "game.ready"; }
fs::path stop_file(const fs::path& folder) { return folder / "game.stop"; }

}  // namespace

int run_stand_in(const fs::path& ready, const fs::path& stop) {
  return kit::run_stand_in(ready, stop, std::chrono::duration_cast<std::chrono::milliseconds>(kLongestRun));
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
  if (!kit::wait_until_ready(process_, ready_file(folder_), kLongestStart)) return false;
  ++runs_;
  return true;
}

bool StandInGame::end() {
  if (process_.id == -1) return false;
  return kit::stop_stand_in(process_, stop_file(folder_), kLongestStart);
}

}  // namespace tellwick::gamesim
