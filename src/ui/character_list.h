// The character list of the main window: one label per character table
// entry, item i standing for entry i.
#pragma once

#include <windows.h>

#include <string>

namespace tellwick {

constexpr int kListLabelCapacity = 256;  // characters, terminator included

// "NAME / SERVER", either one "Unknown" when empty; the folder name itself
// when both are empty. Cut to what the label buffer holds.
std::u16string list_label(const char16_t* folder, const std::u16string& name, const std::u16string& server);

// Rebuilds the character table and the list of `window` from the game user folder.
void fill_character_list(HWND window, const std::u16string& game_user_folder);

// The selected character table index, or -1 when no valid item is selected.
int selected_character(HWND window);

}  // namespace tellwick
