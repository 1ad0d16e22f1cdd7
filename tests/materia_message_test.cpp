#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "materia/examine_line.h"
#include "materia/materia_message.h"
#include "materia/seen_check_list.h"
#include "output/output_charset.h"
#include "support/recipe_output.h"
#include "support/report_capture.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

constexpr bool kDetected = true;
constexpr bool kRejected = false;

struct DetectCase {
  std::u16string line;
  bool detected;
  std::size_t actor_length;
  std::u16string item, materia;
};

void expect_detection(const DetectCase& c) {
  MateriaMessage m;
  const bool detected = detect_materia_message(c.line.c_str(), m);
  ASSERT_EQ(detected, c.detected);
  if (!detected) return;
  EXPECT_EQ(m.actor_length, c.actor_length);
  EXPECT_EQ(m.item_name(), c.item);
  EXPECT_EQ(m.materia_name(), c.materia);
  EXPECT_EQ(m.item[m.item_length], u'\0');
  EXPECT_EQ(m.materia[m.materia_length], u'\0');
}

TEST(MateriaMessage, LinesOfTheDocumentedShape) {
  const DetectCase cases[] = {
      {u"0046::Aaa Bbb:SwordからStoneが生成された！", kDetected, 7, u"Sword", u"Stone"},
      {u"0047::Aaa Bbb:SwordからStoneが生成された！", kDetected, 7, u"Sword", u"Stone"},
      {u"0048::Aaa Bbb:SwordからStoneが生成された！", kRejected, 0, u"", u""},
      // Failed name scan: the item name starts at position 7.
      {u"0046::aaa bbb:SwordからStoneが生成された！", kDetected, 0, u"aa bbb:Sword", u"Stone"},
      {u"0046::A B:SwordからStoneが生成された！", kDetected, 3, u"Sword", u"Stone"},
      // The second word ends at the capital C, which is the skipped unit.
      {u"0046::Aaa BbbCcc:SwordからStoneが生成された！", kDetected, 7, u"cc:Sword", u"Stone"},
      // Split at the first "から": the rest goes to the materia name.
      {u"0046::Aaa Bbb:剣から作った盾からStoneが生成された！", kDetected, 7, u"剣", u"作った盾からStone"},
      {u"0046::Aaa Bbb:Swordからが生成された！", kDetected, 7, u"Sword", u""},
      {u"0046::Aaa Bbb:からStoneが生成された！", kDetected, 7, u"", u"Stone"},
      {u"0046::Aaa Bbb:からが生成された！", kDetected, 7, u"", u""},
      // Whatever follows the produced marker is not looked at.
      {u"0046::Aaa Bbb:SwordからStoneが生成された！から", kDetected, 7, u"Sword", u"Stone"},
      {u"0046::Aaa Bbb:SwordからStoneが生成された！が生成された！", kDetected, 7, u"Sword", u"Stone"},
  };
  for (const DetectCase& c : cases) {
    SCOPED_TRACE(std::string(c.line.begin(), c.line.begin() + 6));
    expect_detection(c);
  }
}

