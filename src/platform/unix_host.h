// The Unix system beneath the program: the POSIX build runs on it, the
// Windows build reaches it only when it runs under Wine. Players on Linux keep
// the game's folders under their Unix home folder, wherever their launcher
// put them.
#pragma once

#include <string>

namespace tellwick {

// True for the Windows build running under Wine; false otherwise, and always
// for the POSIX build.
bool running_under_wine();

// The Unix home folder ($HOME) as a path the file functions take, without a
// final separator; under Wine as Wine hands it to Windows programs. False
// when there is none to reach: HOME unset or not absolute, or a Windows
// build that does not run under Wine.
bool unix_home_folder(std::u16string& path);

// An absolute Unix path (UTF-8 as a rule; the POSIX build keeps any other
// bytes, as path_from_native does) as a path the file functions take. False
// for a relative path, or where no Unix path can be reached.
bool program_path_from_unix(const std::string& unix_path, std::u16string& path);

}  // namespace tellwick
