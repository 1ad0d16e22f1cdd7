#include "gamelog/launcher_folders.h"

#include <cstdint>

#include "gamelog/library_folders_vdf.h"
#include "platform/file.h"
#include "platform/file_probe.h"
#include "platform/path.h"
#include "platform/system_error.h"
#include "platform/unix_host.h"
#include "report/report.h"

namespace tellwick {
namespace {

constexpr const char16_t* kXivLauncherFolders[] = {
    u".xlcore/ffxivConfig",
    u".var/app/dev.goats.xivlauncher/.xlcore/ffxivConfig",
    u".local/share/xlcore/ffxivConfig",
};
constexpr const char16_t* kSteamInstallations[] = {
    u".local/share/Steam",
    u".steam/steam",
    u".var/app/com.valvesoftware.Steam/.local/share/Steam",
};
constexpr const char16_t* kSteamApps[] = {u"39210", u"312060"};  // the game, its free trial
constexpr const char16_t kLibraryList[] = u"steamapps/libraryfolders.vdf";
constexpr const char16_t kProtonUser[] = u"steamuser";
constexpr const char16_t kLutrisGames[] = u"Games";
constexpr const char16_t* kPrefixDocuments[] = {u"Documents", u"My Documents"};
constexpr const char16_t kGameFolderInDocuments[] = u"My Games/FINAL FANTASY XIV - A Realm Reborn";

// Bounds on what one home folder can make the search look at. Only what is
// looked for counts toward them, so that other folders, however many and
// wherever they are listed, never push a game folder out: folders under
// Games that hold drive_c/users (Wine prefixes), users of a prefix that hold
// a game folder, libraries of a Steam library list that are there. Where a
// bound cuts the search, the player is told.
constexpr std::size_t kMaxLutrisPrefixes = 256;
constexpr std::size_t kMaxPrefixUsers = 64;
constexpr std::size_t kMaxListedLibraries = 64;  // of each library list

// a + separator + b; the relative part is written with "/" and takes the
// system's separator here.
std::u16string join(const std::u16string& folder, const std::u16string& relative) {
  std::u16string path = folder;
  if (!path.empty() && !is_path_separator(path.back())) path += kPathSeparator;
  for (char16_t c : relative) path += c == u'/' ? kPathSeparator : c;
  return path;
}

void tell(const ReportSink& report, const std::u16string& text) {
  report_diagnostic(report, (u"game folder: " + text + u"\r\n").c_str());
}

std::u16string decimal(std::size_t n) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
    n /= 10;
  } while (n != 0);
  return digits;
}

// A bound stopped the search in `folder`: what it passed over may hold the
// game folder the player looks for.
void tell_cut(const ReportSink& report, const std::u16string& folder, const std::u16string& holds, std::size_t limit,
              const std::u16string& what) {
  tell(report, folder + u" " + holds + u" more than " + decimal(limit) + u" " + what + u"; only the first " +
                   decimal(limit) + u" are searched");
}

// A system call just failed on `path`: what it was, and the system's reason.
void tell_failed(const ReportSink& report, const std::u16string& what) {
  const std::u16string reason = system_error_text(last_system_error());
  tell(report, what + u", " + reason);
}

// A folder to look into: there and listable. One that is there but out of
// reach is told, since the player may expect the game to be found there.
bool can_list(const std::u16string& folder, const ReportSink& report) {
  switch (folder_access(folder.c_str())) {
    case FolderAccess::kListable: return true;
    case FolderAccess::kUnreadable: tell_failed(report, u"cannot read " + folder); return false;
    default: return false;
  }
}

// Each folder once, however many routes lead to it.
struct VisitedFolders {
  std::vector<std::u16string> identities;

  // False for a folder visited before, or one that cannot be examined;
  // otherwise `identity` is what visit() takes.
  bool is_new(const std::u16string& folder, std::u16string& identity) const {
    if (!file_identity(folder.c_str(), identity)) return false;
    for (const std::u16string& seen : identities) {
      if (seen == identity) return false;
    }
    return true;
  }
  void visit(std::u16string identity) { identities.push_back(std::move(identity)); }

  bool first_visit(const std::u16string& folder) {
    std::u16string identity;
    if (!is_new(folder, identity)) return false;
    visit(std::move(identity));
    return true;
  }
};

std::vector<std::u16string> subfolder_names(const std::u16string& folder) {
  std::vector<std::u16string> names;
  std::vector<DirectoryEntry> entries;
  if (!list_directory(folder.c_str(), entries)) return names;
  for (const DirectoryEntry& entry : entries) {
    if (entry.is_directory && !entry.name.empty() && entry.name[0] != u'.') names.push_back(entry.name);
  }
  return names;
}

// The game folders a Wine prefix's user has.
std::vector<std::u16string> prefix_user_game_folders(const std::u16string& user_folder, const ReportSink& report) {
  std::vector<std::u16string> folders;
  for (const char16_t* documents : kPrefixDocuments) {
    const std::u16string folder = join(join(user_folder, documents), kGameFolderInDocuments);
    if (can_list(folder, report)) folders.push_back(folder);
  }
  return folders;
}

