#include "gamelog/chunk_series.h"

#include "gamelog/game_folders.h"

namespace tellwick {
namespace {

SeriesEnd end_before(const ChunkSeries& series, const ChunkFile& file) {
  if (!file.read) {
    if (file.time == 0) return SeriesEnd::kMissing;
    return file.time < series.chunk0_time ? SeriesEnd::kOlder : SeriesEnd::kUnreadable;
  }
  if (!file.opened || file.view.first_index != series.expected_first_index) return SeriesEnd::kNotContinued;
  return SeriesEnd::kNotEnded;
}

}  // namespace

void read_chunk_file(const std::u16string& path, FileTime not_before, ChunkFile& file) {
  file.read = read_whole_file_not_older(path.c_str(), not_before, file.contents, file.time);
  // Taken at once: on the read-ahead thread, nothing later keeps it.
  file.read_error = file.read ? 0 : last_system_error();
  file.opened = file.read && open_chunk_view(file.contents.data.get(), file.contents.size, file.view);
}

ChunkSeries start_chunk_series(const std::u16string& character_folder, FileTime chunk0_time) {
  ChunkSeries series;
  series.character_folder = character_folder;
  series.chunk0_time = chunk0_time;
  return series;
}

std::u16string next_chunk_path(const ChunkSeries& series, int ahead) {
  return chunk_file_path(series.character_folder, static_cast<std::uint32_t>(series.chunk_count + ahead));
}

SeriesStep continue_series(ChunkSeries& series, const ChunkFile& file) {
  if (series.end != SeriesEnd::kNotEnded) return SeriesStep::kEnded;
  series.end = end_before(series, file);
  series.next_chunk_time = series.end == SeriesEnd::kUnreadable ? 0 : file.time;
  if (series.end != SeriesEnd::kNotEnded) return SeriesStep::kEnded;
  series.taken = true;
  series.expected_first_index = file.view.end_index;
  if (!file.view.complete) {
    series.end = SeriesEnd::kGrowing;
    return SeriesStep::kTakeAndEnd;
  }
  ++series.chunk_count;
  return SeriesStep::kTake;
}

SeriesStep read_next_chunk(ChunkSeries& series, ChunkFile& file) {
  if (series.end != SeriesEnd::kNotEnded) return SeriesStep::kEnded;
  read_chunk_file(next_chunk_path(series), series.chunk0_time, file);
  return continue_series(series, file);
}

}  // namespace tellwick
