#include "support/small_series.h"

#include <cstdio>
#include <vector>

#include "support/chunk_files.h"

namespace tellwick::test {
namespace {

constexpr std::uint32_t kFirstEntryTime = 0x5316F48C;  // 2014-03-05

std::vector<Entry> chunk_entries(int series, std::uint32_t index) {
  std::vector<Entry> entries;
  for (std::uint32_t k = 0; k < kSmallChunkEntries; ++k) {
    const std::uint32_t n = index * kSmallChunkEntries + k;
    entries.push_back(
        {kFirstEntryTime + n, 0x000A, "series " + std::to_string(series) + " entry " + std::to_string(n)});
  }
  return entries;
}

}  // namespace

void write_small_chunk(const std::filesystem::path& character_folder, int series, std::uint32_t index, FileTime time) {
  write_chunk(character_folder, index, chunk_bytes(index * kSmallChunkEntries, chunk_entries(series, index)), time);
}

std::string small_series_export(int series, std::uint32_t chunks) {
  std::string text;
  for (std::uint32_t index = 0; index < chunks; ++index) {
    for (const Entry& e : chunk_entries(series, index)) {
      char prefix[13];
      std::snprintf(prefix, sizeof prefix, "%08X%04X", static_cast<unsigned>(e.time), static_cast<unsigned>(e.code));
      text += prefix + e.text + "\r\n";
    }
  }
  return text;
}

}  // namespace tellwick::test
