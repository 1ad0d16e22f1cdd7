// Where the launchers that players use on Linux and the Steam Deck keep the
// game user folder: XIVLauncher.Core gives the game a folder of its own, and
// Steam (Proton) and Lutris give it a Wine prefix with a Documents folder.
#pragma once

#include "report/report.h"

#include <string>
#include <vector>

namespace tellwick {

// The launchers' places under one Unix home folder (given as a path the file
// functions take) that exist and can be listed, in this order:
// - XIVLauncher.Core: .xlcore/ffxivConfig, its Flatpak's
//   .var/app/dev.goats.xivlauncher/.xlcore/ffxivConfig, and the XDG
//   .local/share/xlcore/ffxivConfig;
// - Steam with Proton, apps 39210 and 312060, in each library once: the
//   installations .local/share/Steam, .steam/steam and the Flatpak's
//   .var/app/com.valvesoftware.Steam/.local/share/Steam, and every library
//   their steamapps/libraryfolders.vdf lists;
// - Lutris: Games/<any prefix>/drive_c/users/<any user>.
// In a Wine prefix the game folder is Documents (older prefixes: My
// Documents) + "My Games/FINAL FANTASY XIV - A Realm Reborn". A place or a
// library list that is there but cannot be read is named in the debugger
// output and left out.
std::vector<std::u16string> launcher_game_folders(const std::u16string& home, const ReportSink& report = {});

}  // namespace tellwick
