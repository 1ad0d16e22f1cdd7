// What the main window's buttons do.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>

namespace tellwick {

constexpr std::size_t kCharacterPathCapacity = 256;

// Exports the selected character whether or not anything changed, and says
// where the export went.
void manual_export(HWND window);

// Lets the user name the selected character; refills the list afterwards.
void change_character_name(HWND window);

// Opens the log folder in the file manager.
void open_log_folder(HWND window);

// Opens the history window on the selected character.
void show_history(HWND window);

// Runs the materia detector over the first dropped file.
void take_dropped_file(HDROP drop);

}  // namespace tellwick
