// The same table runs natively and under Wine against the system's own
// converters, so both builds are held to one behaviour.
#include <gtest/gtest.h>

#include <string>

#include "chunkgen/splitmix64.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

std::u16string to_utf16(const std::string& in, std::size_t cap = 4096) {
  std::u16string out(cap, u'\0');
  out.resize(utf8_to_utf16(in.data(), in.size(), out.data(), cap));
  return out;
}

std::string to_utf8(const std::u16string& in, std::size_t cap = 4096) {
  std::string out(cap, '\0');
  out.resize(utf16_to_utf8(in.data(), in.size(), out.data(), cap));
  return out;
}

std::string to_ansi(const std::u16string& in, std::size_t cap = 4096) {
  std::string out(cap, '\0');
  out.resize(utf16_to_ansi(in.data(), in.size(), out.data(), cap));
  return out;
}

TEST(Encoding, Utf8ToUtf16) {
  struct Case {
    std::string in;
    std::u16string out;
    // clang-format off
  } cases[] = {
      {"Hi!", u"Hi!"},
      {"\xE3\x81\x82", u"\u3042"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // outside the BMP: a surrogate pair
      {"\xC3\xA9", u"\u00E9"},
      // Ill-formed input, replaced as the system converter does.
      {"\x80", u"\xFFFD"},
      {"a\xFF" "b", u"a\xFFFD" u"b"},
      {"\xC0\x80", u"\xFFFD\xFFFD"},
      {"\xE3\x81" "A", u"\xFFFD" u"A"},
      {"\xE3\x81", u"\xFFFD"},
      {"\xE3" "A", u"\xFFFD" u"A"},
      {"a\xE3", u"a\xFFFD"},
      {"\xED\xA0\x80", u"\xFFFD\xFFFD"},            // a surrogate
      {"\xE0\x80\x80", u"\xFFFD\xFFFD"},            // overlong
      {"\xF0\x80\x80\x80", u"\xFFFD\xFFFD\xFFFD"},  // overlong
      {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD"},  // beyond U+10FFFF
      {"\xF5\x80", u"\xFFFD\xFFFD"},
      {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
      {"\xF0\x9F\x98" "x", u"\xFFFD" u"x"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(to_utf16(c.in), c.out) << c.in;
}

TEST(Encoding, Utf16ToUtf8) {
  struct Case {
    std::u16string in;
    std::string out;
    // clang-format off
  } cases[] = {
      {u"Hi!", "Hi!"},
      {u"\u3042", "\xE3\x81\x82"},
      {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      {u"a\xD83D" u"b", "a\xEF\xBF\xBD" "b"},  // a lone surrogate
      {u"\xDE00", "\xEF\xBF\xBD"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(to_utf8(c.in), c.out);
}

TEST(Encoding, Utf16ToCodePage932) {
  struct Case {
    std::u16string in;
    std::string out;
    // clang-format off
  } cases[] = {
      {u"Check", "Check"},
      {u"\u3042", "\x82\xA0"},             // あ
      {u"\u30A2", "\x83\x41"},             // ア
      {u"\u30DE\u30C6\u30EA\u30A2", "\x83\x7D\x83\x65\x83\x8A\x83\x41"},  // マテリア
      {u"\uFF1A", "\x81\x46"},             // full-width colon
      {u"\uFF01", "\x81\x49"},             // ！
      {u"\uFF71", "\xB1"},                 // half-width ｱ
      {u"\u4E00", "\x88\xEA"},             // 一
      {u"\u2460", "\x87\x40"},             // ①
      {u"\uFF5E", "\x81\x60"},             // ～
      {u"\u0E01", "?"},                    // Thai: not in 932
      {u"\xD83D\xDE00", "??"},             // outside the BMP
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(to_ansi(c.in), c.out) << int(c.in[0]);
}

// Code page 932 read back: what has no mapping reads as the default
// character U+30FB and is counted; that character's own bytes are not.
TEST(Encoding, CodePage932ToUtf16CountsWhatItReplaced) {
  struct Case {
    std::string in;
    std::u16string out;
    std::size_t replaced;
    // clang-format off
  } cases[] = {
      {"a\x82\xA0\xB1", u"a\u3042\uFF71", 0},       // あ, half-width ｱ
      {"\x81\x45", u"\u30FB", 0},                     // ・ itself
      {"\x85\x40!", u"\u30FB!", 1},                   // a pair without a mapping
      {"\x85\x40\x81\x45\x86\x9F", u"\u30FB\u30FB\u30FB", 2},
      {"x\x82", u"x\u30FB", 1},                        // a lead byte at the end
  };
  // clang-format on
  for (const Case& c : cases) {
    std::u16string out(c.in.size(), u'\0');
    std::size_t replaced = 99;
    out.resize(cp932_to_utf16(c.in.data(), c.in.size(), out.data(), out.size(), replaced));
    EXPECT_EQ(out, c.out) << c.in;
    EXPECT_EQ(replaced, c.replaced) << c.in;
  }
  // No input, nothing replaced.
  std::size_t replaced = 99;
  EXPECT_EQ(cp932_to_utf16("", 0, nullptr, 0, replaced), 0u);
  EXPECT_EQ(replaced, 0u);
}

std::string utf8_to_ansi_string(const std::string& in, std::size_t cap = 4096) {
  std::string out(cap, '\0');
  out.resize(utf8_to_ansi(in.c_str(), in.size(), out.data(), cap));
  return out;
}

TEST(Encoding, Utf8ToCodePage932) {
  struct Case {
    std::string in;
    std::string out;
    // clang-format off
  } cases[] = {
      {"Check the line, all of it ASCII", "Check the line, all of it ASCII"},
      {"\xE3\x81\x82", "\x82\xA0"},                                 // あ
      {"5399A1B4000A:\xE3\x83\x9E\xE3\x83\x86:ok\r\n", "5399A1B4000A:\x83\x7D\x83\x65:ok\r\n"},
      {"\xEF\xBD\xB1", "\xB1"},                                       // half-width ｱ
      {"\xE0\xB8\x81", "?"},                                          // Thai: not in 932
      {"a\xF0\x9F\x98\x80" "b", "a??b"},                               // outside the BMP: two units
      {"a\xFF" "b", "a?b"},                                            // ill-formed, as U+FFFD has no form
      {"\xE3\x81" "A", "?A"},
      {"a\xE3", "a?"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(utf8_to_ansi_string(c.in), c.out) << c.in;
}

// Text converts the same whether it stands alone (short enough to be taken a
// byte at a time) or between runs of ASCII long enough for the
// word-at-a-time paths. Four bytes of ASCII stay after the text both times:
// a sequence that has not even room for its continuation bytes before the
// end of the input is replaced up to the end, so the end must not come
// into it.
TEST(Encoding, TextConvertsTheSameBetweenAscii) {
  const std::string values = "\x41\x7F\x80\xBF\xC1\xC2\xDF\xE0\xE3\xED\xEF\xF0\xF4\xF5\xFF";
  const std::string before = "5399A1B4000A";
  const std::string after = "abcdefghijklmnop";
  for (char a : values) {
    for (char b : values) {
      for (char c : values) {
        const std::string alone = {a, b, c, 'w', 'x', 'y', 'z'};
        const std::u16string wide = to_utf16(alone);
        EXPECT_EQ(to_utf16(before + alone + after), u"5399A1B4000A" + wide + u"abcdefghijklmnop");
        EXPECT_EQ(utf8_to_ansi_string(before + alone + after), before + utf8_to_ansi_string(alone) + after);
        EXPECT_EQ(utf8_to_ansi_string(alone), to_ansi(wide));
      }
    }
  }
}

// A mix of what a game log line holds and of what it should not: ASCII runs,
// kana and kanji, two- and four-byte characters, and ill-formed pieces (stray
// continuation bytes, cut sequences, overlong forms, surrogates, code points
// past U+10FFFF).
std::string random_utf8_mix(chunkgen::SplitMix64& rng) {
  static const char* const kPieces[] = {
      "\xE3\x81\x82",
      "\xE6\xBC\xA2",
      "\xEF\xBC\x81",
      "\xEF\xBD\xB1",
      "\xE0\xB8\x81",
      "\xC2\xA7",
      "\xD0\x96",
      "\xF0\x9F\x98\x80",
      "\x80",
      "\xBF",
      "\xC1\x81",
      "\xC2",
      "\xE3\x81",
      "\xE0\x80\x80",
      "\xED\xA0\x80",
      "\xF4\x90\x80\x80",
      "\xF0\x80\x80\x80",
      "\xFF",
      "\xEE\x80\x80",
      "\x7F",
  };
  std::string text;
  const std::uint32_t pieces = rng.below(40);
  for (std::uint32_t p = 0; p < pieces; ++p) {
    if (rng.one_in(2)) {
      const std::uint32_t ascii = rng.below(14);
      for (std::uint32_t k = 0; k < ascii; ++k) text += static_cast<char>(rng.between(0x20, 0x7E));
    } else {
      text += kPieces[rng.below(sizeof kPieces / sizeof kPieces[0])];
    }
  }
  return text;
}

// Whatever the room, a result that fits it is the whole result; and code
// page 932 comes out as by way of UTF-16. The room decides which way a
// conversion takes (some check every write, some need none), so all of
// them must agree.
TEST(Encoding, ResultsThatFitAreTheSameWhateverTheRoom) {
  chunkgen::SplitMix64 rng{932};
  for (int round = 0; round < 20000; ++round) {
    const std::string text = random_utf8_mix(rng);
    const std::u16string wide = to_utf16(text);
    const std::string ansi = utf8_to_ansi_string(text);
    ASSERT_EQ(ansi, to_ansi(wide)) << round;
    for (const std::size_t cap : {wide.size(), text.size(), text.size() + 1, 3 * text.size()}) {
      if (cap >= wide.size()) {
        ASSERT_EQ(to_utf16(text, cap), wide) << round << " room " << cap;
      }
    }
    for (const std::size_t cap : {ansi.size(), text.size(), text.size() + 1, 3 * text.size()}) {
      if (cap >= ansi.size()) {
        ASSERT_EQ(utf8_to_ansi_string(text, cap), ansi) << round << " room " << cap;
      }
    }
  }
}

TEST(Encoding, ResultsThatDoNotFitAreCutBetweenCharacters) {
  EXPECT_EQ(to_utf16("a\xE3\x81\x82", 1), u"a");
  EXPECT_EQ(to_utf16("a\xF0\x9F\x98\x80", 2), u"a");  // never half a surrogate pair
  EXPECT_EQ(to_utf16("abc", 0), u"");
  EXPECT_EQ(to_utf8(u"a\u3042", 3), "a");
  EXPECT_EQ(to_utf8(u"a\xD83D\xDE00", 4), "a");
  EXPECT_EQ(to_ansi(u"a\u3042", 2), "a");  // never half a double-byte character
  EXPECT_EQ(to_ansi(u"a\u3042", 3), "a\x82\xA0");
  EXPECT_EQ(to_utf16("abcdefghijklmnop", 9), u"abcdefghi");
  EXPECT_EQ(utf8_to_ansi_string("a\xE3\x81\x82", 2), "a");
  EXPECT_EQ(utf8_to_ansi_string("abcdefghijklmnop", 9), "abcdefghi");
}

}  // namespace
}  // namespace tellwick
