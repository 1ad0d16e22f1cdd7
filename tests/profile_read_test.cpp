// Reading the settings file. The same tables run natively against our own
// profile code and under Wine against the system's profile functions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/profile.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

using test::put_file;
using test::TempDir;

constexpr std::size_t kBuffer = 256;

std::u16string read(const std::u16string& file, const char16_t* section, const char16_t* key,
                    const char16_t* fallback = u"<default>", std::size_t buffer_size = kBuffer) {
  return profile_read_string(section, key, fallback, buffer_size, file.c_str());
}

TEST(ProfileRead, MissingFileSectionOrKeyGivesTheDefault) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  EXPECT_EQ(read(file, u"S", u"A"), u"<default>");
  EXPECT_EQ(profile_read_int(u"S", u"A", 7, file.c_str()), 7);
  EXPECT_FALSE(std::filesystem::exists(file)) << "reading never creates the file";

  put_file(file,
           "A=before any section\r\n"
           "[S]\r\n"
           "NOEQUALS\r\n"
           "EMPTY=\r\n"
           "B=2\r\n"
           "[S]\r\n"
           "C=only in the second S\r\n");
  struct Case {
    const char16_t* section;
    const char16_t* key;
    std::u16string expected;
    // clang-format off
  } cases[] = {
      {u"T", u"B", u"<default>"},          // no such section
      {u"S", u"X", u"<default>"},          // no such key
      {u"S", u"A", u"<default>"},          // keys before the first section belong to none
      {u"S", u"NOEQUALS", u"<default>"},   // a line without "=" has no value
      {u"S", u"EMPTY", u""},               // present but empty is not missing
      {u"S", u"B", u"2"},
      {u"S", u"C", u"<default>"},          // only the first section of a name counts
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(read(file, c.section, c.key), c.expected) << std::string(c.key, c.key + 1);
  }
  EXPECT_EQ(profile_read_int(u"S", u"EMPTY", 7, file.c_str()), 7);
  EXPECT_EQ(profile_read_int(u"S", u"NOEQUALS", 7, file.c_str()), 7);
}

TEST(ProfileRead, NamesMatchWithoutRegardToAsciiLetterCase) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  // Full-width Ａ (0x8260) and ａ (0x8281) are different letters to the profile functions.
  put_file(file,
           "[Generic]\r\n"
           "CharSet=2\r\n"
           "  Spaced Key  =  v  \r\n"
           "[\x82\x60]\r\n"
           "K=full-width\r\n");
  struct Case {
    const char16_t* section;
    const char16_t* key;
    std::u16string expected;
    // clang-format off
  } cases[] = {
      {u"Generic", u"CharSet", u"2"},
      {u"GENERIC", u"CHARSET", u"2"},
      {u"generic", u"charset", u"2"},
      {u"gEnErIc", u"cHaRsEt", u"2"},
      {u" GENERIC ", u"\tCHARSET ", u"2"},  // white space around a requested name does not count
      {u"GENERIC", u"spaced key", u"v"},
      {u"GENERIC", u"SPACEDKEY", u"<default>"},
      {u"\uFF21", u"K", u"full-width"},
      {u"\uFF41", u"K", u"<default>"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(read(file, c.section, c.key), c.expected);
}

TEST(ProfileRead, ValuesLoseSurroundingSpaceAndOnePairOfQuotes) {
  struct Case {
    std::string stored;
    std::u16string expected;
    // clang-format off
  } cases[] = {
      {"abc", u"abc"},
      {" \t abc \t ", u"abc"},
      {"a b", u"a b"},
      {"\"abc\"", u"abc"},
      {"'abc'", u"abc"},
      {"\"abc\"  ", u"abc"},
      {"\" x \"", u" x "},
      {"\"abc", u"\"abc"},
      {"\"abc'", u"\"abc'"},
      {"\"a\"b\"", u"a\"b"},
      {"\"\"", u""},
      {"\"", u"\""},
      {"a=b", u"a=b"},
      {"x\x1A", u"x"},                         // ^Z counts as white space
      {"\x81\x40x\x81\x40", u"\u3000x\u3000"},  // the ideographic space does not
  };
  // clang-format on
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  for (const Case& c : cases) {
    put_file(file, "[S]\r\nK=" + c.stored + "\r\n");
    EXPECT_EQ(read(file, u"S", u"K"), c.expected) << c.stored;
  }
}

TEST(ProfileRead, ValuesAreCutAtTheBufferSizeLessOne) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  const std::string long_value(300, 'x');
  put_file(file, "[S]\r\nPLAIN=abcdef\r\nQUOTED=\"abc\"\r\nLONG=" + long_value + "\r\n");
  struct Case {
    const char16_t* key;
    std::size_t buffer_size;
    std::u16string expected;
  } cases[] = {
      {u"PLAIN", 1, u""},
      {u"PLAIN", 2, u"a"},
      {u"PLAIN", 6, u"abcde"},
      {u"PLAIN", 7, u"abcdef"},
      {u"PLAIN", 8, u"abcdef"},
      // With quotes, a value that just fills the buffer loses one more character.
      {u"QUOTED", 1, u""},
      {u"QUOTED", 2, u"a"},
      {u"QUOTED", 3, u"ab"},
      {u"QUOTED", 4, u"ab"},
      {u"QUOTED", 5, u"abc"},
      {u"QUOTED", 6, u"abc"},
      {u"LONG", kBuffer, std::u16string(kBuffer - 1, u'x')},
      {u"MISSING", 4, u"<de"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read(file, u"S", c.key, u"<default>", c.buffer_size), c.expected)
        << std::string(c.key, c.key + 1) << " " << c.buffer_size;
  }
}

