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

// For each BMP code unit its form's bytes in the order they are written,
// first byte low: below 0x100 for one byte (the default character where
// code page 932 has no form), else two. ASCII never reaches it: it maps to
// itself.
constexpr std::uint16_t kCp932[0x10000] = {
#include "cp932_table.inc"
};

constexpr bool two_byte_form(std::uint16_t form) { return form > 0xFF; }

// The room the conversion without checks counts on: an ill-formed byte,
// replaced by U+FFFD, gives at most one byte.
static_assert(!two_byte_form(kCp932[utf8::kReplacement]));

// Appends the form of one BMP code unit; false, with nothing written, when it
// does not fit.
inline bool put_unit(std::uint32_t unit, char* out, std::size_t& n, std::size_t out_cap) {
  const std::uint16_t form = kCp932[unit];
  const std::size_t size = two_byte_form(form) ? 2 : 1;
  if (out_cap - n < size) return false;
  out[n] = static_cast<char>(form & 0xFF);
  if (size == 2) out[n + 1] = static_cast<char>(form >> 8);
  n += size;
  return true;
}

// Stores a form as two bytes, of which the second counts only for a
// two-byte form: no branch on which it is. The output must have room for both.
inline void put_form_unchecked(std::uint16_t form, char* out, std::size_t& n) {
  std::memcpy(out + n, &form, 2);
  n += (form + 0x1FF00u) >> 16;  // 1, or 2 from 0x100 up: no branch
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

struct Position {
  std::size_t in;
  std::size_t out;
};

// One character that is neither ASCII nor a well-formed three-byte form:
// rare in a game log, so out of line, which leaves the loop its registers.
[[gnu::noinline]] Position put_other_unchecked(const std::uint8_t* s, std::size_t in_len, char* out, Position at) {
  const std::uint32_t unit = utf8::decode_next(s, at.in, in_len);
  if (unit < 0x10000) {
    put_form_unchecked(kCp932[unit], out, at.out);
  } else if (unit == utf8::kInvalid) {
    put_form_unchecked(kCp932[utf8::kReplacement], out, at.out);
  } else {
    out[at.out++] = kDefaultChar;
    out[at.out++] = kDefaultChar;
  }
  return at;
}

// utf8_to_ansi where the output has room for a byte per input byte and one
// more, which is room for anything: a two- or three-byte character takes at
// most two, a four-byte one two default characters, an ill-formed sequence
// one (U+FFFD has no form). So no write is checked, and a form is stored as
// two bytes whether it has one or two (the one byte more). The common case:
// an export line is converted into a buffer three times its size.
std::size_t utf8_to_ansi_with_room(const std::uint8_t* s, std::size_t in_len, char* out) {
  // Where one, two or four three-byte sequences can still start, their
  // bytes read up to the terminator.
  const std::size_t three_byte_end = in_len >= 3 ? in_len - 2 : 0;
  const std::size_t two_three_byte_end = in_len >= 7 ? in_len - 6 : 0;
  const std::size_t four_three_byte_end = in_len >= 13 ? in_len - 12 : 0;
  std::size_t i = 0;
  std::size_t n = 0;
  while (i < in_len) {
    if (s[i] < 0x80) {
      const std::size_t ascii = put_ascii_run(s + i, in_len - i, out + n);  // n <= i: room for all
      i += ascii;
      n += ascii;
      continue;
    }
    // Kana, kanji and full-width forms, most of a Japanese line, come in
    // runs: four at a time, two, then one.
    const std::size_t run_start = i;
    std::uint64_t four_units;
    while (i < four_three_byte_end && utf8::read_four_three_byte(s + i, four_units)) {
      put_form_unchecked(kCp932[four_units & 0xFFFF], out, n);
      put_form_unchecked(kCp932[four_units >> 16 & 0xFFFF], out, n);
      put_form_unchecked(kCp932[four_units >> 32 & 0xFFFF], out, n);
      put_form_unchecked(kCp932[four_units >> 48], out, n);
      i += 12;
    }
    std::uint32_t first;
    std::uint32_t second;
    while (i < two_three_byte_end && utf8::read_two_three_byte(s + i, first, second)) {
      put_form_unchecked(kCp932[first], out, n);
      put_form_unchecked(kCp932[second], out, n);
      i += 6;
    }
    if (i < three_byte_end && utf8::read_three_byte(s + i, first)) {
      put_form_unchecked(kCp932[first], out, n);
      i += 3;
    }
    if (i != run_start) continue;
    const Position next = put_other_unchecked(s, in_len, out, {i, n});
    i = next.in;
    n = next.out;
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
        // A whole word is stored; only its leading ASCII counts.
        std::uint64_t word;
        std::memcpy(&word, s + i, 8);
        std::memcpy(out + n, &word, 8);
        const std::size_t ascii = leading_ascii(word);
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
