// The layout of one chunk file: a header (first index, end index), a table of
// cumulative end offsets, and the entries back to back. The view only looks
// at bytes that lie inside the buffer it was given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tellwick {

constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kEntryHeaderSize = 8;  // entry time and entry code

struct ChunkView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::uint32_t first_index = 0;
  std::uint32_t end_index = 0;
  // Entries the table lists; zero when the table itself does not fit the file.
  std::uint32_t entry_count = 0;
  std::size_t area_offset = 0;
  // False when the file is shorter than its header, table and last end
  // offset say it should be: it was cut short or is still being written.
  bool complete = false;
};

struct ChunkEntry {
  const std::uint8_t* bytes = nullptr;
  std::size_t length = 0;
  const std::uint8_t* readable_end = nullptr;  // the end of the file's bytes, at or past the entry's end
};

// False when the buffer is too short to hold even the header.
bool open_chunk_view(const std::uint8_t* data, std::size_t size, ChunkView& view);

// Entry k of the file. False for an entry that cannot be decoded: one whose
// end offset lies before its start or outside the file, or one shorter than
// its 8-byte header. Such an entry is skipped alone; its neighbours still
// decode from their own table values.
bool chunk_entry(const ChunkView& view, std::uint32_t k, ChunkEntry& entry);

}  // namespace tellwick
