#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "materia/check_code.h"
#include "materia/recipe_record.h"
#include "materia/seen_check_list.h"
#include "output/output_charset.h"
#include "support/recipe_output.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

using Bytes = std::vector<unsigned char>;
using test::reset_seen_check_list;
using test::seen_check_list_exists;
using test::seen_check_list_text;

int write_record(std::u16string_view item, std::u16string_view materia, OutputFile* file, int charset,
                 bool keep_duplicates) {
  return write_recipe_record(item, materia, test::recipe_output(file, charset, keep_duplicates)) ? 1 : 0;
}

class RecipeRecord : public testing::Test {
 protected:
  void SetUp() override { reset_seen_check_list(); }
  void TearDown() override { reset_seen_check_list(); }
};

struct Pair {
  std::u16string item, materia;
};

struct RecipeRun {
  std::vector<int> results;
  Bytes file;
};

// Writes the pairs one after another into a new recipe file.
RecipeRun write_records(const std::vector<Pair>& pairs, int charset, bool keep_duplicates) {
  test::TempDir dir;
  const std::u16string path = dir.file("recipe.2014.03.05.2107.log");
  auto recipe = std::make_unique<OutputFile>();
  EXPECT_TRUE(output_create(*recipe, path.c_str()));
  RecipeRun run;
  for (const Pair& p : pairs)
    run.results.push_back(write_record(p.item, p.materia, recipe.get(), charset, keep_duplicates));
  EXPECT_TRUE(output_close(*recipe));
  run.file = test::read_bytes(path);
  return run;
}

Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes utf16le(const std::u16string& s) {
  Bytes b;
  for (char16_t u : s) {
    b.push_back(static_cast<unsigned char>(u & 0xFF));
    b.push_back(static_cast<unsigned char>(u >> 8));
  }
  return b;
}

std::u16string record_text(const std::u16string& item, const std::u16string& materia, const std::u16string& code) {
  return u"アイテム：" + item + u"\r\nマテリア：" + materia + u"\r\nCheck：" + code + u"\r\n\r\n";
}

