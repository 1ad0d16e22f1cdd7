// The character name dialog (template SETNAMEBOX): the server and character
// names shown for one character folder.
#pragma once

#include <windows.h>

namespace tellwick {

constexpr int kNameEditCapacity = 64;  // characters, terminator included

INT_PTR CALLBACK name_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Runs the dialog modally for character table entry `character_index`;
// 1 when confirmed, 0 when cancelled.
INT_PTR run_name_dialog(HWND owner, int character_index);

}  // namespace tellwick
