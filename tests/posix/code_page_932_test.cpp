// The POSIX build's code page 932 is two tables made at build time from the
// C library's converter, one each way, and its UTF-8 reader skips the UTF-16
// step: all are held here to what the converter and the two-step conversion
// give, for every BMP character, every byte and byte pair, and every shape
// of ill-formed UTF-8.
#include <iconv.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/encoding.h"

namespace tellwick {
namespace {

// What the C library's converter makes of one BMP character; "?" where it
// has no form, as the program writes the default character.
std::string iconv_form(iconv_t cd, char16_t unit) {
  char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  char out[8];
  char* in_ptr = in;
  char* out_ptr = out;
  std::size_t in_left = sizeof in;
  std::size_t out_left = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) return "?";
  return std::string(out, sizeof out - out_left);
}

std::string utf8_of(std::uint32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::string direct(const std::string& utf8, std::size_t cap) {
  std::string out(cap, '\0');
  out.resize(utf8_to_ansi(utf8.c_str(), utf8.size(), out.data(), cap));
  return out;
}

// No ANSI form is longer than its UTF-8.
std::string direct(const std::string& utf8) { return direct(utf8, utf8.size()); }

std::string two_step(const std::string& utf8) {
  std::u16string wide(utf8.size() + 1, u'\0');
  wide.resize(utf8_to_utf16(utf8.c_str(), utf8.size(), wide.data(), wide.size()));
  std::string out(3 * wide.size() + 1, '\0');
  out.resize(utf16_to_ansi(wide.data(), wide.size(), out.data(), out.size()));
  return out;
}

TEST(CodePage932, EveryBmpCharacterAsTheConverterGivesIt) {
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  int mismatches = 0;
  std::size_t with_form = 0;
  for (std::uint32_t cp = 1; cp < 0x10000 && mismatches < 10; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;  // no UTF-8 form; lone units are below
    const std::string expected = iconv_form(cd, static_cast<char16_t>(cp));
    with_form += expected != "?" || cp == '?';
    const char16_t unit = static_cast<char16_t>(cp);
    std::string from_utf16(2, '\0');
    from_utf16.resize(utf16_to_ansi(&unit, 1, from_utf16.data(), 2));
    // Between ASCII, so that the word-at-a-time paths meet the character too.
    const std::string from_utf8 = direct("abcdefghij" + utf8_of(cp) + "klmnopqrs");
    if (from_utf16 != expected || from_utf8 != "abcdefghij" + expected + "klmnopqrs") {
      ADD_FAILURE() << "U+" << std::hex << cp;
      ++mismatches;
    }
  }
  iconv_close(cd);
  // Code page 932 holds some 7,900 characters; a converter that refused
  // them all would make every check above pass as "?".
  EXPECT_GT(with_form, 7000u);
  for (char16_t lone : {u'\xD800', u'\xDBFF', u'\xDC00', u'\xDFFF'}) {
    char out[2];
    EXPECT_EQ(utf16_to_ansi(&lone, 1, out, 2), 1u);
    EXPECT_EQ(out[0], '?');
  }
}

// What the C library's converter reads `bytes` as: its one UTF-16 unit, or
// 0 when it refuses them or makes anything else of them.
char16_t iconv_char(iconv_t cd, const std::string& bytes) {
  char* in_ptr = const_cast<char*>(bytes.data());
  unsigned char out[8];
  char* out_ptr = reinterpret_cast<char*>(out);
  std::size_t in_left = bytes.size();
  std::size_t out_left = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) return 0;
  if (in_left != 0 || sizeof out - out_left != 2) return 0;
  return static_cast<char16_t>(out[0] | out[1] << 8);
}

struct Decoded {
  std::u16string text;
  std::size_t replaced;
};

Decoded decode(const std::string& bytes) {
  Decoded d{std::u16string(bytes.size(), u'\0'), 0};
  d.text.resize(cp932_to_utf16(bytes.data(), bytes.size(), d.text.data(), d.text.size(), d.replaced));
  return d;
}

bool is_lead_byte(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The program reads code page 932 from a table of its own, made when it is
// built: every byte and every pair after a lead byte must read as the
// converter reads them.
TEST(CodePage932, EveryOneAndTwoByteSequenceReadsAsTheConverterGivesIt) {
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "this C library has no CP932 converter";
  // The single bytes that the converter refuses, as Windows reads them.
  const std::map<int, char16_t> windows_singles = {
      {0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'}};
  int mismatches = 0;
  for (int b = 0; b < 0x100; ++b) {
    const std::string bytes(1, static_cast<char>(b));
    const Decoded got = decode(bytes);
    char16_t expected = u'\u30FB';  // a lead byte with nothing after it
    if (!is_lead_byte(b)) {
      expected = iconv_char(cd, bytes);
      if (expected == 0 && b != 0) expected = windows_singles.at(b);
    }
    EXPECT_EQ(got.text, std::u16string(1, expected)) << "byte " << std::hex << b;
    EXPECT_EQ(got.replaced, is_lead_byte(b) ? 1u : 0u) << "byte " << std::hex << b;
  }
  std::size_t with_character = 0;
  for (int lead = 0x81; lead <= 0xFC && mismatches < 10; ++lead) {
    if (!is_lead_byte(lead)) continue;
    for (int trail = 0; trail < 0x100 && mismatches < 10; ++trail) {
      const std::string bytes = {static_cast<char>(lead), static_cast<char>(trail)};
      const char16_t converted = iconv_char(cd, bytes);
      with_character += converted != 0;
      const Decoded got = decode(bytes);
      const bool default_char_itself = lead == 0x81 && trail == 0x45;
      if (got.text != std::u16string(1, converted != 0 ? converted : u'\u30FB') ||
          got.replaced != (converted != 0 || default_char_itself ? 0u : 1u)) {
        ADD_FAILURE() << "bytes " << std::hex << lead << " " << trail;
        ++mismatches;
      }
    }
  }
  iconv_close(cd);
  // Code page 932 holds some 7,900 double-byte characters; a converter that
  // refused them all would make every check above pass as the default one.
  EXPECT_GT(with_character, 7000u);
}

TEST(CodePage932, Utf8ReadsAsTheTwoStepConversionDoes) {
  // Every sequence of one to four bytes drawn from the values where UTF-8's
  // rules change: ASCII, the continuation range edges, every kind of lead
  // byte and the bytes that never occur.
  const std::vector<std::uint8_t> values = {0x01, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                            0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE,
                                            0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFE, 0xFF};
  std::size_t checked = 0;
  int mismatches = 0;
  std::vector<std::size_t> index;
  for (std::size_t length = 1; length <= 4 && mismatches < 10; ++length) {
    index.assign(length, 0);
    for (;;) {
      std::string bytes;
      for (std::size_t k : index) bytes += static_cast<char>(values[k]);
      // Alone, at the end of a line and followed by text.
      for (const std::string& text : {bytes, "12345678" + bytes, bytes + "x", "12345678" + bytes + "abcdefgh"}) {
        ++checked;
        if (direct(text) != two_step(text)) {
          ADD_FAILURE() << "input of " << text.size() << " bytes starting " << std::hex
                        << int(static_cast<std::uint8_t>(bytes[0]));
          ++mismatches;
        }
      }
      std::size_t k = 0;
      while (k < length && ++index[k] == values.size()) index[k++] = 0;
      if (k == length) break;
    }
  }
  EXPECT_GT(checked, 1800000u);
  // clang-format off
  // A character outside the BMP is two units there, so two default characters here.
  EXPECT_EQ(direct("a\xF0\x9F\x98\x80" "b"), "a??b");
  // clang-format on
  EXPECT_EQ(direct("\xE3\x81\x82\xEF\xBD\xB1\xC2\xA5"), "\x82\xA0\xB1\\");  // あ, half-width ｱ, yen sign
}

TEST(CodePage932, Utf8CutsBetweenCharacters) {
  EXPECT_EQ(direct("a\xE3\x81\x82", 2), "a");  // never half a double-byte character
  EXPECT_EQ(direct("a\xE3\x81\x82", 3), "a\x82\xA0");
  EXPECT_EQ(direct("a\xF0\x9F\x98\x80", 2), "a");  // nor one of the two default characters
  EXPECT_EQ(direct("abcdefghijklmnop", 9), "abcdefghi");
  EXPECT_EQ(direct("abc", 0), "");
}

}  // namespace
}  // namespace tellwick
