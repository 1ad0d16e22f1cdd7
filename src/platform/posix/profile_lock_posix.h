// The lock that serialises saves of one settings file among processes.
#pragma once

#include <string>

namespace tellwick {

// The lock file of a settings file: beside it, named after it with ".lock".
// It is never removed, so that two processes can never lock two different
// files of that name.
std::string profile_lock_path(const std::string& file);

// Waits for the exclusive lock on the lock file of `file`, creating that
// file when needed, and returns the descriptor that holds it. -1 when no lock
// can be had (the file system keeps no locks, the lock file cannot be made or
// opened, or another process has held the lock for seconds): the caller then
// saves without one, as a save that would work should not fail for the want
// of a lock.
int lock_profile(const std::string& file);

// Gives the lock up; errno is kept.
void unlock_profile(int lock);

}  // namespace tellwick
