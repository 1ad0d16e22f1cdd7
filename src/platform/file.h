// Files and folders. Paths are UTF-16 and zero-terminated; the POSIX build
// reads a "\" in them as "/".
#pragma once

#include <cstddef>
#include <cstdint>

namespace tellwick {

// A Windows HANDLE or a POSIX descriptor; both use -1 for "none".
using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

// Creates or truncates a file for writing that nobody else may open while it
// is held (on POSIX, other processes are not kept out).
FileHandle create_output_file(const char16_t* path);
// Writes all of `size` bytes; false when the system wrote fewer.
bool write_file(FileHandle file, const void* data, std::size_t size);
// False when the system reports that buffered data could not be stored.
bool close_file(FileHandle file);

}  // namespace tellwick
