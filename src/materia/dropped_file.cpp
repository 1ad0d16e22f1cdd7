#include "materia/dropped_file.h"

#include <cstring>
#include <memory>
#include <new>

#include "materia/examine_line.h"
#include "materia/recipe_record.h"
#include "platform/encoding.h"
#include "platform/file.h"

namespace tellwick {
namespace {

bool is_line_break(char16_t unit) { return unit == u'\r' || unit == u'\n'; }

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

void examine_piece(const char16_t* text, std::size_t length, RecipeOutput& recipe, const ReportSink& report) {
  char16_t line[kDroppedLineCapacity];
  std::size_t kept = length < kDroppedLineCapacity - 1 ? length : kDroppedLineCapacity - 1;
  if (kept < length && kept > 0 && is_high_surrogate(text[kept - 1])) --kept;
  std::memcpy(line, text, kept * sizeof(char16_t));
  line[kept] = u'\0';
  examine_line(line, recipe, report);
}

}  // namespace

void dropped_file_test(const char16_t* path, bool keep_duplicates, const ReportSink& report) {
  RecipeOutput recipe;
  recipe.keep_duplicates = keep_duplicates;
  FileContents contents;
  if (!read_whole_file(path, contents)) return;

  // The buffer holds a zero byte after the content, so the text always ends
  // at the first zero byte: in the file or just past it.
  const char* utf8 = reinterpret_cast<const char*>(contents.data.get());
  const std::size_t utf8_length = std::strlen(utf8);
  // UTF-8 never needs more UTF-16 units than bytes.
  std::unique_ptr<char16_t[]> text(new (std::nothrow) char16_t[utf8_length + 1]);
  if (!text) return;
  const std::size_t units = utf8_to_utf16(utf8, utf8_length, text.get(), utf8_length + 1);
  contents.data.reset();

  std::size_t start = 0;
  std::size_t i = 0;
  while (i < units) {
    if (!is_line_break(text[i])) {
      ++i;
      continue;
    }
    // A run of CR and LF of any mix ends one line; blank lines make none.
    if (i > start) examine_piece(text.get() + start, i - start, recipe, report);
    while (i < units && is_line_break(text[i])) ++i;
    start = i;
  }
}

}  // namespace tellwick
