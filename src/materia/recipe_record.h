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

#include "gamelog/output_file.h"

namespace tellwick {

constexpr std::size_t kRecordLineCapacity = 256;  // units per record line, terminator included
// The longest name a record line holds after its five-unit label and before
// its CR LF. A longer name is cut there, before a surrogate pair the cut
// would split; the check code still covers the whole name.
constexpr std::size_t kRecordNameMax = 248;

// Computes the check code and, with keep_duplicates off, consults and extends
// the seen-check list. Returns 0 for a pair already seen; otherwise composes
// the record, writes it with one text write in `charset` to `recipe` (nothing
// is written when `recipe` is null) and returns 1.
int write_recipe_record(std::u16string_view item, std::u16string_view materia, OutputFile* recipe, int charset,
                        bool keep_duplicates);

}  // namespace tellwick
