// A helper program holding a file open in another process, as the game holds
// the chunk file it is writing or another program an export file.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace tellwick::test {

inline constexpr auto kHolderPollInterval = std::chrono::milliseconds(10);
inline constexpr auto kHolderLongestStart = std::chrono::seconds(60);  // a cold Wine process on a busy machine
inline constexpr auto kHolderLongestStop = std::chrono::seconds(20);   // it polls for the stop file every 10 ms

// The helper program holding `file` open in another process ("write" or
// "read"); stopped and waited for when it goes out of scope, whatever the
// test's outcome.
class FileHolder {
 public:
  FileHolder(const TempDir& dir, const char* mode, const std::filesystem::path& file)
      : ready_(dir.path() / "holder.ready"), stop_(dir.path() / "holder.stop") {
    // A holder started before in the same folder left its files behind.
    std::error_code ignored;
    std::filesystem::remove(ready_, ignored);
    std::filesystem::remove(stop_, ignored);
    started_ = start_process(helper_program("hold_open"), {mode, file, ready_, stop_}, process_);
  }
  ~FileHolder() { stop(); }
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;

  // True once the helper has the file open; false when it could not open it.
  bool wait_until_holding() const {
    const auto give_up = std::chrono::steady_clock::now() + kHolderLongestStart;
    std::error_code ignored;
    while (started_ && !std::filesystem::exists(ready_, ignored)) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      std::this_thread::sleep_for(kHolderPollInterval);
    }
    return started_ && read_bytes(ready_) == std::vector<unsigned char>{'1'};
  }

  // Lets the helper close the file and end; fails when it does not end
  // within its limit (it is killed then) or ends with an error.
  ::testing::AssertionResult stop() {
    if (!started_) return ::testing::AssertionFailure() << "hold_open did not start";
    started_ = false;
    std::ofstream(stop_).put('1');
    return ends_within(process_, kHolderLongestStop, "hold_open");
  }

 private:
  std::filesystem::path ready_;
  std::filesystem::path stop_;
  Process process_;
  bool started_ = false;
};

}  // namespace tellwick::test
