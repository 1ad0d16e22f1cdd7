// A file being written by an export: the export writes millions of short
// lines, so they are gathered in a buffer and handed to the system in large
// writes. The file's bytes are the same as with one write per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file.h"
#include "platform/system_error.h"

namespace tellwick {

constexpr std::size_t kOutputBufferSize = 256 * 1024;

// A file still open when its OutputFile goes is written out and closed then,
// so that no early return leaves it open; output_close is what tells whether
// every byte arrived.
struct OutputFile {
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  FileHandle handle = kNoFile;
  std::vector<char>* memory = nullptr;  // where the bytes go instead of a file (output_gather)
  bool write_failed = false;            // some bytes did not reach the file
  SystemErrorCode system_error = 0;     // the system's reason for the first failure, for the diagnostics
  std::uint64_t size = 0;               // bytes appended since output_create
  std::size_t used = 0;
  char buffer[kOutputBufferSize];
};

// Creates (or empties) the file; false when it cannot be created, in which
// case every later write counts as failed. A file still open from before is
// closed first.
bool output_create(OutputFile& file, const char16_t* path);
// As output_create, but only when nothing exists under the name yet.
bool output_create_new(OutputFile& file, const char16_t* path);
// As output_create, but the bytes are gathered at the end of `memory`
// (emptied first), which must outlive the gathering: lines rendered ahead
// on another thread wait there for their turn in the file.
void output_gather(OutputFile& file, std::vector<char>& memory);
void output_append(OutputFile& file, const void* data, std::size_t size);
// Room for up to `size` bytes (at most kOutputBufferSize) at the end of the
// buffer, written out first where needed, so that a line can be converted
// straight into it; output_commit then appends the `used` bytes put there.
char* output_reserve(OutputFile& file, std::size_t size);
void output_commit(OutputFile& file, std::size_t used);
// Writes out the buffer and keeps the file open. True when every byte
// appended since output_create reached the file so far.
bool output_flush(OutputFile& file);
// Hands the open file to the caller, who closes it; kNoFile when none is open.
FileHandle output_release(OutputFile& file);
// Writes out the buffer and closes the file. True when every byte appended
// since output_create reached the file.
bool output_close(OutputFile& file);

}  // namespace tellwick