TEST_F(RecipeRecord, RecordBytesFollowTheOutputCharset) {
  struct Case {
    int charset;
    Bytes file;
    // clang-format off
  } cases[] = {
      // Code page 932: アイテム 83 41 83 43 83 65 83 80, マテリア 83 7D 83 65 83 8A 83 41, ： 81 46.
      {kCharsetAnsi, bytes("\x83\x41\x83\x43\x83\x65\x83\x80\x81\x46" "abc\r\n"
                           "\x83\x7D\x83\x65\x83\x8A\x83\x41\x81\x46" "de\r\n"
                           "Check\x81\x46" "841593772011\r\n\r\n")},
      {kCharsetUtf8, bytes("\xE3\x82\xA2\xE3\x82\xA4\xE3\x83\x86\xE3\x83\xA0\xEF\xBC\x9A" "abc\r\n"
                           "\xE3\x83\x9E\xE3\x83\x86\xE3\x83\xAA\xE3\x82\xA2\xEF\xBC\x9A" "de\r\n"
                           "Check\xEF\xBC\x9A" "841593772011\r\n\r\n")},
      // Little-endian, no byte order mark.
      {kCharsetUtf16, utf16le(record_text(u"abc", u"de", u"841593772011"))},
      {3, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    reset_seen_check_list();
    const RecipeRun run = write_records({{u"abc", u"de"}}, c.charset, false);
    EXPECT_EQ(run.results, std::vector<int>{1}) << c.charset;
    EXPECT_EQ(run.file, c.file) << c.charset;
  }
}

TEST_F(RecipeRecord, DuplicatesAreWrittenOnceUnlessKept) {
  const std::vector<Pair> pairs = {{u"abc", u"de"}, {u"ab", u"cde"}, {u"abc", u"de"}, {u"ア", u""}, {u"ab", u"cde"}};
  const std::u16string first = record_text(u"abc", u"de", u"841593772011");
  const std::u16string second = record_text(u"ab", u"cde", u"841593772062");
  const std::u16string third = record_text(u"ア", u"", u"480147761284");

  const RecipeRun once = write_records(pairs, kCharsetUtf16, false);
  EXPECT_EQ(once.results, (std::vector<int>{1, 1, 0, 1, 0}));
  EXPECT_EQ(once.file, utf16le(first + second + third));
  EXPECT_EQ(seen_check_list_text(), u"841593772011 841593772062 480147761284 ");

  reset_seen_check_list();
  const RecipeRun kept = write_records(pairs, kCharsetUtf16, true);
  EXPECT_EQ(kept.results, (std::vector<int>{1, 1, 1, 1, 1}));
  EXPECT_EQ(kept.file, utf16le(first + second + first + third + second));
  // Keeping duplicates neither creates nor extends the list.
  EXPECT_FALSE(seen_check_list_exists());
}

TEST_F(RecipeRecord, KeepingDuplicatesLeavesAnExistingListAlone) {
  EXPECT_EQ(write_record(u"abc", u"de", nullptr, kCharsetUtf8, false), 1);
  EXPECT_EQ(write_record(u"ア", u"", nullptr, kCharsetUtf8, true), 1);
  EXPECT_EQ(write_record(u"abc", u"de", nullptr, kCharsetUtf8, true), 1);
  EXPECT_EQ(seen_check_list_text(), u"841593772011 ");
}

TEST_F(RecipeRecord, EachResetStartsAFreshRecipeFile) {
  // The same pair in two exports: one record in each file.
  for (int exported = 0; exported < 2; ++exported) {
    reset_seen_check_list();
    const RecipeRun run = write_records({{u"abc", u"de"}, {u"abc", u"de"}}, kCharsetUtf16, false);
    EXPECT_EQ(run.results, (std::vector<int>{1, 0}));
    EXPECT_EQ(run.file, utf16le(record_text(u"abc", u"de", u"841593772011")));
  }
}

TEST_F(RecipeRecord, WithoutARecipeFileTheListIsStillUpdated) {
  EXPECT_EQ(write_record(u"abc", u"de", nullptr, kCharsetUtf8, false), 1);
  EXPECT_EQ(write_record(u"abc", u"de", nullptr, kCharsetUtf8, false), 0);
  EXPECT_EQ(seen_check_list_text(), u"841593772011 ");
}

TEST_F(RecipeRecord, EmptyNamesStillMakeARecord) {
  const RecipeRun run = write_records({{u"", u""}, {u"", u"Stone"}, {u"Sword", u""}}, kCharsetUtf16, false);
  EXPECT_EQ(run.results, (std::vector<int>{1, 1, 1}));
  const std::u16string both_empty = record_text(u"", u"", u"369955756847");
  ASSERT_GE(run.file.size(), utf16le(both_empty).size());
  EXPECT_EQ(Bytes(run.file.begin(), run.file.begin() + static_cast<long>(utf16le(both_empty).size())),
            utf16le(both_empty));
}

TEST_F(RecipeRecord, LongNamesAreCutInTheRecordLines) {
  const std::u16string long_item(300, u'x');
  const std::u16string long_materia(249, u'y');
  // A surrogate pair that a cut at 248 units would split is left out whole.
  const std::u16string split_pair = std::u16string(247, u'z') + u"\U0001F600" + u"tail";
  const std::u16string exact(248, u'w');

  struct Case {
    const char* what;
    Pair pair;
    std::u16string item_line, materia_line;
  } cases[] = {
      {"item over the limit", {long_item, u"m"}, std::u16string(248, u'x'), u"m"},
      {"materia over the limit", {u"i", long_materia}, u"i", std::u16string(248, u'y')},
      {"surrogate pair at the cut", {split_pair, u"m"}, std::u16string(247, u'z'), u"m"},
      {"exactly at the limit", {exact, exact}, exact, exact},
  };
  for (const Case& c : cases) {
    reset_seen_check_list();
    const RecipeRun run = write_records({c.pair}, kCharsetUtf16, false);
    // The check code still covers the names as they were given.
    char16_t code[kCheckCodeCapacity];
    const std::size_t code_length = compute_check_code(c.pair.item, c.pair.materia, code);
    EXPECT_EQ(run.file, utf16le(record_text(c.item_line, c.materia_line, std::u16string(code, code_length)))) << c.what;
    if (c.item_line != c.pair.item || c.materia_line != c.pair.materia) {
      char16_t cut_code[kCheckCodeCapacity];
      const std::size_t cut_length = compute_check_code(c.item_line, c.materia_line, cut_code);
      EXPECT_NE(std::u16string(code, code_length), std::u16string(cut_code, cut_length)) << c.what;
    }
  }
}

}  // namespace
}  // namespace tellwick
