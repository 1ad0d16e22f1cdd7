#include "history/text_search.h"

namespace tellwick {
namespace {

unsigned char ascii_lower(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

void prepare_text_search(std::string_view lower_needle, TextSearch& search) {
  search.needle = std::string(lower_needle);
  const std::size_t n = lower_needle.size();
  for (std::size_t& s : search.shift) s = n == 0 ? 1 : n;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const auto c = static_cast<unsigned char>(lower_needle[i]);
    search.shift[c] = n - 1 - i;
    if (c >= 'a' && c <= 'z') search.shift[c - 'a' + 'A'] = n - 1 - i;
  }
}

std::size_t find_text(const TextSearch& search, std::string_view haystack, std::size_t from) {
  const std::size_t n = search.needle.size();
  if (n == 0) return from <= haystack.size() ? from : std::string_view::npos;
  const auto* h = reinterpret_cast<const unsigned char*>(haystack.data());
  const auto* needle = reinterpret_cast<const unsigned char*>(search.needle.data());
  const unsigned char last = needle[n - 1];
  for (std::size_t i = from; i + n <= haystack.size();) {
    const unsigned char c = h[i + n - 1];
    if (ascii_lower(c) == last) {
      std::size_t k = 0;
      while (k + 1 < n && ascii_lower(h[i + k]) == needle[k]) ++k;
      if (k + 1 == n) return i;
    }
    i += search.shift[c];
  }
  return std::string_view::npos;
}

}  // namespace tellwick
