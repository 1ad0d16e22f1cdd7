// The POSIX build's UTF-8 conversions are tuned for game-log text (word-wide
// ASCII, runs of kana and kanji taken without output-room checks); here they
// are held to a plain byte-at-a-time reference of the same rules over many
// mixes of well-formed and ill-formed text and every output room, so no fast
// path may change a single byte. (The Windows build uses the system's
// converters, which cut a result by other means, so this is POSIX only.)
#include <iconv.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "chunkgen/splitmix64.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

constexpr std::uint32_t kInvalid = 0xFFFFFFFF;

// One sequence as the system converter reads it: `s` is seen with its
// terminator, an ill-formed sequence takes the bytes up to the first that
// cannot continue it, an overlong, surrogate or out-of-range form is found
// at its second byte and takes those two bytes, and a lead byte without room
// for its continuation bytes before the end takes the rest of the input.
std::uint32_t reference_decode(const std::string& s, std::size_t& i) {
  const std::uint8_t lead = static_cast<std::uint8_t>(s[i++]);
  if (lead < 0x80) return lead;
  int trails = 0;
  if (lead >= 0xC2 && lead <= 0xDF) trails = 1;
  if (lead >= 0xE0 && lead <= 0xEF) trails = 2;
  if (lead >= 0xF0 && lead <= 0xF4) trails = 3;
  if (trails == 0) return kInvalid;
  if (s.size() + 1 - i < static_cast<std::size_t>(trails)) {
    i = s.size();
    return kInvalid;
  }
  std::uint32_t cp = lead & (0x3F >> trails);
  for (int k = 0; k < trails; ++k) {
    const std::uint8_t byte = static_cast<std::uint8_t>(s[i]);  // s[s.size()] is the terminator
    if ((byte & 0xC0) != 0x80) return kInvalid;
    cp = cp << 6 | (byte & 0x3F);
    ++i;
    if (k == 0 && trails == 3 && (cp < 0x10 || cp >= 0x110)) return kInvalid;  // overlong, or beyond U+10FFFF
    if (k == 0 && trails == 2 && (cp < 0x20 || (cp >= 0x360 && cp <= 0x37F)))
      return kInvalid;  // overlong, or a surrogate
  }
  return cp;
}

// The UTF-16 units of each character of `s`, in order; a result is cut
// between these.
std::vector<std::u16string> reference_utf16_characters(const std::string& s) {
  std::vector<std::u16string> characters;
  for (std::size_t i = 0; i < s.size();) {
    std::uint32_t cp = reference_decode(s, i);
    if (cp == kInvalid) cp = 0xFFFD;
    if (cp < 0x10000) {
      characters.push_back(std::u16string(1, static_cast<char16_t>(cp)));
    } else {
      cp -= 0x10000;
      characters.push_back({static_cast<char16_t>(0xD800 + (cp >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))});
    }
  }
  return characters;
}

// The C library's code page 932 form of each BMP unit, "?" where it has none
// (surrogates included, as a unit alone).
const std::vector<std::string>& cp932_forms() {
  static const std::vector<std::string> forms = [] {
    std::vector<std::string> table(0x10000, "?");
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return table;
    for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
      if (unit >= 0xD800 && unit <= 0xDFFF) continue;
      char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
      char out[8];
      char* in_ptr = in;
      char* out_ptr = out;
      std::size_t in_left = sizeof in;
      std::size_t out_left = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) {
        table[unit] = std::string(out, sizeof out - out_left);
      }
    }
    iconv_close(cd);
    return table;
  }();
  return forms;
}

// Both conversions of `s` by the reference, a character at a time, so that
// the result for any room is the longest run of whole characters that fits.
struct ReferenceConversion {
  std::vector<std::u16string> utf16;
  std::vector<std::string> ansi;
};

ReferenceConversion reference_convert(const std::string& s) {
  ReferenceConversion result;
  result.utf16 = reference_utf16_characters(s);
  for (const std::u16string& c : result.utf16) {
    std::string form;
    for (char16_t unit : c) form += cp932_forms()[unit];
    result.ansi.push_back(form);
  }
  return result;
}

template <typename String>
String reference_cut(const std::vector<String>& characters, std::size_t cap) {
  String out;
  for (const String& c : characters) {
    if (out.size() + c.size() > cap) break;
    out += c;
  }
  return out;
}

// Bytes past the output room that no conversion may touch.
constexpr std::size_t kGuard = 16;
constexpr char kGuardByte = '\x5A';

std::u16string converted_utf16(const std::string& s, std::size_t cap) {
  std::vector<char16_t> out(cap + kGuard, kGuardByte);
  const std::size_t n = utf8_to_utf16(s.c_str(), s.size(), out.data(), cap);
  for (std::size_t k = cap; k < cap + kGuard; ++k) EXPECT_EQ(out[k], kGuardByte) << "written past the room";
  return n <= cap ? std::u16string(out.data(), n) : u"(past the room)";
}

std::string converted_ansi(const std::string& s, std::size_t cap) {
  std::vector<char> out(cap + kGuard, kGuardByte);
  const std::size_t n = utf8_to_ansi(s.c_str(), s.size(), out.data(), cap);
  for (std::size_t k = cap; k < cap + kGuard; ++k) EXPECT_EQ(out[k], kGuardByte) << "written past the room";
  return n <= cap ? std::string(out.data(), n) : "(past the room)";
}

std::string utf8_of(std::uint32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | cp >> 18);
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

