#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "materia/examine_line.h"
#include "materia/leading_number.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

std::u16string wide(const std::string& utf8) {
  std::u16string out(utf8.size() + 1, u'\0');
  out.resize(utf8_to_utf16(utf8.c_str(), utf8.size(), out.data(), out.size()));
  return out;
}

// The exporter's shortcut must never turn away a line the detector accepts:
// every line of four pieces from an alphabet of digits, signs, ASCII and
// Unicode white space and full-width digits.
TEST(MayBeMateriaLine, NeverRejectsALeadingNumberOf46Or47) {
  // clang-format off
  const std::vector<std::string> pieces = {"0", "4", "6", "7", "8", "A", " ", "+", "-", "\t",
                                           "\xEF\xBC\x94" /* ４ */, "\xEF\xBC\x96" /* ６ */,
                                           "\xE3\x80\x80" /* U+3000 */, "x"};
  // clang-format on
  int candidates = 0;
  for (const auto& a : pieces)
    for (const auto& b : pieces)
      for (const auto& c : pieces)
        for (const auto& d : pieces) {
          const std::string line = a + b + c + d + ":text";
          const std::int32_t number = leading_number(wide(line).c_str());
          if (number == 46 || number == 47) {
            ++candidates;
            EXPECT_TRUE(may_be_materia_line(line.c_str())) << line;
          }
        }
  EXPECT_GT(candidates, 100);  // the alphabet does reach the numbers
}

// Entry lines start with their hex time: the answer there is exact, also
// before the line is stripped of its control sequences.
TEST(MayBeMateriaLine, EntryLinesAreJudgedByTheirHexTime) {
  const struct {
    const char* line;
    bool candidate;
    bool accepted;  // leading number 46 or 47 once stripped
    // clang-format off
  } cases[] = {
      {"46C01234000A:text", true, true},   {"47ABCDEF000A", true, true},   {"0046ABCD0039", true, true},
      {"5A1B2C3D000A:text", false, false}, {"460ABCDE000A", false, false}, {"4F000000000A", false, false},
      {"48000000000A", false, false},      {"00000000000A", false, false}, {"", false, false},
      // Digits that run into the text, where a sequence hides the next digit.
      {"000000000004\x02\x10\x01\x03" "6:text", true, true},
      {"000000000004\x02\x10\x01\x03" "8:text", true, false},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(may_be_materia_line(c.line), c.candidate) << c.line;
    char stripped[kEntryLineCapacity];
    strip_line(c.line, std::strlen(c.line), stripped);
    const std::int32_t number = leading_number(wide(stripped).c_str());
    EXPECT_EQ(number == 46 || number == 47, c.accepted) << c.line;
  }
}

}  // namespace
}  // namespace tellwick
