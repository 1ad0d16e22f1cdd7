// Whole-file reads and locked, all-or-nothing saves of the settings file.
#pragma once

#include <string>

namespace tellwick {

enum class ProfileFileRead { kRead, kMissing, kFailed };

// kMissing when there is no such file (or no such folder); kFailed when
// something is there that cannot be read as a file, such as a folder or a
// FIFO (which is never waited on).
ProfileFileRead read_profile_file(const std::string& path, std::string& bytes);

// One save of the settings file, from its start to its end: the locks held
// and the file it replaces.
struct ProfileSave {
  std::string file;    // the name the program uses
  std::string target;  // the file replaced: `file`, or the end of its links
  int file_lock = -1;
  int target_lock = -1;  // -1 also when it is the same as file_lock
};

// Takes the lock beside the name used and, when a symbolic link leads to
// another place, the lock beside its target too, always in that order: so
// processes in one folder agree with the Windows build under Wine, which
// locks beside the name it uses, and processes that reach one file through
// different links agree with each other. Then clears what a killed save left
// beside the target. False when the link cannot be followed (a loop).
bool begin_profile_save(const std::string& file, ProfileSave& save);

// Releases the locks; errno is kept.
void end_profile_save(ProfileSave& save);

// Writes `bytes` to a new file beside the target and renames it over the
// target, so that a crash or a full disk leaves either the old file or the
// new one, never a part of one. The file keeps its permission bits, and a
// link stays a link. A read-only file is not replaced: EACCES, as Windows
// refuses to write one. False, with the target untouched and no temporary
// file left behind, when any step fails.
bool replace_profile_file(const ProfileSave& save, const std::string& bytes);

}  // namespace tellwick
