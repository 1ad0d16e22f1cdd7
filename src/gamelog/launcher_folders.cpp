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

// Bounds on what one home folder can make the search look at.
constexpr std::size_t kMaxLutrisPrefixes = 256;
constexpr std::size_t kMaxPrefixUsers = 64;

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

  bool first_visit(const std::u16string& folder) {
    std::u16string identity;
    if (!file_identity(folder.c_str(), identity)) return false;
    for (const std::u16string& seen : identities) {
      if (seen == identity) return false;
    }
    identities.push_back(std::move(identity));
    return true;
  }
};

std::vector<std::u16string> subfolder_names(const std::u16string& folder, std::size_t limit) {
  std::vector<std::u16string> names;
  std::vector<DirectoryEntry> entries;
  if (!list_directory(folder.c_str(), entries)) return names;
  for (const DirectoryEntry& entry : entries) {
    if (names.size() == limit) break;
    if (entry.is_directory && !entry.name.empty() && entry.name[0] != u'.') names.push_back(entry.name);
  }
  return names;
}

// The game folders a Wine prefix's user may have.
void add_prefix_user(const std::u16string& user_folder, std::vector<std::u16string>& found, const ReportSink& report) {
  for (const char16_t* documents : kPrefixDocuments) {
    const std::u16string folder = join(join(user_folder, documents), kGameFolderInDocuments);
    if (can_list(folder, report)) found.push_back(folder);
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
    for (const std::u16string& library : listed_libraries(root, report)) {
      if (can_list(library, report) && visited.first_visit(library)) libraries.push_back(library);
    }
  }
  for (const std::u16string& library : libraries) {
    for (const char16_t* app : kSteamApps) {
      const std::u16string users = join(join(join(library, u"steamapps/compatdata"), app), u"pfx/drive_c/users");
      add_prefix_user(join(users, kProtonUser), found, report);
    }
  }
}

void add_lutris(const std::u16string& home, std::vector<std::u16string>& found, const ReportSink& report) {
  const std::u16string games = join(home, kLutrisGames);
  if (!can_list(games, report)) return;
  for (const std::u16string& prefix : subfolder_names(games, kMaxLutrisPrefixes)) {
    const std::u16string users = join(join(games, prefix), u"drive_c/users");
    // Most folders under Games are no Wine prefix at all: nothing to tell.
    if (folder_access(users.c_str()) == FolderAccess::kMissing || !can_list(users, report)) continue;
    for (const std::u16string& user : subfolder_names(users, kMaxPrefixUsers))
      add_prefix_user(join(users, user), found, report);
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
