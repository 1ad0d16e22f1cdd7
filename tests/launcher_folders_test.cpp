// The launchers' places in a fake home folder, one launcher at a time, and
// the choice among the places that hold characters. Runs natively and as a
// Windows program under Wine, where Steam's library list names Unix paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "gamelog/game_folder_choice.h"
#include "gamelog/launcher_folders.h"
#include "gamelog/library_folders_vdf.h"
#include "platform/file.h"
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

fs::path prefix_game_folder(const fs::path& prefix, const std::string& user, const std::string& documents) {
  return prefix / "drive_c" / "users" / user / documents / kGameInDocuments;
}

fs::path proton_game_folder(const fs::path& library, const std::string& app, const std::string& documents) {
  return prefix_game_folder(library / "steamapps" / "compatdata" / app / "pfx", "steamuser", documents);
}

std::u16string identity_of(const std::u16string& path) {
  std::u16string identity;
  EXPECT_TRUE(file_identity(path.c_str(), identity)) << fs::path(path).string();
  return identity;
}

// The places found, as the folders they reach, so that a path spelled
// through another drive under Wine compares equal.
std::vector<std::u16string> identities(const std::vector<std::u16string>& paths) {
  std::vector<std::u16string> out;
  for (const std::u16string& p : paths) out.push_back(identity_of(p));
  return out;
}

std::vector<std::u16string> identities(const std::vector<fs::path>& paths) {
  std::vector<std::u16string> out;
  for (const fs::path& p : paths) out.push_back(identity_of(p.u16string()));
  return out;
}

void write_text(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  test::write_bytes(file, std::vector<unsigned char>(text.begin(), text.end()));
}

std::string library_list(const std::vector<std::string>& unix_paths) {
  std::string text = "\"libraryfolders\"\n{\n";
  for (std::size_t i = 0; i < unix_paths.size(); ++i) {
    text += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + unix_paths[i] + "\"\n\t}\n";
  }
  return text + "}\n";
}

bool debugger_output_has(const std::u16string& part) {
  for (const std::u16string& text : test::captured_debugger_output()) {
    if (text.find(part) != std::u16string::npos) return true;
  }
  return false;
}

class LauncherFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = dir_.path() / "home";
    fs::create_directories(home_);
    test::clear_captured_reports();
  }

  std::vector<std::u16string> found() { return launcher_game_folders(home_.u16string(), test::capturing_reports()); }

  TempDir dir_;
  fs::path home_;
};

TEST_F(LauncherFolders, NothingInAnEmptyHome) {
  EXPECT_TRUE(found().empty());
  EXPECT_TRUE(test::captured_debugger_output().empty());
}

TEST_F(LauncherFolders, XivLauncherCoreKeepsTheFolderItGivesTheGame) {
  const std::vector<fs::path> places = {
      home_ / ".xlcore" / "ffxivConfig",
      home_ / ".var" / "app" / "dev.goats.xivlauncher" / ".xlcore" / "ffxivConfig",
      home_ / ".local" / "share" / "xlcore" / "ffxivConfig",
  };
  for (const fs::path& place : places) fs::create_directories(place);
  // Its Wine prefix is not where the game writes its logs.
  fs::create_directories(prefix_game_folder(home_ / ".xlcore" / "wineprefix", "user", "Documents"));
  EXPECT_EQ(identities(found()), identities(places));
}

TEST_F(LauncherFolders, SteamProtonPrefixesInEveryLibraryOnce) {
  const fs::path steam = home_ / ".local" / "share" / "Steam";
  const fs::path flatpak_steam = home_ / ".var" / "app" / "com.valvesoftware.Steam" / ".local" / "share" / "Steam";
  const fs::path sd_card = dir_.path() / "run" / "media" / "mmcblk0p1" / "SteamLibrary";
  const std::vector<fs::path> places = {
      proton_game_folder(steam, "39210", "Documents"),
      proton_game_folder(sd_card, "39210", "Documents"),
      proton_game_folder(sd_card, "312060", "My Documents"),
      proton_game_folder(flatpak_steam, "312060", "Documents"),
  };
  for (const fs::path& place : places) fs::create_directories(place);
  fs::create_directories(steam / "steamapps" / "compatdata" / "228980" / "pfx");  // another game's prefix
  // The list names the installation itself, the card, a library that is gone and a relative path.
  write_text(steam / "steamapps" / "libraryfolders.vdf",
             library_list({test::unix_path_of(steam), test::unix_path_of(sd_card),
                           test::unix_path_of(dir_.path() / "gone"), "relative/SteamLibrary"}));
  EXPECT_EQ(identities(found()), identities(places));
  EXPECT_TRUE(test::captured_debugger_output().empty());
}

