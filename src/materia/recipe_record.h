// Materia records in the recipe file: four lines per item and materia pair,
// each pair written once between two resets of the seen-check list unless
// duplicates are kept.
//   アイテム：<item>
//   マテリア：<materia>
//   Check：<check code>
//   (empty line)
#pragma once

#include <cstddef>
#include <string_view>

#include "materia/seen_check_list.h"
#include "output/output_charset.h"
#include "output/output_file.h"

namespace tellwick {

constexpr std::size_t kRecordLineCapacity = 256;  // units per record line, terminator included
// The longest name a record line holds after its five-unit label and before
// its CR LF. A longer name is cut there, before a surrogate pair the cut
// would split; the check code still covers the whole name.
constexpr std::size_t kRecordNameMax = 248;

// Where the materia records of one export, or of one dropped file, go.
struct RecipeOutput {
  OutputFile* file = nullptr;  // the recipe file; none for a dropped file
  OutputCharset charset = kCharsetAnsi;
  bool keep_duplicates = false;
  SeenCheckList seen;  // the pairs written so far
};

// Computes the check code and, with keep_duplicates off, consults and extends
// the seen-check list. Returns false for a pair already seen; otherwise
// composes the record, writes it with one text write in the charset to the
// file (when there is one) and returns true.
bool write_recipe_record(std::u16string_view item, std::u16string_view materia, RecipeOutput& out);

}  // namespace tellwick
