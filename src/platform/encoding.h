// Text conversions between the game's UTF-8, the program's UTF-16 and the
// system ANSI code page. Windows uses its own converters; the POSIX build
// reproduces what they give (code page 932, "?" for an unmappable character,
// U+FFFD for every ill-formed UTF-8 sequence).
#pragma once

#include <cstddef>

namespace tellwick {

// Each conversion takes the input's length and returns the number of units
// written, without a terminator. Nothing is written at or past out_cap: a
// result that would not fit is cut after the last whole character that fits,
// so a cut never leaves half a character behind.

// `in[in_len]` must be the input's zero terminator: the system converter sees
// it, and it decides how a sequence cut short at the end is replaced.
std::size_t utf8_to_utf16(const char* in, std::size_t in_len, char16_t* out, std::size_t out_cap);
std::size_t utf16_to_utf8(const char16_t* in, std::size_t in_len, char* out, std::size_t out_cap);
std::size_t utf16_to_ansi(const char16_t* in, std::size_t in_len, char* out, std::size_t out_cap);

// Code page 932 (Shift_JIS as Windows has it) to UTF-16, whatever the
// system's own ANSI code page, so that export files written on Japanese
// systems read the same everywhere. A byte pair without a mapping and a lead
// byte at the end read as Windows' default character, U+30FB "・"; `replaced`
// receives how many did (the character's own bytes 81 45 are no
// replacement), counted over the whole input. Every byte gives at most one
// code unit: with out_cap >= in_len nothing is cut.
std::size_t cp932_to_utf16(const char* in, std::size_t in_len, char16_t* out, std::size_t out_cap,
                           std::size_t& replaced);

// UTF-8 to the ANSI code page: the bytes that utf8_to_utf16 followed by
// utf16_to_ansi give, ill-formed input included. `in[in_len]` must be the
// input's zero terminator, as for utf8_to_utf16.
std::size_t utf8_to_ansi(const char* in, std::size_t in_len, char* out, std::size_t out_cap);

}  // namespace tellwick
