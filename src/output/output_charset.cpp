#include "output/output_charset.h"

#include <bit>

#include "gamelog/control_sequence.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

static_assert(std::endian::native == std::endian::little,
              "UTF-16 output is written from memory as little-endian code units");

// A rendered line never has more UTF-16 units than bytes. Its ANSI form needs
// at most three bytes a byte in any code page Windows uses as the ANSI code
// page (UTF-8 being the widest, where one ill-formed byte becomes U+FFFD), so
// neither conversion of a line is ever cut.
constexpr std::size_t kLineUnits = kRenderedLineCapacity;
constexpr std::size_t kLineAnsiBytes = 3 * kRenderedLineCapacity;

// Texts are converted in slices small enough for a fixed buffer; a slice
// never ends between the two halves of a surrogate pair.
constexpr std::size_t kTextSliceUnits = 4096;
constexpr std::size_t kTextSliceBytes = 3 * kTextSliceUnits;

void append_utf16(OutputFile& file, const char16_t* units, std::size_t count) {
  output_append(file, units, count * sizeof(char16_t));
}

}  // namespace

void write_export_line(OutputFile& file, OutputCharset charset, const char* line, std::size_t length) {
  switch (charset) {
    case kCharsetUtf8: output_append(file, line, length); break;
    case kCharsetAnsi: {
      char* out = output_reserve(file, kLineAnsiBytes);
      output_commit(file, utf8_to_ansi(line, length, out, kLineAnsiBytes));
      break;
    }
    case kCharsetUtf16: {
      char16_t wide[kLineUnits];
      append_utf16(file, wide, utf8_to_utf16(line, length, wide, kLineUnits));
      break;
    }
    default: break;
  }
}

void write_rendered_line(OutputFile& file, OutputCharset charset, bool show, const EntryLineView& view) {
  if (charset == kCharsetUtf8) {
    // render_line may touch its whole buffer beyond the line it writes.
    char* out = output_reserve(file, kRenderedLineCapacity);
    output_commit(file, render_line(view, show, out));
  } else if (charset == kCharsetAnsi || charset == kCharsetUtf16) {
    char rendered[kRenderedLineCapacity];
    write_export_line(file, charset, rendered, render_line(view, show, rendered));
  }
}

void write_text(OutputFile& file, OutputCharset charset, const char16_t* text, std::size_t length) {
  if (charset == kCharsetUtf16) {
    append_utf16(file, text, length);
    return;
  }
  if (charset != kCharsetUtf8 && charset != kCharsetAnsi) return;
  char bytes[kTextSliceBytes];
  while (length > 0) {
    std::size_t slice = length < kTextSliceUnits ? length : kTextSliceUnits;
    if (slice < length && text[slice - 1] >= 0xD800 && text[slice - 1] <= 0xDBFF) --slice;
    const std::size_t n = charset == kCharsetUtf8 ? utf16_to_utf8(text, slice, bytes, kTextSliceBytes)
                                                  : utf16_to_ansi(text, slice, bytes, kTextSliceBytes);
    output_append(file, bytes, n);
    text += slice;
    length -= slice;
  }
}

}  // namespace tellwick
