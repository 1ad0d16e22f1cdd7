// Whole-file reads and all-or-nothing replacement for the settings file.
#pragma once

#include <string>

namespace tellwick {

enum class ProfileFileRead { kRead, kMissing, kFailed };

// kMissing when there is no such file (or no such folder); kFailed when
// something is there that cannot be read as a file, such as a folder.
ProfileFileRead read_profile_file(const std::string& path, std::string& bytes);

// Writes `bytes` to a new file in the same folder and renames it over `path`,
// so that a crash or a full disk leaves either the old file or the new one,
// never a part of one. The file keeps its permission bits. When `path` is a
// symbolic link, its final target is replaced and the links stay. False, with
// `path` untouched and no temporary file left behind, when any step fails.
bool replace_profile_file(const std::string& path, const std::string& bytes);

}  // namespace tellwick
