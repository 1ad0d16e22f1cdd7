#include "gamelog/game_folders.h"

#include <cstring>
#include <vector>

#include "gamelog/hex_digits.h"
#include "platform/path.h"

namespace tellwick {
namespace {

constexpr char16_t kMyGamesFolder[] = u"My Games";
constexpr char16_t kGameFolder[] = u"FINAL FANTASY XIV - A Realm Reborn";
constexpr char16_t kLogFolder[] = u"log";
constexpr char16_t kChunkFileExtension[] = u".log";
constexpr int kChunkIndexDigits = 8;

// A folder of this name beside the character folders is never a character,
// even with a log folder in it.
constexpr char16_t kNotACharacterFolder[] = u"00000000";

// The Windows program tests each folder's log folder through a buffer of this
// many characters, terminator included, and skips a folder whose path would
// not fit. Paths have no such bound elsewhere: a Flatpak's folders lie deep.
constexpr std::size_t kEnumerationPathCapacity = 256;

std::u16string& game_user_folder_override() {
  static std::u16string folder;
  return folder;
}

void end_with_separator(std::u16string& folder) {
  if (!folder.empty() && !is_path_separator(folder.back())) folder += kPathSeparator;
}

bool is_character_folder(const std::u16string& game_user_folder, const DirectoryEntry& entry) {
  if (!entry.is_directory) return false;
  if (entry.name.empty() || entry.name[0] == u'.') return false;
  if (entry.name == kNotACharacterFolder) return false;
  std::u16string log_folder = game_user_folder;
  log_folder += entry.name;
  log_folder += kPathSeparator;
  log_folder += kLogFolder;
  if (kFixedPathBuffers && log_folder.size() >= kEnumerationPathCapacity) return false;
  return is_directory(log_folder.c_str());
}

}  // namespace

void set_game_user_folder_override(const std::u16string& folder) { game_user_folder_override() = folder; }

std::u16string documents_game_folder() {
  std::u16string folder;
  // Without a Documents folder the path starts from a folder that cannot
  // exist, so the table stays empty and no chunk file is found, instead of
  // looking into the current folder.
  if (!documents_folder(folder)) folder = std::u16string(kUnreachableFolder);
  folder += kPathSeparator;
  folder += kMyGamesFolder;
  folder += kPathSeparator;
  folder += kGameFolder;
  folder += kPathSeparator;
  return folder;
}

std::u16string game_user_folder_path(const char16_t* character) {
  std::u16string folder = game_user_folder_override();
  if (folder.empty()) folder = documents_game_folder();
  end_with_separator(folder);
  if (character != nullptr && character[0] != u'\0') {
    folder += character;
    folder += kPathSeparator;
  }
  return folder;
}

Character character_of(const char16_t* name) { return {name, game_user_folder_path(name)}; }

void enumerate_character_folders(const std::u16string& game_user_folder, CharacterTable& table) {
  table.count = 0;
  std::memset(table.names, 0, sizeof table.names);

  std::vector<DirectoryEntry> entries;
  if (!list_directory(game_user_folder.c_str(), entries)) return;
  std::u16string folder = game_user_folder;
  end_with_separator(folder);
  for (const DirectoryEntry& entry : entries) {
    // Folders beyond the table's slots are left out.
    if (table.count == kCharacterTableSlots) break;
    if (!is_character_folder(folder, entry)) continue;
    // A longer name fits no slot; it could not name a settings section either.
    if (entry.name.size() > kCharacterNameMax) continue;
    std::memcpy(table.names[table.count], entry.name.data(), entry.name.size() * sizeof(char16_t));
    ++table.count;
  }
}

std::u16string active_character(const CharacterTable& table) {
  if (table.count <= 0) return {};
  const std::u16string folder = game_user_folder_path();
  int chosen = 0;
  FileTime best = 0;
  for (int i = 0; i < table.count && i < kCharacterTableSlots; ++i) {
    FileTime time = 0;
    file_write_time(chunk_file_path(folder + table.names[i] + kPathSeparator, 0).c_str(), time);
    // A later entry wins a tie.
    if (i == 0 || time >= best) {
      chosen = i;
      best = time;
    }
  }
  return table.names[chosen];
}

std::u16string chunk_file_path(const std::u16string& character_folder, std::uint32_t chunk_index) {
  std::u16string path = character_folder;
  path += kLogFolder;
  path += kPathSeparator;
  for (int digit = kChunkIndexDigits - 1; digit >= 0; --digit) {
    path += static_cast<char16_t>(kHexLower[(chunk_index >> (4 * digit)) & 0xF]);
  }
  path += kChunkFileExtension;
  return path;
}

}  // namespace tellwick
