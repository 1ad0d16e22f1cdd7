// What the POSIX build's own profile code promises beyond the system's
// functions: lines a write does not touch keep their bytes (Wine rewrites the
// whole file in its own layout instead), a write is all or nothing, and the
// file keeps its permissions.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/profile.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::file_bytes;
using test::put_file;
using test::TempDir;

std::vector<fs::path> folder_entries(const fs::path& folder) {
  std::vector<fs::path> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

TEST(ProfilePosix, UntouchedLinesKeepTheirBytes) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  put_file(file,
           "; settings\n"
           "\n"
           "[GENERIC]\n"
           "  CHARSET = 1  \n"
           "\tOBSERVE=1\r\n"
           "\r\n"
           "[Other]\r"
           "NAME = x");
  struct Step {
    const char16_t* section;
    const char16_t* key;
    const char16_t* value;
    std::string expected;
  } steps[] = {
      {u"GENERIC", u"TRAYRUN", u"1",
       "; settings\n\n[GENERIC]\n  CHARSET = 1  \n\tOBSERVE=1\r\nTRAYRUN=1\r\n\r\n[Other]\rNAME = x"},
      {u"GENERIC", u"CHARSET", u"2",
       "; settings\n\n[GENERIC]\nCHARSET=2\r\n\tOBSERVE=1\r\nTRAYRUN=1\r\n\r\n[Other]\rNAME = x"},
      {u"Other", u"NAME", nullptr, "; settings\n\n[GENERIC]\nCHARSET=2\r\n\tOBSERVE=1\r\nTRAYRUN=1\r\n\r\n[Other]\r"},
      {u"New", u"K", u"v",
       "; settings\n\n[GENERIC]\nCHARSET=2\r\n\tOBSERVE=1\r\nTRAYRUN=1\r\n\r\n[Other]\r[New]\r\nK=v\r\n"},
  };
  for (const Step& step : steps) {
    EXPECT_TRUE(profile_write_string(step.section, step.key, step.value, file.c_str()));
    EXPECT_EQ(file_bytes(file), step.expected);
  }
}

// Lowers the largest file this process may write, so that a write runs out
// of room the way it would on a full disk; root is held to it as well.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previous_handler_ = signal(SIGXFSZ, SIG_IGN);  // report EFBIG instead of ending the process
    rlimit lowered = previous_;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previous_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  sighandler_t previous_handler_ = SIG_DFL;
};

TEST(ProfilePosix, AWriteThatRunsOutOfRoomLeavesTheOldFile) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  const std::string before = "[S]\r\nA=1\r\n";
  put_file(file, before);
  const std::u16string long_value(200, u'x');
  {
    FileSizeLimit limit(64);
    EXPECT_FALSE(profile_write_string(u"S", u"A", long_value.c_str(), file.c_str()));
  }
  EXPECT_EQ(file_bytes(file), before);
  EXPECT_EQ(folder_entries(dir.path()), std::vector<fs::path>{"test.ini"}) << "no temporary file is left";
  // With room again, the same write goes through.
  EXPECT_TRUE(profile_write_string(u"S", u"A", long_value.c_str(), file.c_str()));
  EXPECT_EQ(profile_read_string(u"S", u"A", u"", 256, file.c_str()), long_value);
}

TEST(ProfilePosix, TheFileKeepsItsPermissions) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  put_file(file, "[S]\r\nA=1\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(profile_write_string(u"S", u"A", u"2", file.c_str()));
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(ProfilePosix, BackslashesInThePathAreSeparators) {
  TempDir dir;
  std::u16string windows_style = dir.path().u16string() + u"\\test.ini";
  ASSERT_TRUE(profile_write_string(u"S", u"A", u"1", windows_style.c_str()));
  EXPECT_EQ(file_bytes(dir.path() / "test.ini"), "[S]\r\nA=1\r\n");
  EXPECT_EQ(profile_read_int(u"S", u"A", 0, windows_style.c_str()), 1);
}

// A settings file kept elsewhere and linked in: the write goes to the file at
// the end of the links, which stay links, and that file keeps its mode.
TEST(ProfilePosix, ALinkedFileIsWrittenThroughItsLinks) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // link name in work/, what it holds
    // clang-format off
  } cases[] = {
      {"relative", {{"test.ini", "../dotfiles/tellwick.ini"}}},
      {"absolute", {{"test.ini", "@/dotfiles/tellwick.ini"}}},
      {"chain", {{"test.ini", "middle.ini"}, {"middle.ini", "@/dotfiles/last.ini"}, {"../dotfiles/last.ini", "tellwick.ini"}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    fs::create_directories(dir.path() / "work");
    fs::create_directories(dir.path() / "dotfiles");
    const fs::path target = dir.path() / "dotfiles" / "tellwick.ini";
    put_file(target.u16string(), "[S]\r\nA=1\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    for (const auto& [name, held] : c.links) {
      const std::string text = held[0] == '@' ? dir.path().string() + held.substr(1) : held;
      fs::create_symlink(text, dir.path() / "work" / name);
    }
    const fs::path link = dir.path() / "work" / "test.ini";

    ASSERT_TRUE(profile_write_string(u"S", u"B", u"2", link.u16string().c_str()));
    EXPECT_EQ(file_bytes(target), "[S]\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    for (const auto& [name, held] : c.links) {
      EXPECT_TRUE(fs::is_symlink(dir.path() / "work" / name)) << name;
    }
    EXPECT_EQ(profile_read_int(u"S", u"B", 0, link.u16string().c_str()), 2);
    for (const fs::path& name : folder_entries(dir.path() / "dotfiles")) {
      EXPECT_NE(name.extension(), ".tmp") << "no temporary file is left";
    }
  }
}

TEST(ProfilePosix, ADanglingLinkGetsItsTargetAndALoopIsLeftAlone) {
  TempDir dir;
  fs::create_directories(dir.path() / "dotfiles");
  const fs::path dangling = dir.path() / "dangling.ini";
  fs::create_symlink("dotfiles/tellwick.ini", dangling);
  ASSERT_TRUE(profile_write_string(u"S", u"A", u"1", dangling.u16string().c_str()));
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(file_bytes(dir.path() / "dotfiles" / "tellwick.ini"), "[S]\r\nA=1\r\n");

  // A loop has no file at its end: the write fails and the links stay as they are.
  const fs::path loop = dir.path() / "loop.ini";
  fs::create_symlink("other.ini", loop);
  fs::create_symlink("loop.ini", dir.path() / "other.ini");
  EXPECT_FALSE(profile_write_string(u"S", u"A", u"1", loop.u16string().c_str()));
  EXPECT_TRUE(fs::is_symlink(loop));
  EXPECT_EQ(fs::read_symlink(loop), "other.ini");
  EXPECT_EQ(fs::read_symlink(dir.path() / "other.ini"), "loop.ini");
}

}  // namespace
}  // namespace tellwick

#endif  // _WIN32
