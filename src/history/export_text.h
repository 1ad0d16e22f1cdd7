// An export file's bytes as UTF-8 text. Export files carry no mark of their
// charset (the system ANSI code page, UTF-8 or UTF-16 little-endian, as the
// settings said when they were written), so it is told from the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "history/utf8_repair.h"

namespace tellwick {

enum class ExportCharset { kUtf8, kUtf16, kShiftJis };

// Every export line starts with a hex digit: in UTF-16 its second byte is
// zero, which no line in the other two charsets has. UTF-8 and code page 932
// share ASCII; a file that holds more ill-formed UTF-8 than well-formed
// multi-byte sequences, and fewer faults as code page 932 than as UTF-8, is
// code page 932. Anything else is read as UTF-8 (pure ASCII reads the same
// either way). A byte order mark, which Tellwick never writes, is honoured.
ExportCharset detect_export_charset(const std::uint8_t* data, std::size_t size);

struct ExportText {
  ExportCharset charset = ExportCharset::kUtf8;
  std::string_view text;  // well-formed UTF-8: into `converted`, `buffer` or the input
  std::string converted;
  std::unique_ptr<char[]> buffer;
  std::size_t buffer_size = 0;
  // Ill-formed sequences shown as U+FFFD; in code page 932, characters
  // without a mapping shown as its default character U+30FB.
  std::size_t replaced = 0;
  std::size_t first_replaced_line = 0;  // 1-based; 0 when none
  bool odd_length = false;              // UTF-16 with a last byte alone, which is left out
};

// What telling the charset needs of a whole file, gathered piece by piece
// (pieces split just after a line end, which ends every sequence in both
// charsets). Most files are well-formed UTF-8 throughout: the counts are
// taken only once a piece proves otherwise, and then from the file's start.
struct CharsetCensus {
  bool well_formed_utf8 = true;  // every piece so far
  // Multi-byte characters in those pieces, as far as they were counted.
  std::size_t utf8_characters = 0;
  bool counting = false;
  Utf8Census utf8;
  std::size_t cp932_faults = 0;
};
// False when the census must start over from the file's first piece.
bool add_to_census(const std::uint8_t* data, std::size_t size, CharsetCensus& census);

// Whether the census has seen enough to tell the charset, since an export
// file has one charset from its first line to its last: well-formed UTF-8
// holding 4,096 characters beyond ASCII (about a dozen kilobytes of Japanese
// text) is UTF-8; once a piece proves otherwise, the file is told by its
// first 65,536 sequences beyond ASCII (a few hundred kilobytes), not its
// whole length. A settled census has not looked at the rest of the file.
bool census_is_settled(const CharsetCensus& census);

// The charset told by the file's first bytes alone (a byte order mark, or
// UTF-16); false when the whole file's census decides.
bool charset_of_start(const std::uint8_t* data, std::size_t size, ExportCharset& charset);
ExportCharset charset_of_census(const CharsetCensus& census);

// The length of a byte order mark of `charset` at the start of a file.
std::size_t mark_length(ExportCharset charset, const std::uint8_t* data, std::size_t size);

// One piece of a file's text after its mark, in a known charset, cut where
// the whole file's decoding would be between two characters; line numbers
// count from the piece's start.
void decode_export_piece(const std::uint8_t* data, std::size_t size, ExportCharset charset, ExportText& result);

// `text` views the input itself when it is well-formed UTF-8 already, so the
// input must outlive the result.
void decode_export_text(const std::uint8_t* data, std::size_t size, ExportText& result);

}  // namespace tellwick
