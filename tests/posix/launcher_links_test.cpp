// The launchers' places through links, loops and folders without rights,
// and the whole choice of the game folder over a fake home (HOME and
// XDG_DOCUMENTS_DIR pointed into a temporary folder).
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gamelog/game_folder_choice.h"
#include "gamelog/game_folders.h"
#include "gamelog/launcher_folders.h"
#include "platform/file_probe.h"
#include "support/chunk_files.h"
#include "support/environment.h"
#include "support/report_capture.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const fs::path kGameInDocuments = fs::path("My Games") / "FINAL FANTASY XIV - A Realm Reborn";

fs::path proton_game_folder(const fs::path& library) {
  return library / "steamapps/compatdata/39210/pfx/drive_c/users/steamuser/Documents" / kGameInDocuments;
}

std::u16string with_separator(const fs::path& folder) { return folder.u16string() + u"/"; }

bool debugger_output_has(const std::u16string& part) {
  for (const std::u16string& text : test::captured_debugger_output()) {
    if (text.find(part) != std::u16string::npos) return true;
  }
  return false;
}

void add_character(const fs::path& game_folder, const std::string& name, std::int64_t unix_time) {
  test::write_chunk(game_folder / name, 0, test::chunk_bytes(0, {{0x5316F48C, 0x000A, ":A B:hi"}}),
                    test::file_time_of_unix(unix_time));
}

class FakeHome : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = dir_.path() / "home";
    fs::create_directories(home_);
    test::clear_captured_reports();
  }

  std::vector<std::u16string> found() { return launcher_game_folders(home_.u16string(), test::capturing_reports()); }

  TempDir dir_;
  fs::path home_;
  test::EnvironmentScope home_variable_{"HOME", (dir_.path() / "home").string()};
  test::EnvironmentScope documents_variable_{"XDG_DOCUMENTS_DIR", std::nullopt};
};

TEST_F(FakeHome, SteamReachedTwiceThroughItsLinkIsSearchedOnce) {
  const fs::path steam = home_ / ".local/share/Steam";
  fs::create_directories(proton_game_folder(steam));
  fs::create_directories(home_ / ".steam");
  fs::create_directory_symlink(steam, home_ / ".steam" / "steam");
  // The list also names the installation through its link.
  const std::string list = "\"libraryfolders\" { \"0\" { \"path\" \"" + (home_ / ".steam/steam").string() + "\" } }";
  test::write_bytes(steam / "steamapps/libraryfolders.vdf", std::vector<unsigned char>(list.begin(), list.end()));
  const std::vector<std::u16string> places = found();
  ASSERT_EQ(places.size(), 1u);
  EXPECT_EQ(places[0], proton_game_folder(steam).u16string());
}

