#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "materia/leading_number.h"

#ifdef _WIN32
#include <cwchar>
#include <cwctype>
#endif

namespace tellwick {
namespace {

TEST(LeadingNumber, ReadsLikeTheCLibrary) {
  struct Case {
    std::u16string line;
    std::int32_t value;
    // clang-format off
  } cases[] = {
      {u"46", 46},
      {u"47::", 47},
      {u"", 0},
      {u"abc46", 0},
      {u"4::", 4},
      {u"460::", 460},
      {u"-46::", -46},
      {u"+46::", 46},
      {u"- 46", 0},
      {u"+-46", 0},
      {u" 46::", 46},
      {u"\t\n\v\f\r 46", 46},
      {u"0046::Aaa", 46},
      // Entry lines from the exporter: the digit run at the start of the hex time.
      {u"46C012340039:", 46},
      {u"5A1B2C3D0039:", 5},
      {u"000000460039:", 460039},
      // Clamped to the limits of a 32-bit long.
      {u"2147483647", 2147483647},
      {u"2147483648", kLeadingNumberMax},
      {u"-2147483648", kLeadingNumberMin},
      {u"-2147483649", kLeadingNumberMin},
      {u"99999999999999999999999946", kLeadingNumberMax},
      {u"-99999999999999999999999946", kLeadingNumberMin},
      // The Windows C library's white space and digits reach beyond ASCII.
      {u"\u300046", 46},                 // ideographic space
      {u"\u00A0\u2003\u202F46", 46},     // no-break, em and narrow no-break spaces
      {u"\u0085" u"46", 0},              // next line is not white space to it
      {u"\u001F" u"46", 0},
      {u"\uFF14\uFF16::", 46},           // full-width digits
      {u"4\uFF16", 46},
      {u"\u0664\u0666", 46},             // Arabic-Indic digits
      {u"\u096A\u096C", 46},             // Devanagari digits
      {u"\u0BEA\u0BEC", 0},              // Tamil digits are not among them
      // The units just past and just before a run of digits end the number.
      {u"4\uFF1A6", 4},                  // full-width colon, after full-width nine
      {u"4\uFF196", 496},
      {u"4\uFF0F6", 4},                  // full-width solidus, before full-width zero
      {u"4\u066A6", 4},                  // Arabic percent sign, after Arabic-Indic nine
      {u"4\u06696", 496},
      {u"4\u065F6", 4},
      {u"4:6", 4},
      {u"4/6", 4},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(leading_number(c.line.c_str()), c.value) << c.value;
}

// A line with another number is given up at the first unit after the digits:
// the units behind it are never read (ASan would report the read).
TEST(LeadingNumber, StopsAtTheFirstUnitAfterTheNumber) {
  auto unterminated = std::make_unique<char16_t[]>(3);
  unterminated[0] = u'4';
  unterminated[1] = u'8';
  unterminated[2] = u'C';
  EXPECT_EQ(leading_number(unterminated.get()), 48);

  // Once clamped, the value is final and no further digit is read.
  auto digits = std::make_unique<char16_t[]>(11);
  for (int i = 0; i < 11; ++i) digits[i] = u'9';
  EXPECT_EQ(leading_number(digits.get()), kLeadingNumberMax);
}

#ifdef _WIN32
// Held against the system's own wcstol for every UTF-16 unit, in front of
// the number and inside it.
TEST(LeadingNumber, AgreesWithTheSystemLibraryForEveryUnit) {
  for (std::uint32_t u = 1; u <= 0xFFFF; ++u) {
    const char16_t unit = static_cast<char16_t>(u);
    const char16_t before[] = {unit, u'4', u'6', 0};
    const char16_t inside[] = {u'4', unit, u'6', 0};
    for (const char16_t* line : {before, inside}) {
      const long expected = std::wcstol(reinterpret_cast<const wchar_t*>(line), nullptr, 10);
      ASSERT_EQ(leading_number(line), expected) << std::hex << u;
    }
    ASSERT_EQ(is_c_library_space(unit), std::iswspace(unit) != 0) << std::hex << u;
  }
}
#endif

}  // namespace
}  // namespace tellwick
