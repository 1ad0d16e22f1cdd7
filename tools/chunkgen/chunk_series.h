// Writes a synthetic chunk series into a character folder's log subfolder:
// 00000000.log, 00000001.log, ... each starting where the previous one
// ended, with last-write times set in increasing order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "chunkgen/control_sequences.h"
#include "chunkgen/entry_generator.h"

namespace tellwick::chunkgen {

constexpr std::uint32_t kDefaultEntriesPerChunk = 1000;
constexpr const char* kDefaultCharacter = "FFXIV_CHR0040000000000001";

struct SeriesOptions {
  std::filesystem::path game_folder;  // the character folder goes inside it
  std::string character = kDefaultCharacter;
  std::uint64_t entries = 10000;
  std::uint32_t per_chunk = kDefaultEntriesPerChunk;  // at least 1
  std::uint64_t seed = 1;
  std::uint32_t start_time = kDefaultStartTime;
  EntryShape shape = EntryShape::kShort;
};

struct SeriesSummary {
  std::filesystem::path log_folder;
  std::uint32_t chunk_files = 0;
  std::uint64_t entries = 0;
  std::uint64_t decorated_entries = 0;
  std::uint64_t materia_messages = 0;
  std::uint64_t detectable_materia = 0;               // materia messages the detector accepts
  std::uint64_t form_entries[kPackedFormCount] = {};  // entries using each packed form
  std::uint32_t first_time = 0;
  std::uint32_t last_time = 0;
};

// The chunk file name of an index: "%08x.log".
std::string chunk_file_name(std::uint32_t index);

// Creates the folders as needed and removes chunk files of an earlier run
// from the log folder first (left behind, they could continue the new
// series). A series of 0 entries is one chunk file without entries. Each
// file's last-write time is its last entry's time, raised where needed to
// stay one second after the file before. False with a message in `error`
// when a folder or file cannot be written.
bool write_chunk_series(const SeriesOptions& options, SeriesSummary& summary, std::string& error);

}  // namespace tellwick::chunkgen
