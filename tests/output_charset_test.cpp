#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gamelog/control_sequence.h"
#include "output/output_charset.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Writes the given lines through the export line writer and returns the file.
Bytes export_lines(int charset, const std::vector<std::string>& lines) {
  test::TempDir dir;
  const std::u16string path = dir.file("export.log");
  auto file = std::make_unique<OutputFile>();
  EXPECT_TRUE(output_create(*file, path.c_str()));
  for (const std::string& line : lines) {
    write_export_line(*file, static_cast<OutputCharset>(charset), line.data(), line.size());
  }
  EXPECT_TRUE(output_close(*file));
  return test::read_bytes(path);
}

Bytes written_text(int charset, const std::u16string& text) {
  test::TempDir dir;
  const std::u16string path = dir.file("recipe.log");
  auto file = std::make_unique<OutputFile>();
  EXPECT_TRUE(output_create(*file, path.c_str()));
  write_text(*file, static_cast<OutputCharset>(charset), text.data(), text.size());
  EXPECT_TRUE(output_close(*file));
  return test::read_bytes(path);
}

TEST(OutputCharset, ExportLineInEachCharset) {
  struct Case {
    int charset;
    std::string line;
    Bytes file;
    // clang-format off
  } cases[] = {
      {kCharsetUtf8, "\xE3\x81\x82\r\n", {0xE3, 0x81, 0x82, 0x0D, 0x0A}},
      {kCharsetUtf16, "\xE3\x81\x82\r\n", {0x42, 0x30, 0x0D, 0x00, 0x0A, 0x00}},  // no FF FE before it
      {kCharsetAnsi, "\xE3\x81\x82\r\n", {0x82, 0xA0, 0x0D, 0x0A}},
      {3, "\xE3\x81\x82\r\n", {}},
      {-1, "abc\r\n", {}},
      // Outside the BMP: a surrogate pair in UTF-16; code page 932 lacks it.
      {kCharsetUtf16, "\xF0\x9F\x98\x80\r\n", {0x3D, 0xD8, 0x00, 0xDE, 0x0D, 0x00, 0x0A, 0x00}},
      {kCharsetAnsi, "a\xF0\x9F\x98\x80" "b\r\n", bytes("a??b\r\n")},
      // UTF-8 output keeps bytes that are not valid UTF-8 exactly as they are.
      {kCharsetUtf8, "a\xFF\xE3\x81" "b\r\n", bytes("a\xFF\xE3\x81" "b\r\n")},
      {kCharsetUtf16, "a\xFF" "b\r\n", {'a', 0, 0xFD, 0xFF, 'b', 0, 0x0D, 0, 0x0A, 0}},
      {kCharsetAnsi, "a\xFF" "b\r\n", bytes("a?b\r\n")},
      // A sequence cut short right before the line end keeps the line end.
      {kCharsetUtf16, "a\xF0\r\n", {'a', 0, 0xFD, 0xFF, 0x0D, 0, 0x0A, 0}},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(export_lines(c.charset, {c.line}), c.file) << c.charset << " " << c.line;
}

TEST(OutputCharset, TextInEachCharset) {
  const std::u16string record = u"アイテム：ab\r\n";
  struct Case {
    int charset;
    Bytes file;
    // clang-format off
  } cases[] = {
      {kCharsetAnsi, bytes("\x83\x41\x83\x43\x83\x65\x83\x80\x81\x46" "ab\r\n")},
      {kCharsetUtf8, bytes("\xE3\x82\xA2\xE3\x82\xA4\xE3\x83\x86\xE3\x83\xA0\xEF\xBC\x9A" "ab\r\n")},
      {kCharsetUtf16, {0xA2, 0x30, 0xA4, 0x30, 0xC6, 0x30, 0xE0, 0x30, 0x1A, 0xFF, 'a', 0, 'b', 0, 0x0D, 0, 0x0A, 0}},
      {3, {}},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(written_text(c.charset, record), c.file) << c.charset;
}

TEST(OutputCharset, LongTextIsWrittenWhole) {
  // Longer than the conversion slice, with a surrogate pair across the slice edge.
  std::u16string text(4095, u'x');
  text += u"\xD83D\xDE00";
  text += std::u16string(70000, u'\u3042');
  const Bytes utf8 = written_text(kCharsetUtf8, text);
  EXPECT_EQ(utf8.size(), 4095u + 4u + 3u * 70000u);
  EXPECT_EQ(Bytes(utf8.begin() + 4095, utf8.begin() + 4099), (Bytes{0xF0, 0x9F, 0x98, 0x80}));
  EXPECT_EQ(written_text(kCharsetAnsi, text).size(), 4095u + 2u + 2u * 70000u);
}

TEST(OutputCharset, ManyLinesMatchOneWritePerLine) {
  std::vector<std::string> lines;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    lines.push_back("5399A1B4000A:Sender:line " + std::to_string(i) + std::string(i % 97, 'x') + "\r\n");
    expected += lines.back();
  }
  lines.push_back(std::string(100000, 'L') + "\r\n");  // one write larger than the buffer
  expected += lines.back();
  EXPECT_EQ(export_lines(kCharsetUtf8, lines), bytes(expected));
}

// Rendering an entry line from its parts straight into the file's buffer
// writes what building the line, rendering it into a line buffer and writing
// that writes, in every charset, across many buffer flushes.
TEST(OutputCharset, RenderedLinesMatchRenderThenWrite) {
  using namespace std::string_literals;  // the lengths come from the literals, embedded NULs included
  struct Entry {
    std::uint32_t time, code;
    std::string text;
  };
  // clang-format off
  const std::vector<Entry> entries = {
      {0x5399A1B4, 0x000A, ":Aaa Bbb:\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF"},
      {0x5399A1B4, 0x0039, "\x02\x13\x06\xFE\xFF\xFF\xE3\x03\xE3\x83\x95\x02\x13\x02\xEC\x03"s},
      {0x5399A1B4, 0x003E, "\x1F\xEE\x82\xBB\x02\x27\x07\x03\xF2\x01\xF8\x01\x01\x03" "Hi-Potion"s},
      {0x5399A1B4, 0x000C, "a\xFF\xE3\x81" "b"},  // not UTF-8
      {0x5399A1B4, 0x0010, "ab\0cd"s},
      {0x5399A1B4, 0x12345, std::string(1500, 'x')},  // a code past four digits, a text past the line's room
  };
  // clang-format on
  for (const OutputCharset charset : {kCharsetAnsi, kCharsetUtf8, kCharsetUtf16, static_cast<OutputCharset>(3)}) {
    for (bool show : {false, true}) {
      test::TempDir dir;
      auto direct = std::make_unique<OutputFile>();
      auto staged = std::make_unique<OutputFile>();
      ASSERT_TRUE(output_create(*direct, dir.file("direct.log").c_str()));
      ASSERT_TRUE(output_create(*staged, dir.file("staged.log").c_str()));
      for (int i = 0; i < 5000; ++i) {
        const Entry& e = entries[i % entries.size()];
        std::vector<std::uint8_t> bytes(8 + e.text.size());
        for (int k = 0; k < 4; ++k) {
          bytes[k] = static_cast<std::uint8_t>(e.time >> (8 * k));
          bytes[4 + k] = static_cast<std::uint8_t>(e.code >> (8 * k));
        }
        std::copy(e.text.begin(), e.text.end(), bytes.begin() + 8);
        write_rendered_line(*direct, charset, show, view_entry_line(bytes.data(), bytes.size()));
        char line[kEntryLineCapacity];
        const std::size_t line_length = build_entry_line(bytes.data(), bytes.size(), line);
        char rendered[kRenderedLineCapacity];
        write_export_line(*staged, charset, rendered, render_line(line, line_length, show, rendered));
      }
      ASSERT_TRUE(output_close(*direct));
      ASSERT_TRUE(output_close(*staged));
      const Bytes written = test::read_bytes(dir.file("direct.log"));
      EXPECT_EQ(written, test::read_bytes(dir.file("staged.log"))) << charset << " " << show;
      EXPECT_EQ(written.empty(), charset == 3) << charset << " " << show;
    }
  }
}

TEST(OutputCharset, FileThatCannotBeCreatedReportsFailure) {
  test::TempDir dir;
  const std::u16string path = dir.file("missing-folder/export.log");
  auto file = std::make_unique<OutputFile>();
  EXPECT_FALSE(output_create(*file, path.c_str()));
  const SystemErrorCode reason = file->system_error;
  EXPECT_NE(reason, 0u) << "the system's reason is kept for the diagnostics";
  write_export_line(*file, kCharsetUtf8, "abc\r\n", 5);
  EXPECT_FALSE(output_close(*file));
  EXPECT_EQ(file->system_error, reason) << "the first failure's reason, not a later one's";
}

// A file still open when it goes is written out and closed: no path that
// leaves early keeps it open.
TEST(OutputCharset, AFileLeftOpenIsWrittenOutAndClosedWhenItGoes) {
  test::TempDir dir;
  const std::u16string path = dir.file("export.log");
  {
    auto file = std::make_unique<OutputFile>();
    ASSERT_TRUE(output_create(*file, path.c_str()));
    write_export_line(*file, kCharsetUtf8, "abc\r\n", 5);
  }
  EXPECT_EQ(test::read_bytes(path), bytes("abc\r\n"));
  // Closed: on Windows a file still held (shared with nobody) cannot be removed.
  std::error_code error;
  EXPECT_TRUE(std::filesystem::remove(std::filesystem::path(path), error)) << error.message();
}

// Creating again over a file still open finishes that one first.
TEST(OutputCharset, CreatingAgainClosesTheFileBefore) {
  test::TempDir dir;
  const std::u16string first = dir.file("first.log");
  auto file = std::make_unique<OutputFile>();
  ASSERT_TRUE(output_create(*file, first.c_str()));
  write_export_line(*file, kCharsetUtf8, "one\r\n", 5);
  ASSERT_TRUE(output_create(*file, dir.file("second.log").c_str()));
  write_export_line(*file, kCharsetUtf8, "two\r\n", 5);
  EXPECT_TRUE(output_close(*file));
  EXPECT_EQ(test::read_bytes(first), bytes("one\r\n"));
  EXPECT_EQ(test::read_bytes(dir.file("second.log")), bytes("two\r\n"));
  std::error_code error;
  EXPECT_TRUE(std::filesystem::remove(std::filesystem::path(first), error)) << error.message();
}

}  // namespace
}  // namespace tellwick