TEST_F(LauncherFolders, LutrisPrefixesOfAnyNameAndUser) {
  const std::vector<fs::path> places = {
      prefix_game_folder(home_ / "Games" / "final-fantasy-xiv-online", "alice", "Documents"),
      prefix_game_folder(home_ / "Games" / "ffxiv", "bob", "My Documents"),
  };
  for (const fs::path& place : places) fs::create_directories(place);
  fs::create_directories(home_ / "Games" / "final-fantasy-xiv-online" / "drive_c" / "users" / "Public");
  fs::create_directories(home_ / "Games" / "some-other-game");
  write_text(home_ / "Games" / "notes.txt", "not a prefix");
  std::vector<std::u16string> got = identities(found());
  std::vector<std::u16string> expected = identities(places);
  std::sort(got.begin(), got.end());  // prefixes and users come in listing order
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(got, expected);
}

TEST_F(LauncherFolders, AnUnusableLibraryListIsToldAndTheInstallationStillSearched) {
  const fs::path steam = home_ / ".local" / "share" / "Steam";
  const fs::path place = proton_game_folder(steam, "39210", "Documents");
  fs::create_directories(place);
  const fs::path list = steam / "steamapps" / "libraryfolders.vdf";
  struct Case {
    const char* what;
    std::string text;  // empty: the list is a folder
    std::u16string told;
  } cases[] = {
      {"malformed", "\"libraryfolders\" { \"0\" { \"path\" \"/home", u"is not a well-formed list of Steam libraries"},
      {"too large", "\"libraryfolders\" { }" + std::string(kLibraryFoldersMaxBytes, ' '),
       u"is too large for a list of Steam libraries"},
      {"a folder", "", u"cannot be read (a folder)"},
  };
  for (const Case& c : cases) {
    fs::remove_all(list);
    if (c.text.empty()) {
      fs::create_directories(list);
    } else {
      write_text(list, c.text);
    }
    test::clear_captured_reports();
    EXPECT_EQ(identities(found()), identities(std::vector<fs::path>{place})) << c.what;
    EXPECT_TRUE(debugger_output_has(u"libraryfolders.vdf " + c.told)) << c.what;
  }
}

// The folders of a listing in the order the system lists them.
std::vector<std::u16string> listed_folders(const fs::path& folder) {
  std::vector<DirectoryEntry> entries;
  EXPECT_TRUE(list_directory(folder.u16string().c_str(), entries));
  std::vector<std::u16string> names;
  for (const DirectoryEntry& e : entries) {
    if (e.is_directory && e.name != u"." && e.name != u"..") names.push_back(e.name);
  }
  return names;
}

