// No test may touch the player's real game folder under Documents: each one
// points the program at a folder of its own. Each test program checks that
// the folder is the same after its tests as before them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "gamelog/game_folders.h"

namespace tellwick::test {
namespace {

namespace fs = std::filesystem;

// The folder and everything under it, each with its size and last-write time.
std::vector<std::string> snapshot(const fs::path& folder) {
  std::error_code error;
  if (!fs::exists(folder, error)) return {"(no folder)"};
  // The folder's own time too: a character folder made and removed again shows there.
  std::vector<std::string> entries{". " +
                                   std::to_string(fs::last_write_time(folder, error).time_since_epoch().count())};
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error)) {
    std::error_code ignored;
    const auto size = it->is_regular_file(ignored) ? it->file_size(ignored) : 0;
    const auto written = it->last_write_time(ignored).time_since_epoch().count();
    const std::u8string name = it->path().lexically_relative(folder).u8string();
    entries.push_back(std::string(name.begin(), name.end()) + " " + std::to_string(size) + " " +
                      std::to_string(written));
  }
  return entries;
}

class GameFolderGuard : public ::testing::Environment {
 public:
  // Before any test sets an override: the normal folder.
  void SetUp() override {
    folder_ = fs::path(game_user_folder_path()).parent_path();  // without the final separator
    before_ = snapshot(folder_);
  }
  void TearDown() override {
    const std::u8string name = folder_.u8string();
    EXPECT_EQ(snapshot(folder_), before_)
        << "a test wrote into the real game folder " << std::string(name.begin(), name.end());
  }

 private:
  fs::path folder_;
  std::vector<std::string> before_;
};

[[maybe_unused]] ::testing::Environment* const kGuard = ::testing::AddGlobalTestEnvironment(new GameFolderGuard);

}  // namespace
}  // namespace tellwick::test
