// A running process with the image name the watch cycle looks for: a copy of
// the stand_in_game helper under that name, in a folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/process.h"

namespace tellwick::test {

class StandInGame {
 public:
  // Copies the helper to `folder`/`image_name` and starts it, with
  // `shown_name` as the first word of its command line when not empty;
  // running() tells whether it is up and listed by the system, and if not, why.
  StandInGame(const std::filesystem::path& folder, const std::string& image_name, const std::string& shown_name = {});
  ~StandInGame();
  StandInGame(const StandInGame&) = delete;
  StandInGame& operator=(const StandInGame&) = delete;

  ::testing::AssertionResult running() const;
  const std::filesystem::path& image() const { return image_; }

  // Ends the process and waits until it is gone; fails when it did not end
  // as asked within its limit (it is killed then).
  ::testing::AssertionResult stop();

 private:
  std::filesystem::path image_;
  std::filesystem::path ready_;
  std::filesystem::path stop_;
  Process process_;
  bool running_ = false;
  std::string not_running_;  // why it is not running
};

}  // namespace tellwick::test
