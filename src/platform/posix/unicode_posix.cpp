// UTF-8 <-> UTF-16 as Windows converts them with flags 0. A lone surrogate
// becomes U+FFFD in UTF-8.
#include "platform/encoding.h"
#include "platform/ascii_run.h"
#include "platform/posix/utf8_decode_posix.h"

#include <cstdint>
#include <cstring>

namespace tellwick {

using utf8::kInvalid;
using utf8::kReplacement;

namespace utf8 {
namespace {

int trail_count(std::uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return 0;  // 0x80..0xC1 and 0xF5..0xFF never start a sequence
}

bool take_trail(const std::uint8_t* s, std::size_t& i, std::uint32_t& cp) {
  if ((s[i] & 0xC0) != 0x80) return false;
  cp = cp << 6 | (s[i] & 0x3F);
  return true;
}

}  // namespace

std::uint32_t decode_sequence(const std::uint8_t* s, std::size_t& i, std::size_t in_len) {
  const std::uint8_t lead = s[i - 1];
  const int trails = trail_count(lead);
  if (trails == 0) return kInvalid;
  if (in_len + 1 - i < static_cast<std::size_t>(trails)) {  // not even room for it before the end
    i = in_len;
    return kInvalid;
  }
  std::uint32_t cp = lead & (0x3F >> trails);
  if (trails == 3) {
    if (!take_trail(s, i, cp)) return kInvalid;
    ++i;
    if (cp < 0x10) return kInvalid;  // overlong four-byte form
  }
  if (trails >= 2) {
    if (!take_trail(s, i, cp)) return kInvalid;
    if (cp >= (0x110000 >> 6)) return kInvalid;  // beyond U+10FFFF; this byte is not taken
    ++i;
    if (cp < 0x20) return kInvalid;                                   // overlong three-byte form
    if (cp >= (0xD800 >> 6) && cp <= (0xDFFF >> 6)) return kInvalid;  // a surrogate
  }
  if (!take_trail(s, i, cp)) return kInvalid;
  ++i;
  return cp < 0x80 ? kInvalid : cp;
}

}  // namespace utf8

namespace {

// Four bytes, the low half of `bytes`, as four little-endian 16-bit units.
std::uint64_t widen_four(std::uint64_t bytes) {
  bytes = (bytes | bytes << 16) & 0x0000FFFF0000FFFFULL;
  return (bytes | bytes << 8) & 0x00FF00FF00FF00FFULL;
}

}  // namespace

std::size_t utf8_to_utf16(const char* in, std::size_t in_len, char16_t* out, std::size_t out_cap) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(in);
  std::size_t i = 0;
  std::size_t n = 0;
  while (i < in_len) {
    if (s[i] < 0x80) {
      if (in_len - i >= 8 && out_cap - n >= 8) {
        // A whole word is widened and stored; only its leading ASCII counts.
        std::uint64_t word;
        std::memcpy(&word, s + i, 8);
        const std::uint64_t units[2] = {widen_four(word & 0xFFFFFFFF), widen_four(word >> 32)};
        std::memcpy(out + n, units, sizeof units);
        const std::size_t ascii = leading_ascii(word);
        i += ascii;
        n += ascii;
        continue;
      }
      if (n == out_cap) break;
      out[n++] = s[i++];
      continue;
    }
    std::size_t next = i;
    std::uint32_t cp = utf8::decode_next(s, next, in_len);
    if (cp == kInvalid) cp = kReplacement;  // above 0x10000 as it stands
    if (cp < 0x10000) {
      if (n == out_cap) break;
      out[n++] = static_cast<char16_t>(cp);
    } else {
      if (out_cap - n < 2) break;
      cp -= 0x10000;
      out[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      out[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
    i = next;
  }
  return n;
}

std::size_t utf16_to_utf8(const char16_t* in, std::size_t in_len, char* out, std::size_t out_cap) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < in_len; ++i) {
    std::uint32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in_len && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    const std::size_t bytes = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (n + bytes > out_cap) break;
    switch (bytes) {
      case 1: out[n++] = static_cast<char>(cp); break;
      case 2:
        out[n++] = static_cast<char>(0xC0 | (cp >> 6));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        break;
      case 3:
        out[n++] = static_cast<char>(0xE0 | (cp >> 12));
        out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        break;
      default:
        out[n++] = static_cast<char>(0xF0 | (cp >> 18));
        out[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        break;
    }
  }
  return n;
}

}  // namespace tellwick
