// glibc's CP932 converter supplies the double-byte mapping once; the single
// bytes that it refuses (0x80, 0xA0, 0xFD..0xFF) are read as Windows reads
// them, so a file that went through Windows comes back the same.
#include "platform/posix/ansi_decode_posix.h"
#include "platform/posix/iconv_one.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace tellwick {
namespace {

constexpr int kLeadCount = 60;  // 0x81..0x9F and 0xE0..0xFC
constexpr std::uint8_t kHalfWidthFirst = 0xA1;
constexpr std::uint8_t kHalfWidthLast = 0xDF;
constexpr char16_t kHalfWidthBase = u'\uFF61';

bool is_lead_byte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

int lead_index(std::uint8_t lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1); }

// For each lead byte and each following byte: the character, or 0 for none.
using PairTable = std::array<char16_t, kLeadCount * 256>;

std::unique_ptr<PairTable> build_pair_table() {
  auto table = std::make_unique<PairTable>();
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return table;  // every pair reads as the default character
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!is_lead_byte(static_cast<std::uint8_t>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char out[8];
      if (iconv_one(cd, in, sizeof in, out, sizeof out) != 2) continue;  // only ever one BMP character
      (*table)[lead_index(static_cast<std::uint8_t>(lead)) * 256 + trail] =
          static_cast<char16_t>(static_cast<std::uint8_t>(out[0]) | static_cast<std::uint8_t>(out[1]) << 8);
    }
  }
  iconv_close(cd);
  return table;
}

const PairTable& pair_table() {
  static const std::unique_ptr<PairTable> table = build_pair_table();
  return *table;
}

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
  if (!is_lead_byte(b)) {
    out = single_byte_char(b);
    return 1;
  }
  if (left < 2) {
    out = kAnsiDefaultChar;
    return 1;
  }
  const char16_t c = pair_table()[lead_index(b) * 256 + in[1]];
  out = c != 0 ? c : kAnsiDefaultChar;
  return 2;
}

}  // namespace tellwick
