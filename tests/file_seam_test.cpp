// The file seam on real files, with the same expectations for both systems,
// so the POSIX build behaves as the Windows calls do under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/path.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr FileTime kUntouched = 0x5555;  // shows whether a failure cleared the time

std::u16string under_unreachable_folder(const char16_t* rest) {
  return std::u16string(kUnreachableFolder) + kPathSeparator + rest;
}

TEST(FileSeam, WriteTimeIsTheWindowsFileTimeOfTheLastWrite) {
  struct Case {
    std::int64_t unix_seconds;
    FileTime file_time;
  } cases[] = {
      {315532800, 119600064000000000ULL},   // 1980-01-01 00:00:00 UTC
      {1402567200, 130470408000000000ULL},  // 2014-06-12 10:00:00 UTC
      {1704067199, 133485407990000000ULL},  // 2023-12-31 23:59:59 UTC
  };
  TempDir dir;
  for (const Case& c : cases) {
    const fs::path file = dir.path() / "00000000.log";
    test::write_bytes(file, {1, 2, 3});
    ASSERT_TRUE(test::set_write_time(file, c.unix_seconds));
    FileTime time = kUntouched;
    EXPECT_TRUE(file_write_time(file.u16string().c_str(), time));
    EXPECT_EQ(time, c.file_time) << c.unix_seconds;
  }
}

TEST(FileSeam, WhatCannotBeOpenedHasNoWriteTime) {
  TempDir dir;
  fs::create_directory(dir.path() / "folder");
  const std::u16string paths[] = {
      dir.file("missing.log"),
      dir.file("folder"),  // a folder is not a file
      dir.file("missing") + kPathSeparator + u"00000000.log",
      under_unreachable_folder(u"00000000.log"),
  };
  for (const std::u16string& path : paths) {
    FileTime time = kUntouched;
    EXPECT_FALSE(file_write_time(path.c_str(), time)) << fs::path(path);
    EXPECT_EQ(time, 0u) << fs::path(path);
  }
}

TEST(FileSeam, IsDirectory) {
  TempDir dir;
  fs::create_directory(dir.path() / "folder");
  test::write_bytes(dir.path() / "file", {'x'});
  struct Case {
    std::u16string path;
    bool is_directory;
  } cases[] = {
      {dir.file("folder"), true},
      {dir.file("folder") + kPathSeparator, true},
      {dir.path().u16string(), true},
      {dir.file("file"), false},
      {dir.file("missing"), false},
      {kUnreachableFolder, false},
      {under_unreachable_folder(u"My Games"), false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_directory(c.path.c_str()), c.is_directory) << fs::path(c.path);
}

TEST(FileSeam, ReadWholeFileEndsTheContentWithAZeroByte) {
  std::vector<unsigned char> large(300000);
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<unsigned char>(i * 7 + 1);
  const std::vector<unsigned char> cases[] = {
      {},  // an empty file: one zero byte, size 0
      {'a', 'b', 'c'},
      {0, 1, 0, 2},
      large,
  };
  TempDir dir;
  for (const auto& bytes : cases) {
    const fs::path file = dir.path() / "chunk.log";
    test::write_bytes(file, bytes);
    FileContents contents;
    ASSERT_TRUE(read_whole_file(file.u16string().c_str(), contents)) << bytes.size();
    ASSERT_NE(contents.data, nullptr);
    ASSERT_EQ(contents.size, bytes.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), contents.data.get()));
    EXPECT_EQ(contents.data[contents.size], 0);
  }
}

TEST(FileSeam, ReadWholeFileFailsWithoutAFile) {
  TempDir dir;
  fs::create_directory(dir.path() / "folder");
  const std::u16string paths[] = {
      dir.file("missing.log"),
      dir.file("folder"),
      under_unreachable_folder(u"00000000.log"),
  };
  for (const std::u16string& path : paths) {
    FileContents contents;
    contents.data.reset(new std::uint8_t[1]{7});
    contents.size = 1;
    EXPECT_FALSE(read_whole_file(path.c_str(), contents)) << fs::path(path);
    EXPECT_EQ(contents.data, nullptr);
    EXPECT_EQ(contents.size, 0u);
  }
}

// The listing without "." and "..", sorted, each name with "/" for a folder.
std::vector<std::u16string> listed(const std::u16string& folder, bool& ok) {
  std::vector<DirectoryEntry> entries;
  ok = list_directory(folder.c_str(), entries);
  std::vector<std::u16string> names;
  for (const DirectoryEntry& e : entries) {
    if (e.name == u"." || e.name == u"..") {
      EXPECT_TRUE(e.is_directory);
      continue;
    }
    names.push_back(e.is_directory ? e.name + u"/" : e.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileSeam, ReadingAChunkFileGivesItsTimeAndReadsItOnlyWhenNotOlder) {
  constexpr std::int64_t kWritten = 1402567200;                 // 2014-06-12 10:00:00 UTC
  constexpr FileTime kWrittenFileTime = 130470408000000000ULL;  // the same instant
  TempDir dir;
  const fs::path file = dir.path() / "00000001.log";
  test::write_bytes(file, {'a', 'b', 'c'});
  ASSERT_TRUE(test::set_write_time(file, kWritten));
  struct Case {
    FileTime not_before;
    bool read;
  } cases[] = {
      {0, true},
      {kWrittenFileTime - 1, true},
      {kWrittenFileTime, true},  // written in the same instant as chunk 0
      {kWrittenFileTime + 1, false},
  };
  for (const Case& c : cases) {
    FileContents contents;
    FileTime time = kUntouched;
    EXPECT_EQ(read_whole_file_not_older(file.u16string().c_str(), c.not_before, contents, time), c.read)
        << c.not_before;
    EXPECT_EQ(time, kWrittenFileTime);
    if (c.read) {
      ASSERT_EQ(contents.size, 3u);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(contents.data.get()), 4), std::string("abc\0", 4));
    } else {
      EXPECT_EQ(contents.data, nullptr);
      EXPECT_EQ(contents.size, 0u);
    }
  }

  // What has no write time is not read, whatever the limit.
  fs::create_directory(dir.path() / "folder");
  for (const std::u16string& path : {dir.file("missing.log"), dir.file("folder")}) {
    FileContents contents;
    FileTime time = kUntouched;
    EXPECT_FALSE(read_whole_file_not_older(path.c_str(), 0, contents, time)) << fs::path(path);
    EXPECT_EQ(time, 0u) << fs::path(path);
    EXPECT_EQ(contents.data, nullptr);
  }
}

