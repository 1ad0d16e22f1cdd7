// Questions about a path that the search for the game's folders asks before
// it reads anything: can the folder be listed, how large is a file, and do
// two paths reach the same file.
#pragma once

#include <cstdint>
#include <string>

namespace tellwick {

enum class FolderAccess {
  kMissing,     // nothing there
  kListable,    // a folder (or a link to one) that can be listed
  kNotAFolder,  // a file or another kind of entry
  kUnreadable,  // there, but it cannot be followed or listed: no rights, a link loop
};

FolderAccess folder_access(const char16_t* path);

// The size of a file; false when it cannot be examined.
bool file_size(const char16_t* path, std::uint64_t& size);

// A text that two paths share exactly when they reach the same file or
// folder, links followed; false when the path cannot be examined.
bool file_identity(const char16_t* path, std::u16string& identity);

}  // namespace tellwick
