// Where the game keeps its files: the game user folder under Documents, one
// character folder per character, and each character's numbered chunk files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace tellwick {

constexpr int kCharacterTableSlots = 256;
constexpr std::size_t kCharacterNameMax = 31;  // characters, terminator not counted

// The character folders found by the last enumeration, in listing order.
// The front end owns it.
struct CharacterTable {
  int count = 0;
  char16_t names[kCharacterTableSlots][kCharacterNameMax + 1] = {};
};

// One character: its folder name, which also names its settings section,
// and the path of its folder, formed once.
struct Character {
  std::u16string name;
  std::u16string folder;  // ends in a separator
};

// Tools and tests point the program at another game user folder; the program
// itself never sets this. An empty folder restores the normal one.
void set_game_user_folder_override(const std::u16string& folder);

// Documents + "\My Games\FINAL FANTASY XIV - A Realm Reborn\", whatever
// folder the program was pointed at.
std::u16string documents_game_folder();

// The game user folder (Documents + "\My Games\FINAL FANTASY XIV - A Realm
// Reborn\"), or with a non-empty name that character's folder; always ends in
// a separator.
std::u16string game_user_folder_path(const char16_t* character = nullptr);

// The character of that name, with its folder in the game user folder.
Character character_of(const char16_t* name);

// Empties the table and fills it from the game user folder.
void enumerate_character_folders(const std::u16string& game_user_folder, CharacterTable& table);

// The character whose chunk 0 was written last (the later entry wins a tie);
// empty when the table is empty.
std::u16string active_character(const CharacterTable& table);

// character folder + "log\" + "%08x.log" of the index.
std::u16string chunk_file_path(const std::u16string& character_folder, std::uint32_t chunk_index);

}  // namespace tellwick