TEST(FileSeam, ListDirectoryNamesFilesAndFolders) {
  TempDir dir;
  fs::create_directory(dir.path() / "FFXIV_CHR0040000000000001");
  fs::create_directory(dir.path() / ".hidden");
  test::write_bytes(dir.path() / "plain.txt", {'x'});
  test::write_bytes(dir.path() / "log", {});
  // clang-format off
  const std::vector<std::u16string> expected = {
      u".hidden/", u"FFXIV_CHR0040000000000001/", u"log", u"plain.txt"};
  // clang-format on
  for (const std::u16string& folder : {dir.path().u16string(), dir.path().u16string() + kPathSeparator}) {
    bool ok = false;
    EXPECT_EQ(listed(folder, ok), expected);
    EXPECT_TRUE(ok);
  }
}

TEST(FileSeam, NamesOutsideAsciiKeepTheirCharacters) {
  const std::u16string name = u"\u30AD\u30E3\u30E9";  // キャラ
  TempDir dir;
  std::error_code error;
  fs::create_directory(dir.path() / fs::path(name), error);
  // A Wine prefix run in a locale that the C library lacks maps file names
  // to ASCII and can store no such name.
  if (error) GTEST_SKIP() << "this system cannot store the name: " << error.message();
  test::write_bytes(dir.path() / fs::path(name) / "chunk.log", {'x'});
  bool ok = false;
  EXPECT_EQ(listed(dir.path().u16string(), ok), std::vector<std::u16string>{name + u"/"});
  EXPECT_TRUE(ok);
  const std::u16string file = dir.path().u16string() + kPathSeparator + name + kPathSeparator + u"chunk.log";
  FileContents contents;
  EXPECT_TRUE(read_whole_file(file.c_str(), contents));
  FileTime time = 0;
  EXPECT_TRUE(file_write_time(file.c_str(), time));
  EXPECT_TRUE(is_directory((dir.path().u16string() + kPathSeparator + name).c_str()));
}

TEST(FileSeam, ListDirectoryFailsWithoutAFolder) {
  TempDir dir;
  test::write_bytes(dir.path() / "file", {'x'});
  const std::u16string folders[] = {
      dir.file("missing"),
      dir.file("file"),
      u"",  // never the current folder
      under_unreachable_folder(u"My Games"),
  };
  for (const std::u16string& folder : folders) {
    std::vector<DirectoryEntry> entries = {{u"stale", false}};
    EXPECT_FALSE(list_directory(folder.c_str(), entries)) << fs::path(folder);
    EXPECT_TRUE(entries.empty());
  }
}

TEST(FileSeam, CreateDirectoryMakesOneLevel) {
  TempDir dir;
  EXPECT_TRUE(create_directory(dir.file("log").c_str()));
  EXPECT_TRUE(fs::is_directory(dir.path() / "log"));
  EXPECT_FALSE(create_directory(dir.file("log").c_str()));  // it exists
  EXPECT_FALSE(create_directory((dir.file("a") + kPathSeparator + u"b").c_str()));
  EXPECT_FALSE(fs::exists(dir.path() / "a"));
}

TEST(FileSeam, DeleteFile) {
  TempDir dir;
  test::write_bytes(dir.path() / "recipe.txt", {});
  fs::create_directory(dir.path() / "folder");
  EXPECT_TRUE(delete_file(dir.file("recipe.txt").c_str()));
  EXPECT_FALSE(fs::exists(dir.path() / "recipe.txt"));
  EXPECT_FALSE(delete_file(dir.file("recipe.txt").c_str()));
  EXPECT_FALSE(delete_file(dir.file("folder").c_str()));
  EXPECT_TRUE(fs::is_directory(dir.path() / "folder"));
}

TEST(FileSeam, ReplaceFilePutsOneFileInPlaceOfAnother) {
  TempDir dir;
  for (const bool target_exists : {true, false}) {
    test::write_bytes(dir.path() / "new.ini", {'n', 'e', 'w'});
    if (target_exists) test::write_bytes(dir.path() / "tellwick.ini", {'o', 'l', 'd', '!'});
    EXPECT_TRUE(replace_file(dir.file("new.ini").c_str(), dir.file("tellwick.ini").c_str()));
    EXPECT_FALSE(fs::exists(dir.path() / "new.ini"));
    EXPECT_EQ(test::read_bytes(dir.path() / "tellwick.ini"), (std::vector<unsigned char>{'n', 'e', 'w'}));
    fs::remove(dir.path() / "tellwick.ini");
  }
  EXPECT_FALSE(replace_file(dir.file("missing").c_str(), dir.file("tellwick.ini").c_str()));
}

TEST(FileSeam, DocumentsFolderHasNoFinalSeparator) {
  std::u16string documents;
  ASSERT_TRUE(documents_folder(documents));
  ASSERT_FALSE(documents.empty());
  EXPECT_FALSE(is_path_separator(documents.back())) << fs::path(documents);
}

}  // namespace
}  // namespace tellwick
