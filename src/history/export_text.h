// An export file's bytes as UTF-8 text. Export files carry no mark of their
// charset (the system ANSI code page, UTF-8 or UTF-16 little-endian, as the
// settings said when they were written), so it is told from the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
  std::string_view text;  // well-formed UTF-8: into `converted` or the input
  std::string converted;
  // Ill-formed sequences shown as U+FFFD; in code page 932, characters
  // without a mapping shown as its default character U+30FB.
  std::size_t replaced = 0;
  std::size_t first_replaced_line = 0;  // 1-based; 0 when none
  bool odd_length = false;              // UTF-16 with a last byte alone, which is left out
};

// `text` views the input itself when it is well-formed UTF-8 already, so the
// input must outlive the result.
void decode_export_text(const std::uint8_t* data, std::size_t size, ExportText& result);

}  // namespace tellwick
