#include "output/output_file.h"

#include <cstring>

namespace tellwick {
namespace {

// Keeps the first failure's reason: later ones are its consequences.
void fail(OutputFile& file) {
  if (!file.write_failed) file.system_error = last_system_error();
  file.write_failed = true;
}

void write_out(OutputFile& file, const char* data, std::size_t size) {
  if (file.memory != nullptr) {
    file.memory->insert(file.memory->end(), data, data + size);
  } else if (!write_file(file.handle, data, size)) {
    fail(file);
  }
}

void flush(OutputFile& file) {
  if (file.used == 0) return;
  write_out(file, file.buffer, file.used);
  file.used = 0;
}

bool start(OutputFile& file, FileHandle handle) {
  file.handle = handle;
  file.memory = nullptr;
  file.write_failed = false;
  file.system_error = 0;
  if (file.handle == kNoFile) fail(file);
  file.used = 0;
  file.size = 0;
  return file.handle != kNoFile;
}

}  // namespace

OutputFile::~OutputFile() {
  if (handle != kNoFile) output_close(*this);
}

bool output_create(OutputFile& file, const char16_t* path) {
  if (file.handle != kNoFile) output_close(file);
  return start(file, create_output_file(path));
}

bool output_create_new(OutputFile& file, const char16_t* path) {
  if (file.handle != kNoFile) output_close(file);
  return start(file, create_new_output_file(path));
}

void output_gather(OutputFile& file, std::vector<char>& memory) {
  if (file.handle != kNoFile) output_close(file);
  memory.clear();
  file.handle = kNoFile;
  file.memory = &memory;
  file.write_failed = false;
  file.system_error = 0;
  file.used = 0;
  file.size = 0;
}

void output_append(OutputFile& file, const void* data, std::size_t size) {
  if (size == 0) return;  // an empty vector's data() may be null, which memcpy must never see
  file.size += size;
  if (size > kOutputBufferSize - file.used) {
    flush(file);
    if (size >= kOutputBufferSize) {
      write_out(file, static_cast<const char*>(data), size);
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

bool output_flush(OutputFile& file) {
  flush(file);
  return !file.write_failed;
}

FileHandle output_release(OutputFile& file) {
  const FileHandle handle = file.handle;
  file.handle = kNoFile;
  return handle;
}

bool output_close(OutputFile& file) {
  flush(file);
  if (file.handle != kNoFile && !close_file(file.handle)) fail(file);
  file.handle = kNoFile;
  file.memory = nullptr;
  return !file.write_failed;
}

}  // namespace tellwick
