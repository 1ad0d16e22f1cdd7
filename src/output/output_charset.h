// The charsets an export file and a recipe file can be written in. No byte
// order mark or header is ever written. A settings file may hold any number
// as the charset: it is kept as it is, and a charset outside 0..2 writes
// nothing.
#pragma once

#include <cstddef>

#include "gamelog/entry_line.h"
#include "output/output_file.h"

namespace tellwick {

enum OutputCharset : int {
  kCharsetAnsi = 0,  // the system ANSI code page (932 on Japanese systems)
  kCharsetUtf8 = 1,
  kCharsetUtf16 = 2,  // little-endian
};

// A rendered line (UTF-8 bytes, CR LF included) in the output charset.
// Charset 1 writes the bytes exactly as they are, valid UTF-8 or not.
void write_export_line(OutputFile& file, OutputCharset charset, const char* line, std::size_t length);

// Renders the entry line `view` stands for (control sequences shown or
// dropped, CR LF added) and writes it in the output charset: the same bytes
// as render_line and write_export_line, but in UTF-8 the line is rendered
// straight into the file's buffer, and in any charset outside 0..2 it is not
// rendered at all.
void write_rendered_line(OutputFile& file, OutputCharset charset, bool show, const EntryLineView& view);

// A UTF-16 text in the output charset, whatever its length.
void write_text(OutputFile& file, OutputCharset charset, const char16_t* text, std::size_t length);

}  // namespace tellwick
