// Steam's steamapps/libraryfolders.vdf: the list of a Steam installation's
// game libraries (an SD card on a Steam Deck, a second drive), in Valve's
// KeyValues text format. The file comes from outside, so every limit is
// checked and anything unexpected makes the whole file count as malformed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tellwick {

// Real files hold a few kilobytes; a larger one is not read at all.
constexpr std::size_t kLibraryFoldersMaxBytes = 1024 * 1024;
// Real files nest three levels ("libraryfolders", a library, its "apps").
constexpr int kLibraryFoldersMaxDepth = 16;
// A listed path longer than this (bytes) is left out.
constexpr std::size_t kLibraryPathMaxBytes = 4096;

// The library paths (UTF-8, as written, escapes undone) listed in the text:
// the "path" of each numbered library block, and in the older layout the
// value of each numbered key. All of them: which ones count (those that are
// there) only the caller can tell, and the size limit bounds how many. False, with no paths, when the text is larger
// than the limit, nests too deep, or is not well-formed KeyValues
// (unterminated string, unbalanced braces, a key without a value).
bool read_library_folders(const std::uint8_t* data, std::size_t size, std::vector<std::string>& paths);

}  // namespace tellwick
