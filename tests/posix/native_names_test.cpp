// Names the system hands over that are not UTF-8 (a Linux file name is any
// bytes): each one can be opened again, the player's folders with such names
// are found, and text shown of them stays UTF-8.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gamelog/game_folder_choice.h"
#include "gamelog/game_folders.h"
#include "platform/encoding.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/posix/path_posix.h"
#include "support/chunk_files.h"
#include "support/environment.h"
#include "support/report_capture.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr char kCharacter[] = "FFXIV_CHR0040000000000001";

std::string shown(const std::u16string& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(utf16_to_utf8(text.data(), text.size(), out.data(), out.size()));
  return out;
}

TEST(NativeNames, EveryNameComesBackAsTheSameBytes) {
  struct Case {
    std::string bytes;
    std::u16string program;  // empty: not checked, only the way back
  } cases[] = {
      {"/home/me/ffxiv", u"/home/me/ffxiv"},
      {"/data/\xE6\x96\x87\xE6\x9B\xB8", u"/data/\u6587\u66F8"},
      {"\xF0\x9F\x8E\xAE", u"\U0001F3AE"},
      {"a\xE9.log", u"a\xDCE9.log"},  // Latin-1
      {"Jeux\xE9", u"Jeux\xDCE9"},    // at the end
      {"\xE6\x96", u"\xDCE6\xDC96"},  // a character cut short
      {"\xE6\x96"
       "a",
       u"\xDCE6\xDC96"
       u"a"},                                                     // cut short before ASCII
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                              // overlong "/"
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},                    // a surrogate written as UTF-8
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},          // beyond U+10FFFF
      {"\x80\xBF\xFF\xFE", u"\xDC80\xDCBF\xDCFF\xDCFE"},          // bytes that never start one
      {"\xE9\xC3\xA9", u"\xDCE9\u00E9"},                          // a stray byte, then a character
      {"\x82\xA0\x82\xA2.log", u"\xDC82\xDCA0\xDC82\xDCA2.log"},  // Shift_JIS
      {"\xED\xB3\xA9", u"\xDCED\xDCB3\xDCA9"},                    // what U+DCE9 itself would be
  };
  for (const Case& c : cases) {
    const std::u16string program = path_from_native(c.bytes);
    if (!c.program.empty()) {
      EXPECT_EQ(program, c.program) << c.bytes;
    }
    EXPECT_EQ(native_path(program.c_str()), c.bytes) << c.bytes;
  }
  // A lone surrogate that stands for no byte reaches no name the system lists.
  EXPECT_EQ(native_path(u"a\xD800"
                        u"b\xDC00"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

TEST(NativeNames, ShownAsUtf8WithAReplacementForEachKeptByte) {
  EXPECT_EQ(shown(path_from_native("Jeux\xE9/a\xE6\x96"
                                   "b")),
            "Jeux\xEF\xBF\xBD/a\xEF\xBF\xBD\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(shown(path_from_native("\xE6\x96\x87")), "\xE6\x96\x87");
}

TEST(NativeNames, ListedFilesAndFoldersOpen) {
  TempDir dir;
  const fs::path folder = dir.path() / "Jeux\xE9";
  fs::create_directories(folder);
  test::write_bytes(folder / "a\xE9.log", {'h', 'i'});
  const std::u16string program_folder = path_from_native(folder.string());

  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(list_directory(program_folder.c_str(), entries));
  std::u16string listed;
  for (const DirectoryEntry& e : entries) {
    if (e.name != u"." && e.name != u"..") listed = e.name;
  }
  EXPECT_EQ(listed, u"a\xDCE9.log");
  const std::u16string file = program_folder + u"/" + listed;
  FileContents contents;
  ASSERT_TRUE(read_whole_file(file.c_str(), contents));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(contents.data.get()), contents.size), "hi");
  FileTime time = 0;
  EXPECT_TRUE(file_write_time(file.c_str(), time));
  EXPECT_TRUE(is_directory(program_folder.c_str()));

  // A name made in the program goes to the system as the bytes it came from.
  const std::u16string made = program_folder + u"/b\xDCE9.log";
  const FileHandle out = create_new_output_file(made.c_str());
  ASSERT_NE(out, kNoFile);
  EXPECT_TRUE(close_file(out));
  EXPECT_EQ(::access((folder / "b\xE9.log").c_str(), F_OK), 0);
}

TEST(NativeNames, DocumentsAndHomeKeepTheirBytes) {
  TempDir dir;
  const fs::path documents = dir.path() / "Docs\xE9";
  fs::create_directories(documents);
  test::EnvironmentScope xdg("XDG_DOCUMENTS_DIR", documents.string());
  std::u16string folder;
  ASSERT_TRUE(documents_folder(folder));
  EXPECT_EQ(folder, path_from_native(documents.string()));
  EXPECT_TRUE(is_directory(folder.c_str()));
}

// A Lutris prefix named with a byte that is not UTF-8, in a home folder
// named so too: found by the search, its character listed and its chunk
// file read, and the folder named on the diagnostic output in UTF-8.
TEST(NativeNames, LauncherSearchFindsFoldersOfAnyName) {
  TempDir dir;
  const fs::path home = dir.path() / "h\xF4me";
  const fs::path game = home / "Games/Jeux\xE9/drive_c/users/me/Documents/My Games/FINAL FANTASY XIV - A Realm Reborn";
  const fs::path log = game / kCharacter / "log";
  fs::create_directories(log);
  test::write_bytes(log / "00000000.log", test::chunk_bytes(0, {{0x5316F48C, 0x000A, ":A B:hi"}}));
  test::EnvironmentScope home_variable("HOME", home.string());
  test::EnvironmentScope documents_variable("XDG_DOCUMENTS_DIR", std::nullopt);

  test::clear_captured_reports();
  const std::u16string chosen = choose_game_user_folder(u"", test::capturing_reports());
  const std::u16string expected = path_from_native(game.string()) + u"/";
  ASSERT_EQ(chosen, expected);
  EXPECT_EQ(test::captured_debugger_output(), std::vector<std::u16string>{u"game folder: " + expected + u"\r\n"});
  EXPECT_NE(shown(test::captured_debugger_output()[0]).find("/h\xEF\xBF\xBDme/Games/Jeux\xEF\xBF\xBD/"),
            std::string::npos);

  auto table = std::make_unique<CharacterTable>();
  enumerate_character_folders(chosen, *table);
  ASSERT_EQ(table->count, 1);
  FileContents chunk;
  EXPECT_TRUE(read_whole_file(chunk_file_path(chosen + table->names[0] + u"/", 0).c_str(), chunk));
}

}  // namespace
}  // namespace tellwick