TEST_F(FakeHome, LoopsAndFoldersWithoutRightsAreToldAndPassedOver) {
  fs::create_directories(home_ / ".xlcore");
  fs::create_directory_symlink(home_ / ".xlcore" / "ffxivConfig", home_ / ".xlcore" / "ffxivConfig");  // a loop
  fs::create_directories(home_ / "Games");
  fs::create_directory_symlink(home_ / "nowhere", home_ / "Games" / "dangling");  // leads nowhere: nothing to tell
  const fs::path lutris_game = home_ / "Games/ffxiv/drive_c/users/me/Documents" / kGameInDocuments;
  fs::create_directories(lutris_game);
  EXPECT_EQ(found(), std::vector<std::u16string>{lutris_game.u16string()});
  EXPECT_TRUE(debugger_output_has(u"game folder: cannot read " + (home_ / ".xlcore/ffxivConfig").u16string() +
                                  u", system error 40 (Too many levels of symbolic links)\r\n"));
  EXPECT_EQ(test::captured_debugger_output().size(), 1u);

  // Without rights to the prefix's users folder (root may read anything, so
  // an ordinary user looks). The child reports what it found by its exit status.
  fs::permissions(home_ / "Games/ffxiv/drive_c/users", fs::perms::none);
  for (fs::path p = dir_.path(); p != p.parent_path() && p != fs::temp_directory_path(); p = p.parent_path()) {
    fs::permissions(p, fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
    test::clear_captured_reports();
    const bool none = found().empty();
    const fs::path users = home_ / "Games/ffxiv/drive_c/users";
    const bool told = debugger_output_has(u"game folder: cannot read " + users.u16string() +
                                          u", system error 13 (Permission denied)\r\n");
    _exit(none && told ? 0 : 11);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  fs::permissions(home_ / "Games/ffxiv/drive_c/users", fs::perms::owner_all);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FakeHome, ChoiceTakesTheNewestChunk0AndNamesTheOthers) {
  const fs::path documents_game = home_ / "Documents" / kGameInDocuments;
  const fs::path xlcore = home_ / ".xlcore/ffxivConfig";
  const fs::path lutris_documents = home_ / "Games/final-fantasy-xiv-online/drive_c/users/me/Documents";

  // Nothing anywhere: the Documents folder stays, and the player is told.
  EXPECT_EQ(choose_game_user_folder(u"", test::capturing_reports()), u"");
  EXPECT_TRUE(debugger_output_has(u"no character folder in Documents or in a launcher's folders"));

  add_character(xlcore, "FFXIV_CHR0040000000000001", 1400000000);
  test::clear_captured_reports();
  EXPECT_EQ(choose_game_user_folder(u"", test::capturing_reports()), with_separator(xlcore));
  EXPECT_EQ(test::captured_debugger_output(),
            std::vector<std::u16string>{u"game folder: " + with_separator(xlcore) + u"\r\n"});

  // Lutris links its prefix's Documents to the home's: one place, found first as Documents.
  add_character(documents_game, "FFXIV_CHR0040000000000002", 1400000500);
  fs::create_directories(lutris_documents.parent_path());
  fs::create_directory_symlink(home_ / "Documents", lutris_documents);
  test::clear_captured_reports();
  EXPECT_EQ(choose_game_user_folder(u"", test::capturing_reports()),
            u"");  // the Documents game folder, as without a choice
  EXPECT_EQ(test::captured_debugger_output(),
            (std::vector<std::u16string>{
                u"game folder: " + with_separator(documents_game) + u" (its chunk file 0 is the newest)\r\n",
                u"game folder: also found " + with_separator(xlcore) + u"\r\n"}));

  // The player goes on with the other character.
  add_character(xlcore, "FFXIV_CHR0040000000000003", 1400000900);
  EXPECT_EQ(choose_game_user_folder(u"", test::capturing_reports()), with_separator(xlcore));

  // GAMEDIR is taken even when it holds nothing.
  EXPECT_EQ(choose_game_user_folder(u"/no/such/folder", test::capturing_reports()), u"/no/such/folder");
}

// Flatpak Steam keeps the game folder 161 characters below the home folder:
// with a home folder of some length, a character's folder lies deeper than
// the Windows program's buffers reach. Here nothing bounds it.
TEST_F(FakeHome, DeepFlatpakSteamCharacterIsListedAndRead) {
  const fs::path home = home_ / std::string(80, 'h');
  const fs::path game = proton_game_folder(home / ".var/app/com.valvesoftware.Steam/.local/share/Steam");
  add_character(game, "FFXIV_CHR0040000000000001", 1400000000);
  test::EnvironmentScope deep_home("HOME", home.string());
  const std::u16string chosen = choose_game_user_folder(u"", test::capturing_reports());
  ASSERT_EQ(chosen, with_separator(game));
  auto table = std::make_unique<CharacterTable>();
  enumerate_character_folders(chosen, *table);
  ASSERT_EQ(table->count, 1);
  const std::u16string character = chosen + table->names[0] + u"/";
  ASSERT_GT(character.size(), 256u);
  set_game_user_folder_override(chosen);
  EXPECT_EQ(active_character(*table), u"FFXIV_CHR0040000000000001");
  set_game_user_folder_override(u"");
  FileContents chunk;
  EXPECT_TRUE(read_whole_file(chunk_file_path(character, 0).c_str(), chunk));
}

TEST_F(FakeHome, WithoutAHomeFolderNothingIsSearched) {
  fs::create_directories(home_ / ".xlcore/ffxivConfig/FFXIV_CHR0040000000000001/log");
  test::EnvironmentScope no_home("HOME", std::nullopt);
  EXPECT_EQ(choose_game_user_folder(u"", test::capturing_reports()), u"");
  EXPECT_TRUE(test::captured_debugger_output().empty());
}

}  // namespace
}  // namespace tellwick
