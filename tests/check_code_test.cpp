#include <gtest/gtest.h>

#include <string>

#include "materia/check_code.h"

namespace tellwick {
namespace {

std::u16string check_code(const std::u16string& item, const std::u16string& materia) {
  char16_t out[kCheckCodeCapacity];
  const std::size_t n = compute_check_code(item, materia, out);
  EXPECT_EQ(out[n], u'\0');
  return std::u16string(out, n);
}

std::u16string formatted(std::uint32_t a, std::uint32_t b) {
  char16_t out[kCheckCodeCapacity];
  return std::u16string(out, format_check_code(CheckAccumulators{a, b}, out));
}

TEST(CheckCode, CodesOfNamePairs) {
  struct Case {
    std::u16string item, materia, code;
  } cases[] = {
      {u"abc", u"de", u"841593772011"},
      {u"ab", u"cde", u"841593772062"},  // the same A for every split of the bytes, another B
      {u"", u"", u"369955756847"},
      // ア is 0x83 0x41 in code page 932, taken as unsigned bytes.
      {u"ア", u"", u"480147761284"},
  };
  for (const Case& c : cases) EXPECT_EQ(check_code(c.item, c.materia), c.code);
}

TEST(CheckCode, AccumulatorsAfterEachByte) {
  // Item "abc", then materia "de", whose positions count from 1 again.
  const unsigned char item[] = {'a', 'b', 'c'};
  const unsigned char materia[] = {'d', 'e'};
  const std::uint32_t a_after[] = {740007, 480112, 960323, 920746, 841593};
  const std::uint32_t b_after[] = {758496, 761828, 766877, 768577, 772011};
  for (int i = 0; i < 3; ++i) {
    CheckAccumulators prefix;
    accumulate_check_bytes(prefix, item, static_cast<std::size_t>(i) + 1);
    EXPECT_EQ(prefix.a, a_after[i]);
    EXPECT_EQ(prefix.b, b_after[i]);
  }
  CheckAccumulators whole;
  accumulate_check_bytes(whole, item, 3);
  for (int i = 0; i < 2; ++i) {
    CheckAccumulators step = whole;
    accumulate_check_bytes(step, materia, static_cast<std::size_t>(i) + 1);
    EXPECT_EQ(step.a, a_after[3 + i]);
    EXPECT_EQ(step.b, b_after[3 + i]);
  }
}

TEST(CheckCode, SingleSubtractionNotARemainder) {
  const unsigned char z = 122;
  CheckAccumulators acc{999990, 0};
  accumulate_check_bytes(acc, &z, 1);  // 2 * 999990 + 122 = 2000102, less 1000000 once
  EXPECT_EQ(acc.a, 1000102u);
  EXPECT_EQ(acc.b, 122u * 17u);
  // Above the modulus the excess doubles with every further byte.
  const unsigned char zero = 0;
  accumulate_check_bytes(acc, &zero, 1);
  EXPECT_EQ(acc.a, 1000204u);
  // Arithmetic wraps at 2^32: 2 * 3000000000 = 1705032704 (mod 2^32), less 1000000.
  CheckAccumulators big{3000000000u, 0};
  accumulate_check_bytes(big, &zero, 1);
  EXPECT_EQ(big.a, 1704032704u);
  // B stays above the modulus only when one byte's term exceeds it: the byte
  // 255 at position 231 adds 255 * 231 * 17 = 1001385.
  unsigned char name[231] = {};
  name[230] = 255;
  CheckAccumulators far{0, 999999};
  accumulate_check_bytes(far, name, 231);
  EXPECT_EQ(far.b, 1001384u);
}

TEST(CheckCode, FormatRaisesSmallValuesAndPrintsLargeOnesWhole) {
  struct Case {
    std::uint32_t a, b;
    std::u16string code;
    // clang-format off
  } cases[] = {
      {42, 756847, u"100042756847"},
      {100000, 99999, u"100000199999"},
      {99999, 0, u"199999100000"},
      {1000102, 4294967295u, u"10001024294967295"},
      {0, 0, u"100000100000"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(formatted(c.a, c.b), c.code);
}

TEST(CheckCode, LongNamesCountTheirFirst254AnsiBytes) {
  struct Case {
    const char* what;
    std::u16string longer, same;
  } cases[] = {
      {"ASCII", std::u16string(300, u'x'), std::u16string(254, u'x')},
      {"two-byte characters", std::u16string(200, u'ア'), std::u16string(127, u'ア')},
      // 1 + 2 * 126 bytes: the next character would need 255 and is left out whole.
      {"odd length", u"a" + std::u16string(200, u'ア'), u"a" + std::u16string(126, u'ア')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(check_code(c.longer, u"m"), check_code(c.same, u"m")) << c.what;
    EXPECT_EQ(check_code(u"i", c.longer), check_code(u"i", c.same)) << c.what;
    EXPECT_NE(check_code(c.same.substr(0, c.same.size() - 1), u"m"), check_code(c.same, u"m")) << c.what;
  }
}

TEST(CheckCode, UnmappableCharactersCountAsTheDefaultCharacter) {
  // Code page 932 has no Thai letters; Windows and the POSIX build both make them "?".
  EXPECT_EQ(check_code(u"\u0E01", u""), check_code(u"?", u""));
  // A character outside the BMP is two units, each without a mapping.
  EXPECT_EQ(check_code(u"\U0001F600", u""), check_code(u"??", u""));
}

}  // namespace
}  // namespace tellwick
