// A running process with the image name the watch cycle looks for: a copy of
// the stand_in_game helper under that name, in a folder of the test's own.
#pragma once

#include <filesystem>
#include <string>

#include "support/process.h"

namespace tellwick::test {

class StandInGame {
 public:
  // Copies the helper to `folder`/`image_name` and starts it; running()
  // tells whether it is up and listed by the system.
  StandInGame(const std::filesystem::path& folder, const std::string& image_name);
  ~StandInGame();
  StandInGame(const StandInGame&) = delete;
  StandInGame& operator=(const StandInGame&) = delete;

  bool running() const { return running_; }
  const std::filesystem::path& image() const { return image_; }

  // Ends the process and waits until it is gone; true when it ended as asked.
  bool stop();

 private:
  std::filesystem::path image_;
  std::filesystem::path ready_;
  std::filesystem::path stop_;
  Process process_;
  bool running_ = false;
};

}  // namespace tellwick::test
