#include "chunkgen/chunk_series.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <vector>

namespace tellwick::chunkgen {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kChunkNameLength = 12;  // "%08x.log"

void put_u32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool is_chunk_file_name(const std::string& name) {
  if (name.size() != kChunkNameLength || name.compare(8, 4, ".log") != 0) return false;
  for (std::size_t i = 0; i < 8; ++i) {
    const char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

bool remove_old_chunks(const fs::path& folder, std::string& error) {
  std::error_code ec;
  std::vector<fs::path> old;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    if (e.is_regular_file() && is_chunk_file_name(e.path().filename().string())) old.push_back(e.path());
  }
  for (const fs::path& p : old) {
    if (!fs::remove(p, ec)) {
      error = "cannot remove " + p.string();
      return false;
    }
  }
  return true;
}

fs::file_time_type file_time_of(std::uint32_t unix_seconds) {
  const std::chrono::sys_seconds when{std::chrono::seconds{unix_seconds}};
  return fs::file_time_type::clock::from_sys(when);
}

bool write_file(const fs::path& path, const std::vector<std::uint8_t>& bytes, std::uint32_t mtime, std::string& error) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      error = "cannot write " + path.string();
      return false;
    }
  }
  std::error_code ec;
  fs::last_write_time(path, file_time_of(mtime), ec);
  if (ec) {
    error = "cannot set the time of " + path.string();
    return false;
  }
  return true;
}

}  // namespace

std::string chunk_file_name(std::uint32_t index) {
  char name[kChunkNameLength + 1];
  std::snprintf(name, sizeof name, "%08x.log", static_cast<unsigned>(index));
  return name;
}

bool write_chunk_series(const SeriesOptions& options, SeriesSummary& summary, std::string& error) {
  summary = SeriesSummary{};
  if (options.per_chunk == 0) {
    error = "entries per chunk must be at least 1";
    return false;
  }
  summary.log_folder = options.game_folder / options.character / "log";
  std::error_code ec;
  fs::create_directories(summary.log_folder, ec);
  if (ec) {
    error = "cannot create " + summary.log_folder.string();
    return false;
  }
  if (!remove_old_chunks(summary.log_folder, error)) return false;

  EntryGenerator generator;
  start_generator(generator, options.seed, options.start_time, options.shape);
  GeneratedEntry entry;
  std::vector<std::uint8_t> area;
  std::vector<std::uint32_t> ends;
  std::vector<std::uint8_t> file;
  std::uint32_t index = 0;
  std::uint32_t previous_mtime = 0;
  do {
    const std::uint64_t left = options.entries - summary.entries;
    const std::uint32_t count = left < options.per_chunk ? static_cast<std::uint32_t>(left) : options.per_chunk;
    area.clear();
    ends.clear();
    std::uint32_t last_time = summary.chunk_files == 0 ? options.start_time : previous_mtime;
    for (std::uint32_t k = 0; k < count; ++k) {
      next_entry(generator, entry);
      append_entry_bytes(entry, area);
      ends.push_back(static_cast<std::uint32_t>(area.size()));
      if (summary.entries == 0) summary.first_time = entry.time;
      ++summary.entries;
      summary.last_time = last_time = entry.time;
      summary.decorated_entries += entry.decorated;
      summary.materia_messages += entry.materia;
      summary.detectable_materia += entry.detectable;
      for (int f = 0; f < kPackedFormCount; ++f) summary.form_entries[f] += (entry.forms >> f) & 1u;
    }
    file.assign(8 + 4 * ends.size(), 0);
    put_u32(file, 0, index);
    put_u32(file, 4, index + count);
    for (std::size_t k = 0; k < ends.size(); ++k) put_u32(file, 8 + 4 * k, ends[k]);
    file.insert(file.end(), area.begin(), area.end());

    const std::uint32_t chunk = summary.chunk_files;
    const std::uint32_t mtime = chunk > 0 && last_time <= previous_mtime ? previous_mtime + 1 : last_time;
    if (!write_file(summary.log_folder / chunk_file_name(chunk), file, mtime, error)) return false;
    previous_mtime = mtime;
    index += count;
    ++summary.chunk_files;
  } while (summary.entries < options.entries);
  return true;
}

}  // namespace tellwick::chunkgen
