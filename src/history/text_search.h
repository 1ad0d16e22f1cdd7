// Finding a filter's text in many entries at once: a skip table over the
// searched text, so that most bytes are never looked at.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tellwick {

// The same matching as contains_ignoring_ascii_case: ASCII letters without
// regard to case, every other byte exactly. A needle's upper-case byte can
// only be one of another charset's bytes (a UTF-16 code unit's high byte):
// it matches itself alone.
struct TextSearch {
  std::string needle;  // ASCII lower-case
  std::size_t shift[256] = {};
};

void prepare_text_search(std::string_view lower_needle, TextSearch& search);

// The first match at or after `from`, or std::string_view::npos. An empty
// needle matches at `from`.
std::size_t find_text(const TextSearch& search, std::string_view haystack, std::size_t from);

}  // namespace tellwick
