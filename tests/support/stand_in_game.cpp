#include "support/stand_in_game.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace tellwick::test {
namespace fs = std::filesystem;
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
// A cold Wine process can take seconds to come up on a busy machine.
constexpr auto kLongestStart = std::chrono::seconds(120);
constexpr auto kLongestStop = std::chrono::seconds(120);

}  // namespace

StandInGame::StandInGame(const fs::path& folder, const std::string& image_name)
    : image_(folder / image_name), ready_(folder / (image_name + ".ready")), stop_(folder / (image_name + ".stop")) {
  std::error_code error;
  fs::create_directories(folder, error);
  // Left by an earlier stand-in of the same name, they would tell at once
  // that this one is up, and then stop it.
  fs::remove(ready_, error);
  fs::remove(stop_, error);
  fs::copy_file(helper_program("stand_in_game"), image_, fs::copy_options::overwrite_existing, error);
  if (error || !start_process(image_, {ready_, stop_}, process_)) return;
  const auto give_up = std::chrono::steady_clock::now() + kLongestStart;
  while (!fs::exists(ready_, error)) {
    if (std::chrono::steady_clock::now() > give_up || wait_process(process_, kPollInterval) != kStillRunning) {
      kill_process(process_);
      return;
    }
  }
  running_ = true;
}

StandInGame::~StandInGame() {
  if (!stop()) kill_process(process_);
}

bool StandInGame::stop() {
  if (!running_) return false;
  running_ = false;
  std::ofstream(stop_).put('1');
  return wait_process(process_, std::chrono::duration_cast<std::chrono::milliseconds>(kLongestStop)) == 0;
}

}  // namespace tellwick::test
