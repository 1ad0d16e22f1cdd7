// Which game user folder to read when the player named none on a command
// line: the one the settings file names, else the one where the game last
// wrote, of the Documents folder and the launchers' places on Linux.
#pragma once

#include <string>
#include <vector>

#include "platform/file.h"
#include "report/report.h"

namespace tellwick {

// A folder that holds at least one character folder, and the newest
// last-write time of the chunk files 0 in them (0 when none has one).
struct GameFolderPlace {
  std::u16string folder;
  FileTime newest_chunk0 = 0;
};

// The candidates that hold a character folder (by the enumeration's rules),
// each folder once however many routes lead to it, in the given order.
std::vector<GameFolderPlace> places_with_characters(const std::vector<std::u16string>& candidates);

// The index of the place whose chunk file 0 was written last; of equal
// times the earlier place wins, so the Documents folder keeps its standing.
// The places must not be empty.
std::size_t newest_place(const std::vector<GameFolderPlace>& places);

// The folder for set_game_user_folder_override(): `configured` (GAMEDIR)
// when not empty; empty (the Documents game folder) on Windows itself;
// else, of the Documents game folder and the launchers' places under the
// Unix home folder, the one holding the newest chunk file 0. Under Wine the
// Documents folder is the prefix's own, so it is taken whenever it holds a
// character. The folder taken, and the others found, go to the debugger output.
std::u16string choose_game_user_folder(const std::u16string& configured, const ReportSink& report = {});

}  // namespace tellwick
