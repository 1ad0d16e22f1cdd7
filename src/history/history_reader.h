// Reading a player's history: export files as Tellwick wrote them, or the
// chunk series the game holds now, printed through a HistoryPrinter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "history/export_pieces.h"
#include "history/history_printer.h"

namespace tellwick {

// The export files in a log folder (ending in a separator), oldest first:
// names "YYYY.MM.DD.hhmm.log" and "YYYY.MM.DD.hhmm_N.log" in the order of
// their time and number. Recipe files and every other name are left out.
// False when the folder cannot be listed.
bool export_files_in(const std::u16string& log_folder, std::vector<std::u16string>& paths);

// A path or name in messages, as UTF-8.
std::string utf8_of(std::u16string_view text);

// Whether a file name is that of an export file.
bool is_export_file_name(std::u16string_view name);

// One export file, in whichever charset it was written. Bad input is told
// through the printer's message sink, and everything readable is printed.
void read_export_file(HistoryPrinter& printer, const std::u16string& path);

// The same for a file's bytes; `name` goes into the messages. They are
// taken in pieces of `piece_size` bytes, as a file is read.
void read_export_bytes(HistoryPrinter& printer, std::string_view name, const std::uint8_t* data, std::size_t size,
                       std::size_t piece_size = kExportPieceSize);

// The chunk series of a character folder (ending in a separator), ended
// where the exporter ends it (gamelog/chunk_series.h): a chunk file the game
// holds open is told, as the series ends before it.
void read_chunk_series(HistoryPrinter& printer, const std::u16string& character_folder);

// One chunk file's entries, as read_chunk_series prints them.
void read_chunk_bytes(HistoryPrinter& printer, std::string_view name, const std::uint8_t* data, std::size_t size);

}  // namespace tellwick
