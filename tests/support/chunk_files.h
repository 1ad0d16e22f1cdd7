// Hand-made chunk files for tests: a character folder in a temporary game
// user folder, chunk files with chosen entries, and chosen write times.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"

namespace tellwick::test {

struct Entry {
  std::uint32_t time;
  std::uint32_t code;
  std::string text;  // UTF-8, control sequences included
};

// The bytes of a chunk file holding `entries`, numbered from `first_index`
// (the end index is first_index + entries.size() unless given).
std::vector<unsigned char> chunk_bytes(std::uint32_t first_index, const std::vector<Entry>& entries);
std::vector<unsigned char> chunk_bytes(std::uint32_t first_index, std::uint32_t end_index,
                                       const std::vector<Entry>& entries);

// Writes chunk file `index` of the character folder (creating its log folder)
// and gives it the write time `time` (a Windows file time).
void write_chunk(const std::filesystem::path& character_folder, std::uint32_t index,
                 const std::vector<unsigned char>& bytes, FileTime time);

// Gives a file the write time `time` (a Windows file time), to 100 ns.
bool set_file_time(const std::filesystem::path& file, FileTime time);

// Windows file time of a moment given in Unix seconds.
constexpr FileTime file_time_of_unix(std::int64_t seconds) {
  return static_cast<FileTime>((seconds + 11644473600LL) * 10000000LL);
}

}  // namespace tellwick::test
