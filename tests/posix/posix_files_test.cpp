// What only the POSIX build decides for itself: where Documents is, file
// times finer than a second, and that a read leaves no lease behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "gamelog/game_folders.h"
#include "platform/file.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

// The table a front end would own; one for the whole test program is enough.
CharacterTable& character_table() {
  static CharacterTable table;
  return table;
}

namespace fs = std::filesystem;
using test::TempDir;

// Sets or removes an environment variable for as long as it lives.
class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~EnvironmentVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvironmentVariable(const EnvironmentVariable&) = delete;
  EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(PosixFiles, DocumentsFolderFromTheEnvironment) {
  struct Case {
    std::optional<std::string> xdg_documents_dir;
    std::optional<std::string> home;
    std::optional<std::u16string> documents;  // none: no Documents folder
  } cases[] = {
      {"/data/docs", "/home/u", u"/data/docs"},
      {"/data/docs//", "/home/u", u"/data/docs"},
      {"/", "/home/u", u""},  // the root: "/My Games/..." follows
      {std::nullopt, "/home/u", u"/home/u/Documents"},
      {"", "/home/u/", u"/home/u/Documents"},
      {"docs", "/home/u", u"/home/u/Documents"},  // relative: not a place
      {"/data/\xE6\x96\x87\xE6\x9B\xB8", "/home/u", u"/data/\u6587\u66F8"},
      {std::nullopt, std::nullopt, std::nullopt},
      {std::nullopt, "", std::nullopt},
      {std::nullopt, "home/u", std::nullopt},
  };
  for (const Case& c : cases) {
    EnvironmentVariable xdg("XDG_DOCUMENTS_DIR", c.xdg_documents_dir);
    EnvironmentVariable home("HOME", c.home);
    std::u16string documents = u"stale";
    EXPECT_EQ(documents_folder(documents), c.documents.has_value()) << c.xdg_documents_dir.value_or("(unset)");
    EXPECT_EQ(documents, c.documents.value_or(u"")) << c.xdg_documents_dir.value_or("(unset)");
  }
}

TEST(PosixFiles, WithoutDocumentsNothingIsFound) {
  EnvironmentVariable xdg("XDG_DOCUMENTS_DIR", std::nullopt);
  EnvironmentVariable home("HOME", std::nullopt);
  const std::u16string folder = game_user_folder_path();
  EXPECT_EQ(folder, u"/dev/null/My Games/FINAL FANTASY XIV - A Realm Reborn/");
  EXPECT_EQ(game_user_folder_path(u"Abc"), folder + u"Abc/");
  enumerate_character_folders(folder, character_table());
  EXPECT_EQ(character_table().count, 0);
  EXPECT_EQ(active_character(character_table()), u"");
}

TEST(PosixFiles, DocumentsFolderIsUsedAsItIsNow) {
  TempDir dir;
  fs::create_directories(dir.path() / "Documents" / "My Games" / "FINAL FANTASY XIV - A Realm Reborn" / "Abc" / "log");
  EnvironmentVariable xdg("XDG_DOCUMENTS_DIR", std::nullopt);
  EnvironmentVariable home("HOME", dir.path().string());
  enumerate_character_folders(game_user_folder_path(), character_table());
  ASSERT_EQ(character_table().count, 1);
  EXPECT_EQ(active_character(character_table()), u"Abc");
}

TEST(PosixFiles, WriteTimeKeepsTenthsOfMicroseconds) {
  struct Case {
    long nanoseconds;
    FileTime file_time;
    // clang-format off
  } cases[] = {
      {0, 130470408000000000ULL},
      {99, 130470408000000000ULL},  // below 100 ns: cut, as Windows keeps no finer time
      {100, 130470408000000001ULL},
      {123456789, 130470408001234567ULL},
      {999999999, 130470408009999999ULL},
  };
  // clang-format on
  TempDir dir;
  const fs::path file = dir.path() / "00000000.log";
  test::write_bytes(file, {});
  for (const Case& c : cases) {
    const struct timespec times[2] = {{1402567200, 0}, {1402567200, c.nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    FileTime time = 0;
    EXPECT_TRUE(file_write_time(file.u16string().c_str(), time));
    EXPECT_EQ(time, c.file_time) << c.nanoseconds;
  }
}

// A writer that opens the file after a read must not wait for anything: an
// open that would wait for a lease fails at once with O_NONBLOCK.
TEST(PosixFiles, AReadLeavesNoLeaseBehind) {
  TempDir dir;
  const fs::path file = dir.path() / "00000000.log";
  test::write_bytes(file, {'x'});
  FileContents contents;
  ASSERT_TRUE(read_whole_file(file.u16string().c_str(), contents));
  const int fd = open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  EXPECT_GE(fd, 0) << errno;
  if (fd >= 0) close(fd);
}

}  // namespace
}  // namespace tellwick