TEST(MateriaMessage, LeadingNumberDecidesFirst) {
  // clang-format off
  const DetectCase cases[] = {
      {u"4::Aaa Bbb:SwordからStoneが生成された！", kRejected, 0, u"", u""},
      {u"460::Aaa Bbb:SwordからStoneが生成された！", kRejected, 0, u"", u""},
      {u"-46::Aaa Bbb:SwordからStoneが生成された！", kRejected, 0, u"", u""},
      {u"46", kRejected, 0, u"", u""},
      {u"", kRejected, 0, u"", u""},
      // One space before the number: position 6 is then the "a" of "Aaa".
      {u" 46::Aaa Bbb:SwordからStoneが生成された！", kDetected, 0, u"a Bbb:Sword", u"Stone"},
      {u"+46::Aaa Bbb:SwordからStoneが生成された！", kDetected, 0, u"a Bbb:Sword", u"Stone"},
      {u"\u3000" u"46:Aaa Bbb:SwordからStoneが生成された！", kDetected, 0, u" Bbb:Sword", u"Stone"},
      {u"\uFF14\uFF16::Aaa Bbb:SwordからStoneが生成された！", kDetected, 0, u" Bbb:Sword", u"Stone"},
      // Entry lines as the exporter hands them over: twelve hex characters first.
      {u"46C012340039::SwordからStoneが生成された！", kDetected, 0, u"40039::Sword", u"Stone"},
      {u"47FFFFFF0039::SwordからStoneが生成された！", kDetected, 0, u"F0039::Sword", u"Stone"},
      {u"5A1B2C3D0039::SwordからStoneが生成された！", kRejected, 0, u"", u""},
      {u"470000000039::SwordからStoneが生成された！", kRejected, 0, u"", u""},
      // Both markers are needed.
      {u"0046::Aaa Bbb:SwordからStone", kRejected, 0, u"", u""},
      {u"0046::Aaa Bbb:Stoneが生成された！", kRejected, 0, u"", u""},
      {u"0046::Aaa Bbb:Swordから Stoneが生成された", kRejected, 0, u"", u""},  // no full-width "！"
  };
  // clang-format on
  for (const DetectCase& c : cases) {
    SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
    expect_detection(c);
  }
}