TEST(ProfileRead, DefaultsLoseTrailingSpacesAndOnePairOfQuotes) {
  TempDir dir;
  const std::u16string file = dir.file("missing.ini");
  struct Case {
    const char16_t* fallback;
    std::u16string expected;
    // clang-format off
  } cases[] = {
      {u"d", u"d"},
      {u"d  ", u"d"},
      {u"  d", u"  d"},
      {u"\"q\"", u"q"},
      {u"'q'", u"q"},
      {u"", u""},
      {nullptr, u""},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(read(file, u"S", u"K", c.fallback), c.expected);
}

TEST(ProfileRead, LinesEndAtCrLfOrCrOrLf) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  put_file(file, "[S]\nA=lf\rB=cr\r\nC=crlf\r\r\n\n\nD=\r\n[T]\r\nE=no line end");
  EXPECT_EQ(read(file, u"S", u"A"), u"lf");
  EXPECT_EQ(read(file, u"S", u"B"), u"cr");
  EXPECT_EQ(read(file, u"S", u"C"), u"crlf");
  EXPECT_EQ(read(file, u"S", u"D"), u"");
  EXPECT_EQ(read(file, u"T", u"E"), u"no line end");
}

TEST(ProfileRead, SectionLines) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  put_file(file,
           "[S] trailing text\r\nA=1\r\n"
           "  [T]  \r\nB=2\r\n"
           "[U\r\nC=3\r\n"
           "[V]x]\r\nD=4\r\n");
  EXPECT_EQ(read(file, u"S", u"A"), u"1");  // the name ends at the last "]"
  EXPECT_EQ(read(file, u"T", u"B"), u"2");
  EXPECT_EQ(read(file, u"U", u"C"), u"<default>");  // "[U" without "]" is a key line of T
  EXPECT_EQ(read(file, u"T", u"C"), u"3");
  EXPECT_EQ(read(file, u"V]x", u"D"), u"4");
}