// The game folders of every user of a Wine prefix (its drive_c/users), up to
// the bound on users that have one.
void add_prefix_users(const std::u16string& users, std::vector<std::u16string>& found, const ReportSink& report) {
  std::size_t users_with_game = 0;
  for (const std::u16string& user : subfolder_names(users)) {
    std::vector<std::u16string> folders = prefix_user_game_folders(join(users, user), report);
    if (folders.empty()) continue;
    if (users_with_game == kMaxPrefixUsers) {
      tell_cut(report, users, u"holds", kMaxPrefixUsers, u"users with a game folder");
      return;
    }
    ++users_with_game;
    for (std::u16string& folder : folders) found.push_back(std::move(folder));
  }
}

// The libraries a Steam installation's library list names; a list that is
// there but unusable is told and contributes nothing.
std::vector<std::u16string> listed_libraries(const std::u16string& installation, const ReportSink& report) {
  std::vector<std::u16string> libraries;
  const std::u16string list = join(installation, kLibraryList);
  const FolderAccess access = folder_access(list.c_str());
  if (access == FolderAccess::kMissing) return libraries;
  std::uint64_t size = 0;
  if (access == FolderAccess::kListable) {
    tell(report, list + u" cannot be read (a folder)");
    return libraries;
  }
  if (access != FolderAccess::kNotAFolder || !file_size(list.c_str(), size)) {
    tell_failed(report, list + u" cannot be read");
    return libraries;
  }
  if (size > kLibraryFoldersMaxBytes) {
    tell(report, list + u" is too large for a list of Steam libraries");
    return libraries;
  }
  FileContents contents;
  if (!read_whole_file(list.c_str(), contents)) {
    tell_failed(report, list + u" cannot be read");
    return libraries;
  }
  std::vector<std::string> paths;
  if (!read_library_folders(contents.data.get(), contents.size, paths)) {
    tell(report, list + u" is not a well-formed list of Steam libraries");
    return libraries;
  }
  for (const std::string& path : paths) {
    std::u16string library;
    if (program_path_from_unix(path, library)) libraries.push_back(library);
  }
  return libraries;
}

void add_steam(const std::u16string& home, std::vector<std::u16string>& found, const ReportSink& report) {
  VisitedFolders visited;
  std::vector<std::u16string> libraries;
  for (const char16_t* installation : kSteamInstallations) {
    const std::u16string root = join(home, installation);
    if (!can_list(root, report) || !visited.first_visit(root)) continue;
    libraries.push_back(root);
    std::size_t listed = 0;
    for (const std::u16string& library : listed_libraries(root, report)) {
      std::u16string identity;
      if (!can_list(library, report) || !visited.is_new(library, identity)) continue;
      if (listed == kMaxListedLibraries) {
        tell_cut(report, join(root, kLibraryList), u"lists", kMaxListedLibraries, u"Steam libraries that are there");
        break;
      }
      ++listed;
      visited.visit(std::move(identity));
      libraries.push_back(library);
    }
  }
  for (const std::u16string& library : libraries) {
    for (const char16_t* app : kSteamApps) {
      const std::u16string users = join(join(join(library, u"steamapps/compatdata"), app), u"pfx/drive_c/users");
      for (std::u16string& folder : prefix_user_game_folders(join(users, kProtonUser), report))
        found.push_back(std::move(folder));
    }
  }
}

void add_lutris(const std::u16string& home, std::vector<std::u16string>& found, const ReportSink& report) {
  const std::u16string games = join(home, kLutrisGames);
  if (!can_list(games, report)) return;
  std::size_t prefixes = 0;
  for (const std::u16string& prefix : subfolder_names(games)) {
    const std::u16string users = join(join(games, prefix), u"drive_c/users");
    // Most folders under Games are no Wine prefix at all: nothing to tell,
    // and nothing that counts toward the bound.
    const FolderAccess access = folder_access(users.c_str());
    if (access == FolderAccess::kMissing || access == FolderAccess::kNotAFolder) continue;
    if (prefixes == kMaxLutrisPrefixes) {
      tell_cut(report, games, u"holds", kMaxLutrisPrefixes, u"Wine prefixes");
      return;
    }
    ++prefixes;
    if (can_list(users, report)) add_prefix_users(users, found, report);
  }
}

}  // namespace

std::vector<std::u16string> launcher_game_folders(const std::u16string& home, const ReportSink& report) {
  std::vector<std::u16string> found;
  for (const char16_t* folder : kXivLauncherFolders) {
    const std::u16string path = join(home, folder);
    if (can_list(path, report)) found.push_back(path);
  }
  add_steam(home, found, report);
  add_lutris(home, found, report);
  return found;
}

}  // namespace tellwick
