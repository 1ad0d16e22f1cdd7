#include "support/stand_in_game.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace tellwick::test {
namespace fs = std::filesystem;
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
// A cold Wine process can take seconds to come up on a busy machine; a
// stand-in that is up sees its stop file within one poll of its own.
constexpr auto kLongestStart = std::chrono::seconds(60);
constexpr auto kLongestStop = std::chrono::seconds(20);

}  // namespace

StandInGame::StandInGame(const fs::path& folder, const std::string& image_name, const std::string& shown_name)
    : image_(folder / image_name), ready_(folder / (image_name + ".ready")), stop_(folder / (image_name + ".stop")) {
  std::error_code error;
  fs::create_directories(folder, error);
  // Left by an earlier stand-in of the same name, they would tell at once
  // that this one is up, and then stop it.
  fs::remove(ready_, error);
  fs::remove(stop_, error);
  fs::copy_file(helper_program("stand_in_game"), image_, fs::copy_options::overwrite_existing, error);
  if (error) {
    not_running_ = "the helper could not be copied to " + image_.string() + ": " + error.message();
    return;
  }
  ProcessSetup setup;
  setup.shown_name = shown_name;
  if (!start_process(image_, {ready_, stop_}, setup, process_)) {
    not_running_ = image_.string() + " could not be started";
    return;
  }
  const auto give_up = std::chrono::steady_clock::now() + kLongestStart;
  while (!fs::exists(ready_, error)) {
    if (std::chrono::steady_clock::now() > give_up) {
      not_running_ = image_.string() + " did not tell it was up within " +
                     std::to_string(std::chrono::seconds(kLongestStart).count()) + " s";
      kill_process(process_);
      return;
    }
    if (const int code = wait_process(process_, kPollInterval); code != kStillRunning) {
      not_running_ = image_.string() + " ended at start with exit code " + std::to_string(code);
      return;
    }
  }
  running_ = true;
}

StandInGame::~StandInGame() {
  if (running_) {
    stop();
  } else {
    kill_process(process_);
  }
}

::testing::AssertionResult StandInGame::running() const {
  if (running_) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << (not_running_.empty() ? image_.string() + " was stopped" : not_running_);
}

::testing::AssertionResult StandInGame::stop() {
  if (!running_) return running();
  running_ = false;
  not_running_.clear();
  std::ofstream(stop_).put('1');
  return ends_within(process_, kLongestStop, image_.string());
}

}  // namespace tellwick::test