TEST(ProfileRead, SectionNamesInFileOrder) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  EXPECT_TRUE(profile_section_names(file.c_str()).empty());
  put_file(file,
           "A=before any section\r\n"
           "[GENERIC]\r\nCHARSET=1\r\n"
           "[S] trailing text\r\nA=1\r\n"
           "  [T]  \r\n"
           "[U\r\nC=3\r\n"
           "[V]x]\r\n"
           "[FFXIV_CHR0040000001A2B3C4D]\r\nLOGFILE=2014.03.05.2107.log\r\n");
  EXPECT_EQ(profile_section_names(file.c_str()),
            (std::vector<std::u16string>{u"GENERIC", u"S", u"T", u"V]x", u"FFXIV_CHR0040000001A2B3C4D"}));

  // More names than a first guess at their length takes.
  std::string many;
  std::vector<std::u16string> expected;
  for (int i = 0; i < 400; ++i) {
    const std::string name = "FFXIV_CHR00400000" + std::to_string(1000000000 + i);
    many += "[" + name + "]\r\nLOGFILE=x\r\n";
    expected.emplace_back(name.begin(), name.end());
  }
  put_file(file, many);
  EXPECT_EQ(profile_section_names(file.c_str()), expected);
}

TEST(ProfileRead, OneKeyInEverySection) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  EXPECT_TRUE(profile_read_key_in_every_section(u"LOGFILE", u"", kBuffer, file.c_str()).empty());
  put_file(file,
           "[GENERIC]\r\nCHARSET=1\r\n"
           "[A]\r\nlogfile = \"a.log\"\r\n"
           "[B]\r\nNAME=b\r\n"
           "[a]\r\nLOGFILE=second a.log\r\n"
           "[C]\r\nLOGFILE=" +
               std::string(300, 'c') + "\r\n");
  const auto values = profile_read_key_in_every_section(u"LOGFILE", u"<none>", kBuffer, file.c_str());
  std::vector<std::u16string> sections, texts;
  for (const ProfileSectionValue& v : values) {
    sections.push_back(v.section);
    texts.push_back(v.value);
  }
  EXPECT_EQ(sections, (std::vector<std::u16string>{u"GENERIC", u"A", u"B", u"a", u"C"}));
  // A section named twice reads as its first one, as every read of it does.
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"<none>", u"a.log", u"<none>", u"a.log", std::u16string(255, u'c')}));
}

TEST(ProfileRead, IntegersAsGetPrivateProfileIntReadsThem) {
  struct Case {
    std::string stored;
    int expected;
    // clang-format off
  } cases[] = {
      {"12", 12},
      {" 12", 12},
      {"\t12 ", 12},
      {"+12", 12},
      {"-12", -12},
      {"00012", 12},
      {"08", 8},
      {"12abc", 12},
      {"1 2", 1},
      {"1.5", 1},
      {"1e3", 1},
      {"abc", 0},
      {"+", 0},
      {"-", 0},
      {"- 12", 0},
      {"+-1", 0},
      {"--1", 0},
      {"\x82\x50", 0},      // full-width 1
      {"\"12\"", 12},
      {"'12'", 12},
      {"\" 5\"", 5},
      {"\"12", 0},
      // A base prefix in lower case, as the system's converter reads it.
      {"0x1F", 31},
      {"0x7fffffff", 2147483647},
      {"0X1f", 0},
      {"0x", 0},
      {"0xg", 0},
      {"0b101", 5},
      {"0b2", 0},
      {"0o17", 15},
      {"0o8", 0},
      {"017", 17},
      // Beyond 32 bits the value wraps around.
      {"2147483647", 2147483647},
      {"2147483648", -2147483647 - 1},
      {"-2147483648", -2147483647 - 1},
      {"4294967295", -1},
      {"4294967296", 0},
      {"99999999999", 1215752191},
      {"0xffffffff", -1},
      {"0x100000000", 0},
      // Only the first 29 characters are read.
      {"12345678901234567890123456789", 1849262357},
      {"123456789012345678901234567890", 1849262357},
      {"1234567890123456789012345678901234", 1849262357},
  };
  // clang-format on
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  for (const Case& c : cases) {
    put_file(file, "[S]\r\nK=" + c.stored + "\r\n");
    EXPECT_EQ(profile_read_int(u"S", u"K", 7, file.c_str()), c.expected) << c.stored;
  }
  // An empty value, or one that is empty without its quotes, gives the default.
  for (const std::string stored : {"", "  ", "\"\""}) {
    put_file(file, "[S]\r\nK=" + stored + "\r\n");
    EXPECT_EQ(profile_read_int(u"S", u"K", -7, file.c_str()), -7) << stored;
  }
}

}  // namespace
}  // namespace tellwick
