// tellwick-export --watch run beside the simulated game, in a working folder
// of its own (settings file, log folder, its output), from a copy with a
// name of its own: every cycle's game scan lists that name among the
// processes it examined, which tells the cycles apart in its diagnostics.
#pragma once

#include <filesystem>
#include <string>

#include "process_kit/child_process.h"

namespace tellwick::gamesim {

class Watcher {
 public:
  // `program` is tellwick-export; `folder` becomes its working folder.
  Watcher(const std::filesystem::path& program, const std::filesystem::path& folder,
          const std::filesystem::path& game_folder, int interval_seconds);
  ~Watcher();
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  bool started() const { return process_.id != -1; }
  // Game scans so far (0 before the first cycle).
  int scans() const;
  // Waits until `more` further scans began; false when none came in time.
  bool wait_for_scans(int more) const;
  // Ctrl+C (SIGINT) and the exit code, or kit::kStillRunning.
  int stop();

  std::filesystem::path log_folder() const { return folder_ / "log"; }
  std::string output() const;

 private:
  std::filesystem::path folder_;
  std::string copy_name_;
  kit::Process process_;
};

}  // namespace tellwick::gamesim
