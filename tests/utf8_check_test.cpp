// UTF-8 checks, in blocks of sixteen and of thirty-two bytes and byte by
// byte, against the definition of well-formed UTF-8 written out as code
// points: every pair and triple of bytes, the four-byte forms at their
// limits, on both sides of a block boundary, and long random texts with
// faults here and there.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "history/utf8_blocks.h"
#include "history/utf8_repair.h"

namespace tellwick {
namespace {

// The length of the well-formed character at s[i], or 0.
std::size_t oracle_length(const std::vector<std::uint8_t>& s, std::size_t i) {
  const std::uint8_t lead = s[i];
  std::size_t length;
  std::uint32_t cp;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1Fu;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0Fu;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((s[i + k] & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (s[i + k] & 0x3Fu);
  }
  static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

std::size_t oracle_first_fault(const std::vector<std::uint8_t>& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t length = oracle_length(s, i);
    if (length == 0) return i;
    i += length;
  }
  return s.size();
}

// Both checks agree with the definition on `s`; false (after a failed
// expectation naming the bytes) when they do not.
bool checks_agree(const std::vector<std::uint8_t>& s, const char* what) {
  const std::size_t fault = oracle_first_fault(s);
  const std::size_t blocks = well_formed_utf8_blocks(s.data(), s.size());
  const std::size_t sixteen = well_formed_utf8_blocks(s.data(), s.size(), Utf8Blocks::kSixteen);
  const std::vector<std::uint8_t> prefix(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(blocks));
  const std::vector<std::uint8_t> prefix16(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(sixteen));
  const std::string_view text(reinterpret_cast<const char*>(s.data()), s.size());
  const bool agree = blocks <= fault && oracle_first_fault(prefix) == blocks && sixteen <= fault &&
                     oracle_first_fault(prefix16) == sixteen && first_invalid_utf8(text) == fault;
  if (!agree) {
    std::string hex;
    for (const std::uint8_t b : s) hex += "0123456789ABCDEF"[b >> 4], hex += "0123456789ABCDEF"[b & 15], hex += ' ';
    ADD_FAILURE() << what << ": fault at " << fault << ", blocks " << blocks << ", of sixteen " << sixteen
                  << ", first_invalid_utf8 " << first_invalid_utf8(text) << " in " << hex;
  }
  return agree;
}

// `bytes` at `offset` in 80 bytes of ASCII, so that blocks of sixteen and
// of thirty-two take them before, across and after a block boundary.
std::vector<std::uint8_t> placed(std::initializer_list<std::uint8_t> bytes, std::size_t offset) {
  std::vector<std::uint8_t> s(80, 'a');
  std::size_t i = offset;
  for (const std::uint8_t b : bytes) s[i++] = b;
  return s;
}

TEST(Utf8Check, EveryPairOfBytesAtEveryPlaceInABlock) {
  for (std::size_t offset = 0; offset < 33; ++offset) {
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        if (!checks_agree(placed({std::uint8_t(a), std::uint8_t(b)}, offset), "pair")) return;
      }
    }
  }
}

TEST(Utf8Check, EveryTripleAcrossABlockBoundary) {
  for (const std::size_t offset : {13u, 14u, 15u, 16u, 29u, 30u, 31u, 32u}) {
    for (int a = 0x80; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        for (int c = 0; c < 256; ++c) {
          if (!checks_agree(placed({std::uint8_t(a), std::uint8_t(b), std::uint8_t(c)}, offset), "triple")) return;
        }
      }
    }
  }
}

TEST(Utf8Check, FourByteFormsAtTheirLimits) {
  const std::uint8_t edges[] = {0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                0xC0, 0xC2, 0xE0, 0xED, 0xF0, 0xF4, 0xFF};
  for (const std::size_t offset : {10u, 12u, 13u, 14u, 15u, 16u, 18u, 28u, 29u, 30u, 31u, 32u}) {
    for (int a = 0xE0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        for (const std::uint8_t c : edges) {
          for (const std::uint8_t d : edges) {
            if (!checks_agree(placed({std::uint8_t(a), std::uint8_t(b), c, d}, offset), "four")) return;
          }
        }
      }
    }
  }
}

// Long texts cross many of the places where the block check looks back at
// what it found; one fault, or none, somewhere in them.
TEST(Utf8Check, LongTextsWithAFaultAnywhere) {
  std::mt19937 random(2026);
  const std::vector<std::vector<std::uint8_t>> characters = {{'a'},
                                                             {'\n'},
                                                             {0xC3, 0xA9},
                                                             {0xE3, 0x81, 0x82},
                                                             {0xEE, 0x82, 0x90},
                                                             {0xF0, 0x9F, 0x98, 0x80},
                                                             {0xF4, 0x8F, 0xBF, 0xBF}};
  const std::vector<std::uint8_t> faults = {0x80, 0xBF, 0xC0, 0xC1, 0xE0, 0xED, 0xF5, 0xFF};
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> s;
    const std::size_t length = random() % 6000;
    // Runs of one kind of character, as real text has them.
    while (s.size() < length) {
      const auto& c = characters[random() % characters.size()];
      for (std::size_t run = random() % 40; run > 0; --run) s.insert(s.end(), c.begin(), c.end());
    }
    if (round % 4 != 0 && !s.empty()) {
      const std::size_t at = random() % s.size();
      if (round % 2 == 0) {
        s[at] = faults[random() % faults.size()];
      } else {
        s.resize(at + 1);  // a text cut short, perhaps in a character
      }
    }
    if (!checks_agree(s, "long text")) return;
  }
}

#if defined(__x86_64__) || defined(__i386__)
// A processor of this kind checks long text in blocks, not byte by byte.
TEST(Utf8Check, LongWellFormedTextIsCheckedInBlocks) {
  std::vector<std::uint8_t> s;
  while (s.size() < 4000) s.insert(s.end(), {0xE3, 0x81, 0x82, 'x'});
  EXPECT_GT(well_formed_utf8_blocks(s.data(), s.size()), 3000u);
  EXPECT_GT(well_formed_utf8_blocks(s.data(), s.size(), Utf8Blocks::kSixteen), 3000u);
}
#endif

}  // namespace
}  // namespace tellwick
