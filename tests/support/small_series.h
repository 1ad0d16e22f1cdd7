// A character's chunk series made of small chunk files of two entries each,
// and the export text it gives (UTF-8, control sequences dropped), for tests
// that grow a series chunk by chunk while something watches it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/file.h"

namespace tellwick::test {

constexpr std::uint32_t kSmallChunkEntries = 2;

// Writes chunk `index` of the series into the character folder, with the
// write time `time`. `series` tells series apart in the entry texts.
void write_small_chunk(const std::filesystem::path& character_folder, int series, std::uint32_t index, FileTime time);

// The export file text of chunks 0 to `chunks` - 1 of that series.
std::string small_series_export(int series, std::uint32_t chunks);

}  // namespace tellwick::test
