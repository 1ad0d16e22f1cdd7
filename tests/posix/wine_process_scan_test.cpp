// The POSIX process walk and a program run under Wine: /proc shows the Wine
// loader as its executable and the program's Windows image path as the first
// word of its command line. A real process made to look like that (a copy of
// the stand-in named like the loader, started with a Windows path as its
// name) is found by that path; the same name on any other program is not.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "support/game_scan_lock.h"
#include "support/report_capture.h"
#include "support/stand_in_game.h"
#include "support/temp_dir.h"
#include "watch/watch_cycle.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;

std::vector<std::u16string> visited_images() {
  std::vector<std::u16string> images;
  visit_process_images(
      [](const char16_t* path, void* context) {
        static_cast<std::vector<std::u16string>*>(context)->push_back(path);
        return false;
      },
      &images);
  return images;
}

bool contains(const std::vector<std::u16string>& images, const std::u16string& image) {
  return std::find(images.begin(), images.end(), image) != images.end();
}

constexpr char16_t kWindowsImage[] = u"Z:\\games\\FINAL FANTASY XIV\\game\\ffxiv.exe";

TEST(WineProcessScan, AProgramUnderWineIsSeenByItsWindowsImagePath) {
  test::GameScanLock lock;
  test::TempDir dir;
  ASSERT_EQ(game_scan(test::capturing_reports()), 0) << "a process named like the game runs outside this test";
  const std::string windows_image = fs::path(kWindowsImage).string();
  // Loader names as Wine installs them; the name alone makes the process one of Wine's.
  for (const char* loader : {"wine64-preloader", "wine", "wine-preloader"}) {
    SCOPED_TRACE(loader);
    test::StandInGame wine(dir.path() / loader, loader, windows_image);
    ASSERT_TRUE(wine.running());
    const std::vector<std::u16string> images = visited_images();
    EXPECT_TRUE(contains(images, wine.image().u16string())) << "the loader's own path is visited";
    EXPECT_TRUE(contains(images, kWindowsImage)) << "the Windows image path is visited";
    EXPECT_EQ(game_scan(test::capturing_reports()), 1);
  }
}

TEST(WineProcessScan, TheNameOfAnyOtherProgramIsNotTaken) {
  test::GameScanLock lock;
  test::TempDir dir;
  // Only Wine's loaders show a Windows path as their name; another program
  // may call itself anything.
  for (const char* program : {"stand-in", "mywine"}) {
    SCOPED_TRACE(program);
    test::StandInGame other(dir.path() / program, program, fs::path(kWindowsImage).string());
    ASSERT_TRUE(other.running());
    const std::vector<std::u16string> images = visited_images();
    EXPECT_TRUE(contains(images, other.image().u16string()));
    EXPECT_FALSE(contains(images, kWindowsImage));
    EXPECT_EQ(game_scan(test::capturing_reports()), 0);
  }
}

}  // namespace
}  // namespace tellwick
