// Makes a folder the working directory for one scope and restores the old
// one afterwards, for code that uses paths relative to the working directory.
#pragma once

#include <filesystem>

namespace tellwick::test {

class CurrentDirScope {
 public:
  explicit CurrentDirScope(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentDirScope() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  CurrentDirScope(const CurrentDirScope&) = delete;
  CurrentDirScope& operator=(const CurrentDirScope&) = delete;

 private:
  std::filesystem::path previous_;
};

}  // namespace tellwick::test
