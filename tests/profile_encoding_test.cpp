// The settings file's encodings: code page 932 as Windows writes and reads
// it, or UTF-16LE after a byte order mark. Files written by one system are
// read by the other, so both builds are held to the same bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/profile.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

using test::file_bytes;
using test::put_file;
using test::TempDir;

constexpr std::size_t kBuffer = 256;
constexpr char16_t kJapaneseName[] = u"\u30C6\u30B9\u30C8\u592A\u90CE";  // テスト太郎
constexpr char kJapaneseNameCp932[] = "\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59";

TEST(ProfileEncoding, JapaneseNameIsStoredInCodePage932) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  ASSERT_TRUE(profile_write_string(u"FFXIV_CHR0040000001234567", u"NAME", kJapaneseName, file.c_str()));
  EXPECT_EQ(file_bytes(file), std::string("[FFXIV_CHR0040000001234567]\r\nNAME=") + kJapaneseNameCp932 + "\r\n");

  // The same bytes, as the other system would have written them.
  const std::u16string fixture = dir.file("fixture.ini");
  put_file(fixture, std::string("[FFXIV_CHR0040000001234567]\r\nSERVER=Tonberry\r\nNAME=") + kJapaneseNameCp932 +
                        "\r\nLASTNO=3\r\n");
  EXPECT_EQ(profile_read_string(u"FFXIV_CHR0040000001234567", u"NAME", u"", kBuffer, fixture.c_str()), kJapaneseName);
  EXPECT_EQ(profile_read_int(u"FFXIV_CHR0040000001234567", u"LASTNO", 0, fixture.c_str()), 3);
}

TEST(ProfileEncoding, CodePage932BytesAreReadAsWindowsReadsThem) {
  struct Case {
    std::string stored;  // the value's bytes, at the very end of the file
    std::u16string expected;
    // clang-format off
  } cases[] = {
      {"\x82\xA0", u"\u3042"},                   // あ
      {"\xB1\xDF", u"\uFF71\uFF9F"},             // half-width ｱﾟ
      {"\x5C\x7E", u"\\~"},                      // 932 keeps ASCII's backslash and tilde
      {"\x83\x5C\x83\x74\x83\x67", u"\u30BD\u30D5\u30C8"},  // ソフト: a second byte 0x5C is no backslash
      {"\x81\x60", u"\uFF5E"},                   // ～
      {"\x87\x40\x87\x90", u"\u2460\u2252"},     // NEC row 13
      {"\xED\x40\xFA\x5C", u"\u7E8A\u7E8A"},     // the same kanji in both extension rows
      {"\xF0\x40", u"\uE000"},                   // user-defined area
      // Bytes that no character uses, as Windows reads them.
      {"\x80", u"\u0080"},
      {"\xA0\xFD\xFE\xFF", u"\uF8F0\uF8F1\uF8F2\uF8F3"},
      {"\x85\x40", u"\u30FB"},                   // a pair without a character
      {"\x81\x39x", u"\u30FBx"},                 // a lead byte takes whatever follows it
      {"a\x82", u"a\u30FB"},                     // a lead byte with nothing after it
      {"\x82\nB=2", u"\u30FB" u"B=2"},           // ... even a line end
  };
  // clang-format on
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  for (const Case& c : cases) {
    put_file(file, "[S]\r\nK=" + c.stored);
    EXPECT_EQ(profile_read_string(u"S", u"K", u"", kBuffer, file.c_str()), c.expected) << c.stored;
  }
}

TEST(ProfileEncoding, LinesOfOtherCharactersKeepTheirBytes) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  // Other lines are written back exactly as they were read.
  const std::string kept =
      std::string("[A]\r\nNAME=") + kJapaneseNameCp932 + "\r\nPATH=C:\\\x83\x5C\x83\x74\x83\x67\r\n";
  put_file(file, kept);
  ASSERT_TRUE(profile_write_string(u"A", u"LASTNO", u"1", file.c_str()));
  EXPECT_EQ(file_bytes(file), kept + "LASTNO=1\r\n");
}

}  // namespace
}  // namespace tellwick
