// The game client process: a copy of this program named ffxiv.exe, started
// when a play day begins and ended when it is over.
#pragma once

#include <filesystem>

#include "process_kit/child_process.h"

namespace tellwick::gamesim {

// What the copy runs: writes READY, then waits until STOP exists.
int run_stand_in(const std::filesystem::path& ready, const std::filesystem::path& stop);

class StandInGame {
 public:
  explicit StandInGame(const std::filesystem::path& folder);
  ~StandInGame();
  StandInGame(const StandInGame&) = delete;
  StandInGame& operator=(const StandInGame&) = delete;

  // Starts the process and waits until it runs; false when it did not come up.
  bool start();
  // Ends it and waits until it is gone.
  bool end();
  int runs() const { return runs_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path image_;
  kit::Process process_;
  int runs_ = 0;
};

}  // namespace tellwick::gamesim
