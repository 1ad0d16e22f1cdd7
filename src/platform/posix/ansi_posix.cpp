// The ANSI code page of the POSIX build is 932, the code page of the Japanese
// Windows systems the program is made for, so exports and check codes come out
// the same on both systems. The mapping is glibc's CP932 converter, captured
// in a table at build time: every character is one look-up, and the export
// converts every line it writes.
#include "platform/encoding.h"
#include "platform/ascii_run.h"
#include "platform/posix/utf8_decode_posix.h"

#include <cstdint>
#include <cstring>

namespace tellwick {
namespace {

constexpr char kDefaultChar = '?';

// For each BMP code unit: 0 when code page 932 has no form for it, a value
// below 0x100 for a single byte, else the lead byte and the trail byte.
// ASCII never reaches it: it maps to itself.
constexpr std::uint16_t kCp932[0x10000] = {
#include "cp932_table.inc"
};

// Appends the form of one BMP code unit; false, with nothing written, when it
// does not fit.
inline bool put_unit(std::uint32_t unit, char* out, std::size_t& n, std::size_t out_cap) {
  const std::uint16_t form = kCp932[unit];
  if (form > 0xFF) {
    if (out_cap - n < 2) return false;
    out[n] = static_cast<char>(form >> 8);
    out[n + 1] = static_cast<char>(form & 0xFF);
    n += 2;
    return true;
  }
  if (n == out_cap) return false;
  out[n++] = form != 0 ? static_cast<char>(form) : kDefaultChar;
  return true;
}

// Stores eight bytes at once and returns how many of them lead as ASCII,
// which convert to themselves: only those count.
std::size_t copy_leading_ascii(const std::uint8_t* s, char* out) {
  std::uint64_t word;
  std::memcpy(&word, s, 8);
  std::memcpy(out, &word, 8);
  return leading_ascii(word);
}

}  // namespace

std::size_t utf16_to_ansi(const char16_t* in, std::size_t in_len, char* out, std::size_t out_cap) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < in_len; ++i) {
    const char16_t unit = in[i];
    if (unit < 0x80) {
      if (n == out_cap) break;
      out[n++] = static_cast<char>(unit);
      continue;
    }
    if (!put_unit(unit, out, n, out_cap)) break;
  }
  return n;
}

namespace {

// utf8_to_ansi where the output has room for a byte per input byte and one
// more, which is room for anything: a two- or three-byte character takes at
// most two, a four-byte one two default characters, an ill-formed sequence
// one (U+FFFD has no form). So no write is checked, and a form is stored as
// two bytes whether it has one or two (the one byte more). The common case:
// an export line is converted into a buffer three times its size.
std::size_t utf8_to_ansi_with_room(const std::uint8_t* s, std::size_t in_len, char* out) {
  std::size_t i = 0;
  std::size_t n = 0;
  while (i < in_len) {
    if (s[i] < 0x80) {
      if (in_len - i >= 8) {
        const std::size_t ascii = copy_leading_ascii(s + i, out + n);
        i += ascii;
        n += ascii;
      } else {
        out[n++] = static_cast<char>(s[i++]);
      }
      continue;
    }
    std::uint32_t unit = utf8::decode_next(s, i, in_len);
    if (unit == utf8::kInvalid) unit = utf8::kReplacement;
    if (unit >= 0x10000) {
      out[n++] = kDefaultChar;
      out[n++] = kDefaultChar;
      continue;
    }
    const std::uint16_t form = kCp932[unit];
    const bool two_bytes = form > 0xFF;
    const char first = two_bytes ? static_cast<char>(form >> 8) : form != 0 ? static_cast<char>(form) : kDefaultChar;
    out[n] = first;
    out[n + 1] = static_cast<char>(form & 0xFF);
    n += two_bytes ? 2 : 1;
  }
  return n;
}

}  // namespace

// The same bytes as utf8_to_utf16 followed by utf16_to_ansi, without the
// UTF-16 in between: a character outside the BMP is a surrogate pair there,
// two units without a form, so two default characters here.
std::size_t utf8_to_ansi(const char* in, std::size_t in_len, char* out, std::size_t out_cap) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(in);
  if (out_cap > in_len) return utf8_to_ansi_with_room(s, in_len, out);
  std::size_t i = 0;
  std::size_t n = 0;
  while (i < in_len) {
    if (s[i] < 0x80) {
      if (in_len - i >= 8 && out_cap - n >= 8) {
        const std::size_t ascii = copy_leading_ascii(s + i, out + n);
        i += ascii;
        n += ascii;
        continue;
      }
      if (n == out_cap) break;
      out[n++] = static_cast<char>(s[i++]);
      continue;
    }
    std::size_t next = i;
    const std::uint32_t cp = utf8::decode_next(s, next, in_len);
    if (cp < 0x10000) {
      if (!put_unit(cp, out, n, out_cap)) break;
    } else if (cp == utf8::kInvalid) {
      if (!put_unit(utf8::kReplacement, out, n, out_cap)) break;
    } else {
      if (out_cap - n < 2) break;
      out[n++] = kDefaultChar;
      out[n++] = kDefaultChar;
    }
    i = next;
  }
  return n;
}

}  // namespace tellwick
