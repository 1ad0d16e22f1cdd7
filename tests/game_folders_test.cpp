// The game's folders in a temporary game user folder: which subfolders are
// characters, which character is active, and how the paths are spelled.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gamelog/game_folders.h"
#include "platform/path.h"
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

const std::u16string kSep(1, kPathSeparator);

// Points the program at a test's game user folder for as long as it lives.
struct FolderOverride {
  explicit FolderOverride(const std::u16string& folder) { set_game_user_folder_override(folder); }
  ~FolderOverride() { set_game_user_folder_override(u""); }
};

void make_character(const fs::path& game_folder, const fs::path& name) {
  fs::create_directories(game_folder / name / "log");
}

std::vector<std::u16string> table_names() {
  const CharacterTable& table = character_table();
  return {table.names, table.names + table.count};
}

// The folders of the listing whose names are in `wanted`, in listing order.
std::vector<std::u16string> in_listing_order(const fs::path& folder, const std::vector<std::u16string>& wanted) {
  std::vector<DirectoryEntry> entries;
  EXPECT_TRUE(list_directory(folder.u16string().c_str(), entries));
  std::vector<std::u16string> names;
  for (const DirectoryEntry& e : entries) {
    if (std::find(wanted.begin(), wanted.end(), e.name) != wanted.end()) names.push_back(e.name);
  }
  return names;
}

// Every slot from `from` on holds nothing but zeros.
bool slots_empty_from(int from) {
  const CharacterTable& table = character_table();
  for (int i = from; i < kCharacterTableSlots; ++i) {
    for (char16_t c : table.names[i]) {
      if (c != 0) return false;
    }
  }
  return true;
}

TEST(GameFolders, GameUserFolderIsUnderDocuments) {
  std::u16string documents;
  ASSERT_TRUE(documents_folder(documents));
  const std::u16string folder = documents + kSep + u"My Games" + kSep + u"FINAL FANTASY XIV - A Realm Reborn" + kSep;
  EXPECT_EQ(game_user_folder_path(), folder);
  EXPECT_EQ(game_user_folder_path(u""), folder);
  EXPECT_EQ(game_user_folder_path(u"FFXIV_CHR0040000000000001"), folder + u"FFXIV_CHR0040000000000001" + kSep);
}

TEST(GameFolders, OverrideEndsInASeparatorEitherWay) {
  TempDir dir;
  const std::u16string base = dir.path().u16string();
  for (const std::u16string& given : {base, base + kSep}) {
    FolderOverride override_folder(given);
    EXPECT_EQ(game_user_folder_path(), base + kSep);
    EXPECT_EQ(game_user_folder_path(u"Abc"), base + kSep + u"Abc" + kSep);
  }
  std::u16string documents;
  ASSERT_TRUE(documents_folder(documents));
  EXPECT_EQ(game_user_folder_path().rfind(documents, 0), 0u);  // an empty override restores the normal folder
}

TEST(GameFolders, ChunkFilePath) {
  struct Case {
    std::uint32_t index;
    std::u16string name;
    // clang-format off
  } cases[] = {
      {0, u"00000000.log"},
      {1, u"00000001.log"},
      {26, u"0000001a.log"},
      {255, u"000000ff.log"},
      {0x12ABCDEF, u"12abcdef.log"},
      {0xFFFFFFFF, u"ffffffff.log"},
  };
  // clang-format on
  const std::u16string character = kSep + u"games" + kSep + u"FFXIV_CHR0040000000000001" + kSep;
  for (const Case& c : cases) {
    EXPECT_EQ(chunk_file_path(character, c.index), character + u"log" + kSep + c.name) << c.index;
  }
}

TEST(GameFolders, OnlyFoldersWithALogFolderAreCharacters) {
  TempDir dir;
  const fs::path game = dir.path();
  make_character(game, "FFXIV_CHR0040000000000001");
  make_character(game, "Second");
  make_character(game, "0000000");    // seven zeros
  make_character(game, "000000000");  // nine zeros
  make_character(game, "00000000");   // the game's own folder, even with a log folder
  make_character(game, ".hidden");
  fs::create_directories(game / "NoLog" / "other");
  fs::create_directories(game / "LogIsAFile");
  test::write_bytes(game / "LogIsAFile" / "log", {});
  test::write_bytes(game / "plain.txt", {'x'});
  test::write_bytes(game / "FFXIV_CHR0040000000000002", {});  // a file, whatever its name
  const std::vector<std::u16string> characters = {u"FFXIV_CHR0040000000000001", u"Second", u"0000000", u"000000000"};

  enumerate_character_folders(game.u16string() + kSep, character_table());
  EXPECT_EQ(table_names(), in_listing_order(game, characters));
  EXPECT_TRUE(slots_empty_from(character_table().count));
}

