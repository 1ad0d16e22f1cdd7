// An export file read in pieces, so that memory does not grow with the
// file: a look at its start tells the charset, then a pass decodes and
// prints, on every core once the first entry is known. Filters look at each
// piece's raw bytes before any entry is taken apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "history/history_printer.h"

namespace tellwick {

// Reads up to `capacity` bytes at `offset`, fewer only at the end; false
// when the bytes cannot be read.
using ReadAt = std::function<bool(std::uint64_t offset, std::uint8_t* buffer, std::size_t capacity, std::size_t& size)>;

// Large enough that reads and decoding run at full speed, small enough that
// a history of any length stays far below the memory a reader may take and
// that a fresh buffer's first touch (a page fault for every 4 KiB) costs
// little: a quarter MiB reads a file as fast as 4 MiB does.
constexpr std::size_t kExportPieceSize = std::size_t{1} << 18;

// Prints the file's entries and tells its bad input, as a reading of the
// whole file at once would; messages about the input come after its
// entries. False, with nothing told, when a read failed (the system's
// reason is then the last system error).
bool read_export_pieces(HistoryPrinter& printer, std::string_view name, const ReadAt& read_at,
                        std::size_t piece_size = kExportPieceSize);

}  // namespace tellwick