// Text shaped like a game log line, with everything it should not hold mixed
// in: ASCII runs of every length, kana, kanji and full-width forms in runs,
// any code point of every length (surrogates encoded as if characters
// included), ill-formed bytes and sequences cut anywhere.
std::string random_text(chunkgen::SplitMix64& rng) {
  std::string text;
  const std::uint32_t pieces = rng.below(30);
  for (std::uint32_t p = 0; p < pieces; ++p) {
    switch (rng.below(8)) {
      case 0:
      case 1: {
        const std::uint32_t ascii = rng.below(rng.one_in(4) ? 40 : 12);
        for (std::uint32_t k = 0; k < ascii; ++k) text += static_cast<char>(rng.below(0x80));
        break;
      }
      case 2:
      case 3: {
        const std::uint32_t run = 1 + rng.below(8);
        for (std::uint32_t k = 0; k < run; ++k) {
          const std::uint32_t block = rng.below(3);
          text += utf8_of(block == 0   ? rng.between(0x3000, 0x30FF)
                          : block == 1 ? rng.between(0x4E00, 0x9FFF)
                                       : rng.between(0xFF00, 0xFFFF));
        }
        break;
      }
      case 4: {
        const std::uint32_t length = rng.below(4);
        const std::uint32_t cp = length == 0   ? rng.between(0x80, 0x7FF)
                                 : length == 1 ? rng.between(0x800, 0xFFFF)
                                 : length == 2 ? rng.between(0xD800, 0xDFFF)
                                               : rng.between(0x10000, 0x10FFFF);
        text += utf8_of(cp);
        break;
      }
      case 5: {  // a well-formed character cut short, or with a byte changed
        std::string c = utf8_of(rng.between(0x80, 0x10FFFF));
        if (rng.one_in(2)) {
          c.resize(rng.below(static_cast<std::uint32_t>(c.size())));
        } else {
          c[rng.below(static_cast<std::uint32_t>(c.size()))] = static_cast<char>(rng.below(0x100));
        }
        text += c;
        break;
      }
      default: {
        const std::uint32_t count = 1 + rng.below(3);
        for (std::uint32_t k = 0; k < count; ++k) text += static_cast<char>(rng.between(0x80, 0xFF));
        break;
      }
    }
  }
  return text;
}

void expect_as_reference(const std::string& text, const ReferenceConversion& reference, std::size_t cap,
                         const std::string& what) {
  ASSERT_EQ(converted_utf16(text, cap), reference_cut(reference.utf16, cap)) << what << ", room " << cap;
  ASSERT_EQ(converted_ansi(text, cap), reference_cut(reference.ansi, cap)) << what << ", room " << cap;
}

std::size_t total_size(const auto& characters) {
  std::size_t size = 0;
  for (const auto& c : characters) size += c.size();
  return size;
}

// The rooms where a conversion changes its way or its result: none, a few
// units, about the input's length (the room the fast paths need), about each
// result's length, and plenty.
TEST(EncodingReference, RandomTextInEveryRoom) {
  ASSERT_EQ(cp932_forms()[0x3042], "\x82\xA0");  // the C library has a CP932 converter
  chunkgen::SplitMix64 rng{0x932};
  for (int round = 0; round < 20000; ++round) {
    const std::string text = random_text(rng);
    const ReferenceConversion reference = reference_convert(text);
    std::vector<std::size_t> caps = {3 * text.size(), rng.below(2 * static_cast<std::uint32_t>(text.size()) + 2)};
    for (const std::size_t size : {text.size(), total_size(reference.utf16), total_size(reference.ansi)}) {
      for (std::size_t cap = size >= 3 ? size - 3 : 0; cap <= size + 3; ++cap) caps.push_back(cap);
    }
    for (std::size_t cap = 0; cap < 8; ++cap) caps.push_back(cap);
    for (const std::size_t cap : caps) {
      expect_as_reference(text, reference, cap, "round " + std::to_string(round));
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

// Every lead byte with every second byte, then endings that complete, cut or
// break the sequence: alone, at the very end of the input; between ASCII
// long enough for the word-wide paths; and inside a run of kana and kanji at
// each place of the run's four- and two-at-a-time reads.
TEST(EncodingReference, EveryTwoBytesWithEveryEnding) {
  // clang-format off
  const std::string endings[] = {"", "\x80", "\xBF", "A", "\x80\x80", "\xBF\xBF", "\x80" "A", "\xE3\x81\x82"};
  // clang-format on
  const std::string kana = "\xE3\x81\x82";
  const std::string kanji_after = "\xE6\xBC\xA2\xE6\xBC\xA2\xE6\xBC\xA2\xE6\xBC\xA2\xE6\xBC\xA2ij";
  for (int first = 0x80; first <= 0xFF; ++first) {
    for (int second = 0; second <= 0xFF; ++second) {
      for (const std::string& ending : endings) {
        const std::string piece = std::string{static_cast<char>(first), static_cast<char>(second)} + ending;
        for (const std::string& text : {piece, "abcdefgh" + piece + "\xE6\xBC\xA2ijklmnopq"}) {
          const ReferenceConversion reference = reference_convert(text);
          for (const std::size_t cap : {text.size(), 3 * text.size(), text.size() / 2}) {
            expect_as_reference(text, reference, cap, "two bytes");
            if (::testing::Test::HasFatalFailure()) return;
          }
        }
        if (first < 0xC2 || first > 0xF4) continue;  // not a lead byte: nothing to break a run differently
        for (std::string before; before.size() < 4 * kana.size(); before += kana) {
          const std::string text = before + piece + kanji_after;
          expect_as_reference(text, reference_convert(text), 3 * text.size(), "two bytes in a run");
          if (::testing::Test::HasFatalFailure()) return;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tellwick
