// Steam's library list as Steam writes it, in its older layout, and as a
// hostile file might be: the reader takes the library paths or nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gamelog/library_folders_vdf.h"

namespace tellwick {
namespace {

bool read(const std::string& text, std::vector<std::string>& paths) {
  return read_library_folders(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), paths);
}

// As a Steam Deck with an SD card writes it.
const std::string kSteamDeckList = R"("libraryfolders"
{
	"0"
	{
		"path"		"/home/deck/.local/share/Steam"
		"label"		""
		"contentid"		"4117224325837431466"
		"totalsize"		"0"
		"apps"
		{
			"39210"		"84313116731"
			"228980"		"342335412"
		}
	}
	"1"
	{
		"path"		"/run/media/mmcblk0p1"
		"label"		""
		"apps"
		{
			"312060"		"1000"
		}
	}
}
)";

TEST(LibraryFoldersVdf, ReadsTheLibrariesOfEachLayout) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> paths;
  } cases[] = {
      // clang-format off
      {"today's layout", kSteamDeckList, {"/home/deck/.local/share/Steam", "/run/media/mmcblk0p1"}},
      {"older layout", "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n"
                       "\t\"ContentStatsID\"\t\t\"-123\"\n\t\"1\"\t\t\"/mnt/games/SteamLibrary\"\n}\n",
       {"/mnt/games/SteamLibrary"}},
      {"escapes undone, others kept",
       R"("libraryfolders" { "0" { "path" "/a \"b\"\\c\d" } })", {"/a \"b\"\\c\\d"}},
      {"comments, unquoted words and conditions",
       "// written by hand\nlibraryfolders { 0 { path /srv/steam [$LINUX] label x } }", {"/srv/steam"}},
      {"key names without regard to case", R"("LIBRARYFOLDERS" { "2" { "Path" "/x" } })", {"/x"}},
      {"a path key elsewhere is no library",
       R"("libraryfolders" { "0" { "apps" { "path" "/no" } } "x" { "path" "/no" } } "other" { "1" "/no" })", {}},
      {"an empty path is left out", R"("libraryfolders" { "0" { "path" "" } "1" { "path" "/y" } })", {"/y"}},
      {"empty file", "", {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    std::vector<std::string> paths = {"stale"};
    EXPECT_TRUE(read(c.text, paths)) << c.what;
    EXPECT_EQ(paths, c.paths) << c.what;
  }
}

TEST(LibraryFoldersVdf, MalformedTextGivesNothing) {
  const std::string deep = std::string("\"libraryfolders\" {") + [] {
    std::string nested;
    for (int i = 0; i < kLibraryFoldersMaxDepth; ++i) nested += " \"k\" {";
    return nested;
  }();
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"unterminated string", R"("libraryfolders" { "0" { "path" "/home/deck)"},
      {"unterminated block", R"("libraryfolders" { "0" { "path" "/x" })"},
      {"one close too many", R"("libraryfolders" { "0" { "path" "/x" } } })"},
      {"a key without a value", R"("libraryfolders" { "0" { "path" } })"},
      {"a block without a key", R"({ "0" { "path" "/x" } })"},
      {"a final backslash", "\"libraryfolders\" { \"0\" { \"path\" \"/x\\"},
      {"nested deeper than the limit", deep + " \"path\" \"/x\""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> paths;
    EXPECT_FALSE(read(c.text, paths)) << c.what;
    EXPECT_TRUE(paths.empty()) << c.what;
  }
}

TEST(LibraryFoldersVdf, LimitsHold) {
  // Nesting up to the limit is fine.
  std::string nested = "\"libraryfolders\" { \"0\" { \"path\" \"/ok\" ";
  for (int i = 2; i < kLibraryFoldersMaxDepth; ++i) nested += "\"k\" { ";
  for (int i = 0; i < kLibraryFoldersMaxDepth; ++i) nested += "} ";
  std::vector<std::string> paths;
  EXPECT_TRUE(read(nested, paths));
  EXPECT_EQ(paths, std::vector<std::string>{"/ok"});

  // Paths beyond their length are left out; every other library is kept,
  // however many the list names (which of them are there, only the search can tell).
  constexpr std::size_t kManyLibraries = 1000;
  std::string many = "\"libraryfolders\" {";
  many += " \"0\" { \"path\" \"/" + std::string(kLibraryPathMaxBytes, 'p') + "\" }";
  for (std::size_t i = 1; i <= kManyLibraries; ++i) {
    many += " \"" + std::to_string(i) + "\" { \"path\" \"/lib" + std::to_string(i) + "\" }";
  }
  many += " }";
  ASSERT_TRUE(read(many, paths));
  ASSERT_EQ(paths.size(), kManyLibraries);
  EXPECT_EQ(paths.front(), "/lib1");
  EXPECT_EQ(paths.back(), "/lib" + std::to_string(kManyLibraries));

  // A file above the size limit is not read at all, even a well-formed one.
  std::string large = kSteamDeckList + "//" + std::string(kLibraryFoldersMaxBytes, ' ');
  EXPECT_FALSE(read(large, paths));
  EXPECT_TRUE(paths.empty());
}

}  // namespace
}  // namespace tellwick
