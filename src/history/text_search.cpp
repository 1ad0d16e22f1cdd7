#include "history/text_search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  const auto matches_at = [&](std::size_t i) {
    std::size_t k = 0;
    // A needle's upper-case byte (in another charset's bytes) is exact.
    while (k < n && (ascii_lower(h[i + k]) == needle[k] || h[i + k] == needle[k])) ++k;
    return k == n;
  };
  std::size_t i = from;
#if defined(__SSE2__)
  // Sixteen places at once: those whose first and last bytes both fit are
  // compared whole. Setting bit 0x20 folds the case of letters (and joins
  // a few other pairs, which the whole comparison sorts out).
  const auto fold = [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? 0x20 : 0); };
  const __m128i first_fold = _mm_set1_epi8(fold(needle[0]));
  const __m128i last_fold = _mm_set1_epi8(fold(last));
  const __m128i first_byte = _mm_set1_epi8(static_cast<char>(needle[0]));
  const __m128i last_byte = _mm_set1_epi8(static_cast<char>(last));
  for (; i + n - 1 + 16 <= haystack.size(); i += 16) {
    const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i)), first_fold);
    const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + n - 1)), last_fold);
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first_byte), _mm_cmpeq_epi8(b, last_byte))));
    while (mask != 0) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
      if (matches_at(at)) return at;
      mask &= mask - 1;
    }
  }
#endif
  while (i + n <= haystack.size()) {
    const unsigned char c = h[i + n - 1];
    if ((ascii_lower(c) == last || c == last) && matches_at(i)) return i;
    i += search.shift[c];
  }
  return std::string_view::npos;
}

}  // namespace tellwick
