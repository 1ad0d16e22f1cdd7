// The double-byte mapping is glibc's CP932 converter, captured in a table at
// build time, so that no conversion module is needed where the program runs;
// the single bytes that the converter refuses (0x80, 0xA0, 0xFD..0xFF) are
// read as Windows reads them, so a file that went through Windows comes back
// the same.
#include "platform/posix/ansi_decode_posix.h"
#include "platform/posix/cp932_lead_bytes_posix.h"

namespace tellwick {
namespace {

constexpr std::uint8_t kHalfWidthFirst = 0xA1;
constexpr std::uint8_t kHalfWidthLast = 0xDF;
constexpr char16_t kHalfWidthBase = u'\uFF61';

// For each lead byte and each following byte: the character, or 0 for none.
constexpr char16_t kPairs[cp932::kLeadCount * 256] = {
#include "cp932_decode_table.inc"
};

char16_t single_byte_char(std::uint8_t b) {
  if (b < 0x80) return b;
  if (b >= kHalfWidthFirst && b <= kHalfWidthLast) return static_cast<char16_t>(kHalfWidthBase + (b - kHalfWidthFirst));
  // clang-format off
  switch (b) {
    case 0x80: return u'\u0080';
    case 0xA0: return u'\uF8F0';
    case 0xFD: return u'\uF8F1';
    case 0xFE: return u'\uF8F2';
    default: return u'\uF8F3';  // 0xFF, the only single byte left
  }
  // clang-format on
}

}  // namespace

std::size_t decode_ansi_char(const std::uint8_t* in, std::size_t left, char16_t& out) {
  const std::uint8_t b = in[0];
  if (!cp932::is_lead_byte(b)) {
    out = single_byte_char(b);
    return 1;
  }
  if (left < 2) {
    out = kAnsiDefaultChar;
    return 1;
  }
  const char16_t c = kPairs[cp932::lead_index(b) * 256 + in[1]];
  out = c != 0 ? c : kAnsiDefaultChar;
  return 2;
}

}  // namespace tellwick
