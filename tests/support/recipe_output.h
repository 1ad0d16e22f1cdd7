// The recipe output of one export, as the exporter owns it. The materia
// tests keep one for the whole test program and reset its seen-check list
// where an export would start a new one.
#pragma once

#include <string_view>

#include "materia/recipe_record.h"
#include "materia/seen_check_list.h"

namespace tellwick::test {

inline RecipeOutput& recipe_output() {
  static RecipeOutput out;
  return out;
}

// `out` aimed at `file` with these options.
inline RecipeOutput& recipe_output(OutputFile* file, int charset, bool keep_duplicates) {
  RecipeOutput& out = recipe_output();
  out.file = file;
  out.charset = static_cast<OutputCharset>(charset);
  out.keep_duplicates = keep_duplicates;
  return out;
}

inline void reset_seen_check_list() { tellwick::reset_seen_check_list(recipe_output().seen); }
inline bool seen_check_list_exists() { return tellwick::seen_check_list_exists(recipe_output().seen); }
inline std::u16string_view seen_check_list_text() { return tellwick::seen_check_list_text(recipe_output().seen); }

}  // namespace tellwick::test
