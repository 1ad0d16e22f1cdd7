#include "support/chunk_files.h"

#include <chrono>
#include <cstdio>

#include "support/temp_dir.h"

namespace tellwick::test {
namespace {

void put_u32(std::vector<unsigned char>& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

}  // namespace

std::vector<unsigned char> chunk_bytes(std::uint32_t first_index, const std::vector<Entry>& entries) {
  return chunk_bytes(first_index, first_index + static_cast<std::uint32_t>(entries.size()), entries);
}

std::vector<unsigned char> chunk_bytes(std::uint32_t first_index, std::uint32_t end_index,
                                       const std::vector<Entry>& entries) {
  std::vector<unsigned char> area;
  std::vector<std::uint32_t> ends;
  for (const Entry& e : entries) {
    put_u32(area, e.time);
    put_u32(area, e.code);
    area.insert(area.end(), e.text.begin(), e.text.end());
    ends.push_back(static_cast<std::uint32_t>(area.size()));
  }
  std::vector<unsigned char> file;
  put_u32(file, first_index);
  put_u32(file, end_index);
  for (std::uint32_t end : ends) put_u32(file, end);
  file.insert(file.end(), area.begin(), area.end());
  return file;
}

void write_chunk(const std::filesystem::path& character_folder, std::uint32_t index,
                 const std::vector<unsigned char>& bytes, FileTime time) {
  const std::filesystem::path log = character_folder / "log";
  std::filesystem::create_directories(log);
  char name[16];
  std::snprintf(name, sizeof name, "%08x.log", index);
  write_bytes(log / name, bytes);
  set_file_time(log / name, time);
}

bool set_file_time(const std::filesystem::path& file, FileTime time) {
  return set_file_write_time(file.u16string().c_str(), time);
}

}  // namespace tellwick::test