std::u16string decimal(std::size_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

std::size_t debugger_output_count(const std::u16string& part) {
  return std::count_if(test::captured_debugger_output().begin(), test::captured_debugger_output().end(),
                       [&](const std::u16string& text) { return text.find(part) != std::u16string::npos; });
}

// Only what the search looks for counts toward its bounds, wherever the
// system lists it; a search that a bound cuts says so.
constexpr std::size_t kLutrisPrefixBound = 256;
constexpr std::size_t kPrefixUserBound = 64;
constexpr std::size_t kListedLibraryBound = 64;

TEST_F(LauncherFolders, LutrisPrefixLateInAFullGamesFolderIsFound) {
  constexpr int kGames = 400;
  const fs::path games = home_ / "Games";
  for (int i = 0; i < kGames; ++i) fs::create_directories(games / ("game-" + std::to_string(i)));
  // The prefix is the folder the system lists well past the first 256.
  const std::vector<std::u16string> listed = listed_folders(games);
  ASSERT_EQ(listed.size(), static_cast<std::size_t>(kGames));
  const fs::path place = prefix_game_folder(games / listed[333], "me", "Documents");
  fs::create_directories(place);
  EXPECT_EQ(identities(found()), identities(std::vector<fs::path>{place}));
  EXPECT_TRUE(test::captured_debugger_output().empty());
}

TEST_F(LauncherFolders, TooManyLutrisPrefixesAreToldAndTheFirstSearched) {
  const fs::path games = home_ / "Games";
  for (std::size_t i = 0; i <= kLutrisPrefixBound; ++i)
    fs::create_directories(games / ("prefix-" + std::to_string(i)) / "drive_c" / "users");
  // The game in the prefix listed last of all prefixes: past the bound.
  const std::vector<std::u16string> prefixes = listed_folders(games);
  ASSERT_EQ(prefixes.size(), kLutrisPrefixBound + 1);
  const fs::path within = prefix_game_folder(games / prefixes[kLutrisPrefixBound - 1], "me", "Documents");
  fs::create_directories(within);
  fs::create_directories(prefix_game_folder(games / prefixes[kLutrisPrefixBound], "me", "Documents"));
  EXPECT_EQ(identities(found()), identities(std::vector<fs::path>{within}));
  EXPECT_EQ(test::captured_debugger_output(),
            std::vector<std::u16string>{u"game folder: " + games.u16string() + u" holds more than " +
                                        decimal(kLutrisPrefixBound) + u" Wine prefixes; only the first " +
                                        decimal(kLutrisPrefixBound) + u" are searched\r\n"});
}

TEST_F(LauncherFolders, OnlyUsersWithAGameFolderCountTowardTheBound) {
  const fs::path prefix = home_ / "Games" / "ffxiv";
  const fs::path users = prefix / "drive_c" / "users";
  for (std::size_t i = 0; i < 2 * kPrefixUserBound; ++i)
    fs::create_directories(users / ("nobody-" + std::to_string(i)));
  std::vector<fs::path> places;
  for (std::size_t i = 0; i < kPrefixUserBound; ++i) {
    places.push_back(prefix_game_folder(prefix, "player-" + std::to_string(i), "Documents"));
    fs::create_directories(places.back());
  }
  std::vector<std::u16string> got = identities(found());
  std::vector<std::u16string> expected = identities(places);
  std::sort(got.begin(), got.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(test::captured_debugger_output().empty());

  // One more user with a game folder: the bound cuts the search, and says so.
  fs::create_directories(prefix_game_folder(prefix, "player-last", "My Documents"));
  test::clear_captured_reports();
  EXPECT_EQ(found().size(), kPrefixUserBound);
  EXPECT_EQ(test::captured_debugger_output(),
            std::vector<std::u16string>{u"game folder: " + users.u16string() + u" holds more than " +
                                        decimal(kPrefixUserBound) + u" users with a game folder; only the first " +
                                        decimal(kPrefixUserBound) + u" are searched\r\n"});
}

TEST_F(LauncherFolders, OnlyListedLibrariesThatAreThereCountTowardTheBound) {
  const fs::path steam = home_ / ".local" / "share" / "Steam";
  fs::create_directories(steam / "steamapps");
  std::vector<std::string> listed;
  // Libraries that are gone (a card taken out, a drive sold) come first.
  for (std::size_t i = 0; i < 2 * kListedLibraryBound; ++i) {
    listed.push_back(test::unix_path_of(dir_.path()) + "/gone-" + std::to_string(i));
  }
  std::vector<fs::path> places;
  for (std::size_t i = 0; i < kListedLibraryBound; ++i) {
    const fs::path library = dir_.path() / ("library-" + std::to_string(i));
    places.push_back(proton_game_folder(library, "39210", "Documents"));
    fs::create_directories(places.back());
    listed.push_back(test::unix_path_of(library));
  }
  const fs::path list = steam / "steamapps" / "libraryfolders.vdf";
  write_text(list, library_list(listed));
  EXPECT_EQ(identities(found()), identities(places));
  EXPECT_TRUE(test::captured_debugger_output().empty());

  // One more library that is there: past the bound, and told.
  const fs::path last = dir_.path() / "library-last";
  fs::create_directories(proton_game_folder(last, "39210", "Documents"));
  listed.push_back(test::unix_path_of(last));
  write_text(list, library_list(listed));
  test::clear_captured_reports();
  EXPECT_EQ(identities(found()), identities(places));
  EXPECT_EQ(debugger_output_count(u"game folder: "), 1u);
  EXPECT_TRUE(debugger_output_has(u"libraryfolders.vdf lists more than " + decimal(kListedLibraryBound) +
                                  u" Steam libraries that are there; only the first " + decimal(kListedLibraryBound) +
                                  u" are searched\r\n"));
}

class GameFolderChoice : public ::testing::Test {
 protected:
  // A game folder with one character whose chunk 0 was written at `unix_time`
  // (none: the character has no chunk 0 yet).
  fs::path game_folder(const std::string& name, std::int64_t unix_time) {
    const fs::path folder = dir_.path() / name;
    const fs::path character = folder / ("FFXIV_CHR00400000000" + std::to_string(++characters_));
    if (unix_time > 0) {
      test::write_chunk(character, 0, test::chunk_bytes(0, {{0x5316F48C, 0x000A, ":A B:hi"}}),
                        test::file_time_of_unix(unix_time));
    } else {
      fs::create_directories(character / "log");
    }
    return folder;
  }

  TempDir dir_;
  int characters_ = 0;
};

TEST_F(GameFolderChoice, OnlyFoldersWithACharacterCountEachOnce) {
  const fs::path older = game_folder("older", 1400000000);
  const fs::path without_chunk0 = game_folder("without_chunk0", 0);
  const fs::path newer = game_folder("newer", 1400000100);
  fs::create_directories(dir_.path() / "no_character" / "FFXIV_CHR_no_log");
  fs::create_directories(dir_.path() / "only_zeros" / "00000000" / "log");
  const std::vector<GameFolderPlace> places = places_with_characters({
      older.u16string(), (dir_.path() / "missing").u16string(), (dir_.path() / "no_character").u16string(),
      (dir_.path() / "only_zeros").u16string(), without_chunk0.u16string(), newer.u16string(),
      (older / "").u16string(),  // the same folder again, spelt with a final separator
  });
  ASSERT_EQ(places.size(), 3u);
  EXPECT_EQ(identity_of(places[0].folder), identity_of(older.u16string()));
  EXPECT_EQ(places[0].newest_chunk0, test::file_time_of_unix(1400000000));
  EXPECT_EQ(places[1].newest_chunk0, 0u);
  EXPECT_EQ(places[2].newest_chunk0, test::file_time_of_unix(1400000100));
  // Every place ends in a separator, as a game user folder does.
  for (const GameFolderPlace& place : places) EXPECT_TRUE(place.folder.back() == u'/' || place.folder.back() == u'\\');
  EXPECT_EQ(newest_place(places), 2u);
}

TEST_F(GameFolderChoice, NewestChunk0WinsAndTheEarlierPlaceATie) {
  struct Case {
    std::vector<FileTime> times;
    std::size_t chosen;
  } cases[] = {
      {{5}, 0}, {{5, 9, 7}, 1}, {{9, 9}, 0}, {{0, 0, 0}, 0}, {{3, 0, 3, 4}, 3},
  };
  for (const Case& c : cases) {
    std::vector<GameFolderPlace> places;
    for (FileTime t : c.times) places.push_back({u"x", t});
    EXPECT_EQ(newest_place(places), c.chosen);
  }
}

TEST_F(GameFolderChoice, GameDirSettingIsTakenAsItStands) {
  test::clear_captured_reports();
  for (const std::u16string& configured : {std::u16string(u"D:\\games\\ffxiv"), std::u16string(u"/nowhere/at/all/")}) {
    EXPECT_EQ(choose_game_user_folder(configured, test::capturing_reports()), configured);
    EXPECT_TRUE(debugger_output_has(u"game folder: " + configured + u" (GAMEDIR)"));
  }
}

}  // namespace
}  // namespace tellwick
