// History lines made straight from the bytes of an export file, in one pass
// that decodes each entry's text into its place in the line: the decoded
// text of a whole piece, and the looks at it to split the entries and their
// fields, are left out for the entries that need nothing more.
#pragma once

#include <cstddef>
#include <cstdint>

#include "history/export_text.h"
#include "history/history_printer.h"

namespace tellwick {

// What a thread keeps from one piece to the next: the few entries that
// need more than this pass are decoded alone and printed the long way.
struct StraightLines {
  ExportText decoded;
  HistoryPrinter long_way;
};

// Prints the entries of a piece of an export file as printing its decoded
// text would: a piece after the byte order mark that starts with an entry
// line, in UTF-8 only when it is well-formed, in a printer whose filter has
// no text or sender. Stops at the first entry line whose text this pass
// cannot tell in the piece's decoded text on its own: one followed by a
// line of the same entry, or one that decodes with a character replaced
// (or, in code page 932, ends in a lead byte). Returns the offset of that
// entry line, or how far the piece holds whole characters; `line_ends` is
// set to the line ends before it.
// The lines replace what `printer.buffer` held, whose bytes are room to
// write into: a buffer used again is not filled with zeros again.
std::size_t print_entries_straight(HistoryPrinter& printer, StraightLines& state, ExportCharset charset,
                                   const std::uint8_t* data, std::size_t size, std::size_t& line_ends);

}  // namespace tellwick
