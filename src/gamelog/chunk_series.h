// Where a character's chunk series ends. Chunk files 0, 1, 2, ... belong to
// the series while each exists, is not older than chunk 0, can be read (the
// game does not hold it open for writing) and continues the entry numbering
// of the one before. A file shorter than its own table says is still being
// written: its lines are taken, but the series ends after it uncounted, so
// that its next change brings all of it. Every reader of a series (export,
// history) decides through here, so that they all end it at the same file.
#pragma once

#include <cstdint>
#include <string>

#include "gamelog/chunk_view.h"
#include "platform/file.h"
#include "platform/system_error.h"

namespace tellwick {

// One chunk file as read for a series. It may be read on another thread
// than the one that decides on it.
struct ChunkFile {
  bool read = false;  // the contents were read (it exists, is not older and is not held)
  FileTime time = 0;  // its write time; 0 when it has none (missing)
  FileContents contents;
  bool opened = false;  // the contents hold at least a chunk header: `view` describes them
  ChunkView view;
  SystemErrorCode read_error = 0;  // why an existing, not older file could not be read
};

// Reads the chunk file under `path` with one opening for its time and its
// bytes; a file written before `not_before` (chunk 0's time) is not read.
void read_chunk_file(const std::u16string& path, FileTime not_before, ChunkFile& file);

enum class SeriesEnd {
  kNotEnded,
  kMissing,       // no chunk file of that number
  kOlder,         // written before chunk 0: left from an earlier series
  kUnreadable,    // there and not older, but could not be read: the game holds it
  kNotContinued,  // too short for a header, or its first index breaks the numbering
  kGrowing,       // taken, but shorter than its table: the series ends after it
};

// What the one rule says of a file.
enum class SeriesStep {
  kEnded,       // the series ended before this file: none of it is taken
  kTake,        // its lines are taken, and the series goes on after it
  kTakeAndEnd,  // its lines are taken, and the series ends after it uncounted
};

struct ChunkSeries {
  std::u16string character_folder;  // ending in a separator
  FileTime chunk0_time = 0;
  std::uint32_t expected_first_index = 0;
  // Chunk files taken whole: the number of the next file to decide on, and
  // once ended, of the file the series ended before (or at, when growing).
  int chunk_count = 0;
  bool taken = false;  // some file's lines were taken, even a file without entries
  SeriesEnd end = SeriesEnd::kNotEnded;
  // The time the progress record keeps for chunk number chunk_count: its
  // own, except for a file that is there and not older yet could not be
  // read. The game holds that one; it is kept as 0, which no file that is
  // there matches, so the next automatic export takes it even when the game
  // lets go of it without another write and its time never moves.
  FileTime next_chunk_time = 0;
};

// A series of the character folder whose chunk 0 was written at
// `chunk0_time` (taken once by the caller, before any file is read).
ChunkSeries start_chunk_series(const std::u16string& character_folder, FileTime chunk0_time);

// The path of the chunk file `ahead` places after the next one to decide on.
std::u16string next_chunk_path(const ChunkSeries& series, int ahead = 0);

// Decides on `file`, read as chunk number series.chunk_count, and moves the
// series past it. Readers that read files ahead of their turn hand each one
// here in its turn.
SeriesStep continue_series(ChunkSeries& series, const ChunkFile& file);

// Reads the next chunk file into `file` and decides on it.
SeriesStep read_next_chunk(ChunkSeries& series, ChunkFile& file);

}  // namespace tellwick
