#include "gamelog/chunk_view.h"

#include "gamelog/little_endian.h"

namespace tellwick {
namespace {

std::uint32_t end_offset(const ChunkView& view, std::uint32_t k) {
  return read_u32(view.data + kChunkHeaderSize + 4 * static_cast<std::size_t>(k));
}

}  // namespace

bool open_chunk_view(const std::uint8_t* data, std::size_t size, ChunkView& view) {
  view = ChunkView{};
  view.data = data;
  view.size = size;
  if (data == nullptr || size < kChunkHeaderSize) return false;
  view.first_index = read_u32(data);
  view.end_index = read_u32(data + 4);
  if (view.first_index >= view.end_index) {
    view.area_offset = kChunkHeaderSize;
    view.complete = true;
    return true;
  }
  const std::uint64_t listed = view.end_index - view.first_index;
  const std::uint64_t area = kChunkHeaderSize + 4 * listed;
  if (area > size) {
    view.area_offset = size;  // not even the table fits: nothing to decode
    return true;
  }
  view.entry_count = static_cast<std::uint32_t>(listed);
  view.area_offset = static_cast<std::size_t>(area);
  view.complete = view.area_offset + end_offset(view, view.entry_count - 1) <= size;
  return true;
}

bool chunk_entry(const ChunkView& view, std::uint32_t k, ChunkEntry& entry) {
  entry = ChunkEntry{};
  if (k >= view.entry_count) return false;
  const std::size_t start = k == 0 ? 0 : end_offset(view, k - 1);
  const std::size_t end = end_offset(view, k);
  const std::size_t area_size = view.size - view.area_offset;
  if (end < start || end > area_size || end - start < kEntryHeaderSize) return false;
  entry.bytes = view.data + view.area_offset + start;
  entry.length = end - start;
  entry.readable_end = view.data + view.size;
  return true;
}

}  // namespace tellwick
