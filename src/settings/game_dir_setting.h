// GAMEDIR of section GENERIC: the game user folder the player chose, for
// launchers that keep the game's files where the program would not look.
#pragma once

#include <string>

namespace tellwick {

// The folder as written (the game folders' rules apply to it as to any game
// user folder); empty when the key is absent or empty.
std::u16string read_game_dir_setting();

}  // namespace tellwick
