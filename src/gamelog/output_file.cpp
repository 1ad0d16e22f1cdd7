#include "gamelog/output_file.h"

#include <cstring>

namespace tellwick {
namespace {

void flush(OutputFile& file) {
  if (file.used == 0) return;
  if (!write_file(file.handle, file.buffer, file.used)) file.write_failed = true;
  file.used = 0;
}

bool start(OutputFile& file, FileHandle handle) {
  file.handle = handle;
  file.write_failed = file.handle == kNoFile;
  file.used = 0;
  file.size = 0;
  return file.handle != kNoFile;
}

}  // namespace

bool output_create(OutputFile& file, const char16_t* path) { return start(file, create_output_file(path)); }

bool output_create_new(OutputFile& file, const char16_t* path) { return start(file, create_new_output_file(path)); }

void output_append(OutputFile& file, const void* data, std::size_t size) {
  file.size += size;
  if (size > kOutputBufferSize - file.used) {
    flush(file);
    if (size >= kOutputBufferSize) {
      if (!write_file(file.handle, data, size)) file.write_failed = true;
      return;
    }
  }
  std::memcpy(file.buffer + file.used, data, size);
  file.used += size;
}

char* output_reserve(OutputFile& file, std::size_t size) {
  if (size > kOutputBufferSize - file.used) flush(file);
  return file.buffer + file.used;
}

void output_commit(OutputFile& file, std::size_t used) {
  file.used += used;
  file.size += used;
}

bool output_close(OutputFile& file) {
  flush(file);
  if (file.handle != kNoFile && !close_file(file.handle)) file.write_failed = true;
  file.handle = kNoFile;
  return !file.write_failed;
}

}  // namespace tellwick
