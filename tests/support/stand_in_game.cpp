#include "support/stand_in_game.h"

#include <chrono>

#include "process_kit/stand_in.h"

namespace tellwick::test {
namespace fs = std::filesystem;
namespace {

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
  running_ = kit::wait_until_ready(process_, ready_, kLongestStart);
}

StandInGame::~StandInGame() {
  if (!stop()) kill_process(process_);
}

bool StandInGame::stop() {
  if (!running_) return false;
  running_ = false;
  return kit::stop_stand_in(process_, stop_, kLongestStop);
}

}  // namespace tellwick::test