TEST(GameFolders, MissingGameFolderEmptiesTheTable) {
  TempDir dir;
  make_character(dir.path(), "FFXIV_CHR0040000000000001");
  const std::u16string game = dir.path().u16string() + kSep;
  FolderOverride override_folder(game);
  enumerate_character_folders(game, character_table());
  ASSERT_EQ(character_table().count, 1);

  const std::u16string missing = dir.file("missing") + kSep;
  enumerate_character_folders(missing, character_table());
  EXPECT_EQ(character_table().count, 0);
  EXPECT_TRUE(slots_empty_from(0));
  {
    FolderOverride missing_folder(missing);
    EXPECT_EQ(active_character(character_table()), u"");
  }
}

TEST(GameFolders, TableHoldsTheFirst256Characters) {
  constexpr int kFolders = kCharacterTableSlots + 44;
  TempDir dir;
  std::vector<std::u16string> all;
  for (int i = 0; i < kFolders; ++i) {
    const std::string name = std::string("FFXIV_CHR") + std::to_string(1000 + i);
    make_character(dir.path(), name);
    all.push_back(fs::path(name).u16string());
  }
  enumerate_character_folders(dir.path().u16string() + kSep, character_table());
  std::vector<std::u16string> expected = in_listing_order(dir.path(), all);
  expected.resize(kCharacterTableSlots);
  EXPECT_EQ(table_names(), expected);
}

TEST(GameFolders, NamesThatFitNoSlotAreSkipped) {
  TempDir dir;
  const std::u16string longest(kCharacterNameMax, u'L');
  const std::u16string too_long(kCharacterNameMax + 1, u'T');
  make_character(dir.path(), longest);
  make_character(dir.path(), too_long);
  enumerate_character_folders(dir.path().u16string() + kSep, character_table());
  ASSERT_EQ(table_names(), std::vector<std::u16string>{longest});
  EXPECT_EQ(character_table().names[0][kCharacterNameMax], u'\0');
}

// The Windows program tests "folder + name + separator + log" in a buffer of
// 255 characters and a terminator, and skips a longer one; the POSIX build
// has no such buffer and takes folders at any depth.
TEST(GameFolders, LogPathsBeyondWindowsBuffersCountOnlyOutsideWindows) {
  constexpr std::size_t kLongestLogPath = 255;
  constexpr std::size_t kGameFolderLength = 221;  // leaves 30 characters for a name
  TempDir dir;
  const std::size_t base = dir.path().u16string().size() + 1;
  ASSERT_LT(base + 1, kGameFolderLength);
  const fs::path game = dir.path() / std::string(kGameFolderLength - base - 1, 'g');
  ASSERT_EQ(game.u16string().size() + 1, kGameFolderLength);
  const std::u16string fits(kLongestLogPath - kGameFolderLength - 4, u'F');
  const std::u16string one_over(fits.size() + 1, u'O');
  make_character(game, fits);
  make_character(game, one_over);
  enumerate_character_folders(game.u16string() + kSep, character_table());
  const std::vector<std::u16string> expected =
      kFixedPathBuffers ? std::vector<std::u16string>{fits} : in_listing_order(game, {fits, one_over});
  EXPECT_EQ(table_names(), expected);
}

// The character whose chunk 0 was written last; the later table entry wins
// a tie, and a character without chunk 0 counts with the time 0.
TEST(GameFolders, ActiveCharacter) {
  struct Case {
    std::vector<std::int64_t> times;  // chunk 0 times by table entry; 0: no chunk 0
    int active;                       // table entry
  } cases[] = {
      {{1402567200}, 0},
      {{0}, 0},
      {{1402567200, 1402567300, 1402567250}, 1},
      {{1402567300, 1402567300, 1402567200}, 1},
      {{1402567200, 1402567200, 1402567200}, 2},
      {{1402567300, 0, 0}, 0},
      {{0, 1402567200, 0}, 1},
      {{0, 0, 0}, 2},
  };
  const char* const kNames[] = {"Alpha", "Beta", "Gamma"};
  for (const Case& c : cases) {
    ASSERT_LE(c.times.size(), std::size(kNames));
    TempDir dir;
    for (std::size_t i = 0; i < c.times.size(); ++i) make_character(dir.path(), kNames[i]);
    const std::u16string game = dir.path().u16string() + kSep;
    FolderOverride override_folder(game);
    enumerate_character_folders(game_user_folder_path(), character_table());
    ASSERT_EQ(character_table().count, static_cast<int>(c.times.size()));
    // Times go to table entries, whatever order the system lists the folders in.
    for (std::size_t i = 0; i < c.times.size(); ++i) {
      if (c.times[i] == 0) continue;
      const fs::path chunk = chunk_file_path(game_user_folder_path(character_table().names[i]), 0);
      test::write_bytes(chunk, {});
      ASSERT_TRUE(test::set_write_time(chunk, c.times[i]));
    }
    EXPECT_EQ(active_character(character_table()), character_table().names[c.active])
        << "case with active entry " << c.active;
  }
}

TEST(GameFolders, NoActiveCharacterWithAnEmptyTable) {
  TempDir dir;
  FolderOverride override_folder(dir.path().u16string());
  enumerate_character_folders(game_user_folder_path(), character_table());
  EXPECT_EQ(character_table().count, 0);
  EXPECT_EQ(active_character(character_table()), u"");
}

}  // namespace
}  // namespace tellwick
