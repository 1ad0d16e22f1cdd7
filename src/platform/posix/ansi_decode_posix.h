// Code page 932 bytes to UTF-16, the reverse of utf16_to_ansi, as Windows
// reads them: one character at a time, so a caller can keep track of which
// bytes each character came from.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tellwick {

// Windows' default character for code page 932: what a byte pair without a
// mapping, or a lead byte with nothing after it, reads as.
constexpr char16_t kAnsiDefaultChar = u'\u30FB';
constexpr std::uint8_t kAnsiDefaultBytes[] = {0x81, 0x45};  // the character's own form

// Decodes the character that starts at in[0]; `left` (at least 1) bytes are
// available. Stores it in `out` and returns how many bytes it took, 1 or 2.
// A lead byte always takes the byte after it, whatever that byte is.
std::size_t decode_ansi_char(const std::uint8_t* in, std::size_t left, char16_t& out);

}  // namespace tellwick
