// History lines made straight from the bytes of a code page 932 export, in
// one pass that decodes each entry's text into its place in the line: the
// decoded text of a whole piece, and the looks at it to split the entries
// and their fields, are left out for the entries that need nothing more.
#pragma once

#include <cstddef>
#include <cstdint>

#include "history/export_text.h"
#include "history/history_printer.h"

namespace tellwick {

// What a thread keeps from one piece to the next: the few entries that
// need more than this pass are decoded whole and printed the long way.
struct Cp932Lines {
  ExportText decoded;
  HistoryPrinter long_way;
};

// Prints the entries of a piece of a code page 932 export as printing its
// decoded text would (a piece that starts with an entry line, in a printer
// whose filter has no text or sender), up to the first entry line whose
// text this pass cannot tell in the piece's decoded text on its own: one
// followed by a line of the same entry, or one that holds a character the
// table does not decode, or that ends in a lead byte. Returns the offset of
// that entry line, or `size`; `line_ends` is set to the line ends before it.
// The lines replace what `printer.buffer` held, whose bytes are room to
// write into: a buffer used again is not filled with zeros again.
std::size_t print_cp932_entries(HistoryPrinter& printer, Cp932Lines& state, const std::uint8_t* data, std::size_t size,
                                std::size_t& line_ends);

}  // namespace tellwick
