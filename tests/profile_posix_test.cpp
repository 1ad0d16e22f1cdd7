// What the POSIX build's own profile code promises beyond the system's
// functions: lines a write does not touch keep their bytes (Wine rewrites the
// whole file in its own layout instead), a write is all or nothing, and the
// file keeps its permissions.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
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
  std::sort(names.begin(), names.end());
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
  EXPECT_EQ(folder_entries(dir.path()), (std::vector<fs::path>{"test.ini", "test.ini.lock"}))
      << "no temporary file is left";
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

// A FIFO where the settings file belongs is never waited on: a read gives
// the defaults and a save is refused, and the FIFO stays.
TEST(ProfilePosix, AFifoIsNeitherReadNorWritten) {
  TempDir dir;
  const fs::path fifo = dir.path() / "test.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::u16string name = fifo.u16string();
  auto done = std::async(std::launch::async, [&] {
    ProfileRead reads[] = {{u"A", u"none", 0, 256}, {u"B", nullptr, 7}};
    profile_read_keys(u"S", reads, std::size(reads), name.c_str());
    return profile_read_string(u"S", u"A", u"none", 256, name.c_str()) == u"none" &&
           profile_read_int(u"S", u"A", 5, name.c_str()) == 5 && reads[0].text == u"none" && reads[1].number == 7 &&
           !profile_write_string(u"S", u"A", u"1", name.c_str());
  });
  if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    // Opening the other end lets a blocked open return, so the test can end.
    const int unblock = open(fifo.c_str(), O_RDWR);
    done.wait();
    close(unblock);
    FAIL() << "the FIFO was waited on";
  }
  EXPECT_TRUE(done.get());
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// The process id of a process that has ended.
pid_t ended_process() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

// What a killed save left beside the file goes at the next save, even one
// that changes nothing; files of running processes and of other names stay.
TEST(ProfilePosix, WhatAKilledSaveLeftIsRemovedByTheNextSave) {
  TempDir dir;
  const fs::path file = dir.path() / "test.ini";
  put_file(file, "[S]\r\nA=1\r\n");
  const std::string dead = std::to_string(ended_process());
  const std::string living = std::to_string(getppid());
  const std::vector<std::string> removed = {"test.ini.tmp", "test.ini." + dead + "-0.tmp",
                                            "test.ini." + dead + "-12.tmp"};
  const std::vector<std::string> kept = {
      "test.ini." + living + "-0.tmp", "test.ini.backup.tmp",          "test.ini.-1.tmp",
      "test.ini." + dead + "-x.tmp",   "other.ini." + dead + "-0.tmp", "test.ini." + dead + "-0.tmp.old"};
  for (const std::vector<std::string>* names : {&removed, &kept}) {
    for (const std::string& name : *names) put_file(dir.path() / name, "[S]\r\nA=partial");
  }
  for (const char16_t* value : {u"1", u"2"}) {
    SCOPED_TRACE(value[0] == u'1' ? "a save that changes nothing" : "a save that changes the file");
    ASSERT_TRUE(profile_write_string(u"S", u"A", value, file.u16string().c_str()));
    for (const std::string& name : removed) EXPECT_FALSE(fs::exists(dir.path() / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir.path() / name)) << name;
    for (const std::string& name : removed) put_file(dir.path() / name, "[S]\r\nA=partial");
  }
  EXPECT_EQ(file_bytes(file), "[S]\r\nA=2\r\n");
}

// Wine turns LockFileEx into a process lock on the lock file: a save waits
// while one is held, and goes on once it is released.
TEST(ProfilePosix, ASaveWaitsForTheLockThatWineTakes) {
  TempDir dir;
  const fs::path file = dir.path() / "test.ini";
  const fs::path lock_file = dir.path() / "test.ini.lock";
  const int held = open(lock_file.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(held, 0);
  struct flock first_byte {};
  first_byte.l_type = F_WRLCK;
  first_byte.l_whence = SEEK_SET;
  first_byte.l_len = 1;
  ASSERT_EQ(fcntl(held, F_SETLK, &first_byte), 0);
  auto saved =
      std::async(std::launch::async, [&] { return profile_write_string(u"S", u"A", u"1", file.u16string().c_str()); });
  EXPECT_EQ(saved.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout) << "saved under the lock";
  close(held);  // releases the lock
  EXPECT_TRUE(saved.get());
  EXPECT_EQ(file_bytes(file), "[S]\r\nA=1\r\n");
}

// A save that would work does not fail for want of a lock: here the lock
// file's name is taken by a folder.
TEST(ProfilePosix, ASaveGoesOnWithoutALock) {
  TempDir dir;
  const fs::path file = dir.path() / "test.ini";
  fs::create_directory(dir.path() / "test.ini.lock");
  for (const char16_t* value : {u"1", u"2"}) {
    ASSERT_TRUE(profile_write_string(u"S", u"A", value, file.u16string().c_str()));
  }
  EXPECT_EQ(file_bytes(file), "[S]\r\nA=2\r\n");
  EXPECT_EQ(folder_entries(dir.path()), (std::vector<fs::path>{"test.ini", "test.ini.lock"}));
}

// Through a link, what counts is the file replaced: a read-only target is
// refused, and saves through the link and to the target take the same lock.
TEST(ProfilePosix, ALinkedFileIsLockedAndRefusedAsItsTarget) {
  TempDir dir;
  fs::create_directories(dir.path() / "dotfiles");
  const fs::path target = dir.path() / "dotfiles" / "tellwick.ini";
  const fs::path link = dir.path() / "test.ini";
  put_file(target, "[S]\r\nA=1\r\n");
  fs::create_symlink("dotfiles/tellwick.ini", link);
  fs::permissions(target, fs::perms::owner_read);
  EXPECT_FALSE(profile_write_string(u"S", u"A", u"2", link.u16string().c_str()));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(file_bytes(target), "[S]\r\nA=1\r\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);

  const int held = open((dir.path() / "dotfiles" / "tellwick.ini.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(held, 0);
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(held, F_SETLK, &whole), 0);
  auto saved =
      std::async(std::launch::async, [&] { return profile_write_string(u"S", u"A", u"2", link.u16string().c_str()); });
  EXPECT_EQ(saved.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout) << "saved under the lock";
  close(held);
  EXPECT_TRUE(saved.get());
  EXPECT_EQ(file_bytes(target), "[S]\r\nA=2\r\n");
  EXPECT_TRUE(fs::exists(dir.path() / "test.ini.lock")) << "the lock beside the name used is taken too";
}

}  // namespace
}  // namespace tellwick

#endif  // _WIN32