TEST(MateriaMessage, NameScan) {
  struct Case {
    std::u16string text;
    std::size_t length;
    // clang-format off
  } cases[] = {
      {u"Aaa Bbb:x", 7},
      {u"Aaa Bbb", 7},  // the end of the line ends the second word
      {u"A B", 3},
      {u"Aaa BbbCcc", 7},
      {u"Aaa Bbb-Ccc", 7},
      {u"Aaa Bbb1", 7},
      {u"Aaa Bbbé", 7},
      {u"aaa Bbb", 0},
      {u"Aaa bbb", 0},
      {u"Aaa  Bbb", 0},
      {u"AaaBbb Ccc", 0},
      {u"Aaa", 0},
      {u"Aaa ", 0},
      {u"Ａaa Bbb", 0},  // full-width capital
      {u"Aàa Bbb", 0},
      {u"", 0},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(actor_name_length(c.text.c_str()), c.length) << std::string(c.text.begin(), c.text.end());
}

// Lines that a game never writes still give a deterministic result.
TEST(MateriaMessage, MarkersOutOfOrderGiveEmptyNames) {
  const DetectCase cases[] = {
      // "から" inside the first seven units: before the item name starts.
      {u"46からAaa Bbb:Swordが生成された！", kDetected, 0, u"", u"Aaa Bbb:Sword"},
      {u"46::からBbb:Swordが生成された！", kDetected, 0, u"", u"Bbb:Sword"},
      // The produced marker before "から": the materia name is empty.
      {u"0046::Aaa Bbb:Stoneが生成された！からSword", kDetected, 7, u"Stoneが生成された！", u""},
      // The markers overlap nowhere but touch: "が生成された！" right before "から".
      {u"0046::Aaa Bbb:が生成された！から", kDetected, 7, u"が生成された！", u""},
  };
  for (const DetectCase& c : cases) {
    SCOPED_TRACE(std::string(c.line.begin(), c.line.begin() + 4));
    expect_detection(c);
  }
}

TEST(MateriaMessage, LongNamesAreCutAtTheBuffer) {
  const std::u16string head = u"0046::Aaa Bbb:";
  const std::u16string tail = u"が生成された！";
  const std::u16string pair_at_cut = std::u16string(254, u'p') + u"\U0001F600" + u"q";
  const DetectCase cases[] = {
      {head + std::u16string(300, u'x') + u"から" + std::u16string(400, u'y') + tail, kDetected, 7,
       std::u16string(255, u'x'), std::u16string(255, u'y')},
      {head + std::u16string(255, u'x') + u"から" + std::u16string(255, u'y') + tail, kDetected, 7,
       std::u16string(255, u'x'), std::u16string(255, u'y')},
      // A surrogate pair across the cut is left out whole.
      {head + pair_at_cut + u"から" + pair_at_cut + tail, kDetected, 7, std::u16string(254, u'p'),
       std::u16string(254, u'p')},
  };
  for (const DetectCase& c : cases) expect_detection(c);
}

TEST(MateriaMessage, RejectedLineIsNotReadPastItsNumber) {
  // Not terminated: reading past the number would run off the allocation.
  auto line = std::make_unique<char16_t[]>(3);
  line[0] = u'4';
  line[1] = u'8';
  line[2] = u':';
  MateriaMessage m;
  EXPECT_FALSE(detect_materia_message(line.get(), m));
}

using test::reset_seen_check_list;
using test::seen_check_list_exists;
using test::seen_check_list_text;

void examine(const char16_t* line, OutputFile* file, int charset, bool keep_duplicates) {
  examine_line(line, test::recipe_output(file, charset, keep_duplicates), test::capturing_reports());
}

class ExamineLine : public testing::Test {
 protected:
  void SetUp() override {
    reset_seen_check_list();
    test::clear_captured_reports();
  }
  void TearDown() override { reset_seen_check_list(); }
};

const std::u16string kSwordLine = u"0046::Aaa Bbb:SwordからStoneが生成された！";
const std::u16string kSwordRecord = u"アイテム：Sword\r\nマテリア：Stone\r\nCheck：";

std::u16string utf16_file_text(const std::vector<unsigned char>& bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
  return text;
}

std::size_t count_of(const std::u16string& text, const std::u16string& piece) {
  std::size_t count = 0;
  for (std::size_t at = text.find(piece); at != std::u16string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

TEST_F(ExamineLine, EchoesEveryDetectedLineAndWritesNewPairs) {
  struct Case {
    bool keep_duplicates;
    std::size_t records;
  } cases[] = {{false, 1}, {true, 2}};
  for (const Case& c : cases) {
    reset_seen_check_list();
    test::clear_captured_reports();
    test::TempDir dir;
    const std::u16string path = dir.file("recipe.log");
    auto recipe = std::make_unique<OutputFile>();
    ASSERT_TRUE(output_create(*recipe, path.c_str()));
    examine(kSwordLine.c_str(), recipe.get(), kCharsetUtf16, c.keep_duplicates);
    examine(u"5399A1B4000A:Aaa Bbb:hello", recipe.get(), kCharsetUtf16, c.keep_duplicates);
    examine(kSwordLine.c_str(), recipe.get(), kCharsetUtf16, c.keep_duplicates);
    ASSERT_TRUE(output_close(*recipe));

    // The echo does not depend on the list: twice, also when the second record is skipped.
    EXPECT_EQ(test::captured_debugger_output(),
              (std::vector<std::u16string>{kSwordLine, u"\r\n", kSwordLine, u"\r\n"}));
    const std::u16string written = utf16_file_text(test::read_bytes(path));
    EXPECT_EQ(count_of(written, kSwordRecord), c.records) << c.keep_duplicates;
    EXPECT_TRUE(test::captured_status_log().empty());
  }
}

TEST_F(ExamineLine, OtherLinesLeaveNoTrace) {
  const std::u16string lines[] = {u"", u"0048::Aaa Bbb:SwordからStoneが生成された！",
                                  u"5A1B2C3D0039::SwordからStoneが生成された！", u"0046::Aaa Bbb:Sword"};
  for (const std::u16string& line : lines) examine(line.c_str(), nullptr, kCharsetUtf8, false);
  EXPECT_TRUE(test::captured_debugger_output().empty());
  EXPECT_FALSE(seen_check_list_exists());
}

TEST_F(ExamineLine, WithoutARecipeFileOnlyTheListChanges) {
  examine(kSwordLine.c_str(), nullptr, kCharsetUtf8, false);
  EXPECT_EQ(test::captured_debugger_output().size(), 2u);
  EXPECT_TRUE(seen_check_list_exists());
  EXPECT_EQ(seen_check_list_text().size(), 13u);
}

}  // namespace
}  // namespace tellwick
