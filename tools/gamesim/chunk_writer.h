// Writes a chunk file as the game does: the file is opened for writing,
// written whole, given its write time while still open, and closed. While
// it is open, Tellwick's whole-file read of it must fail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"

namespace tellwick::gamesim {

struct WriteResult {
  bool written = false;
  int waits = 0;  // times the open had to wait for a reader (Windows sharing)
};

WriteResult write_chunk_as_game(const std::u16string& path, const std::vector<std::uint8_t>& bytes, FileTime time);

}  // namespace tellwick::gamesim
