#include "history/export_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "gamelog/entry_line.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "history/cp932_table.h"
#include "history/utf8_repair.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

constexpr std::size_t kEnoughUtf8Characters = 4096;

constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint8_t kUtf16Mark[] = {0xFF, 0xFE};

bool starts_with(const std::uint8_t* data, std::size_t size, const std::uint8_t* mark, std::size_t mark_size) {
  return size >= mark_size && std::equal(mark, mark + mark_size, data);
}

bool is_cp932_trail(std::uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Lead bytes without a proper trail byte, and single bytes that code page
// 932 never gives for a character.
std::size_t cp932_faults(const std::uint8_t* data, std::size_t size) {
  std::size_t faults = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = data[i];
    if (b < 0x80) continue;
    if (is_cp932_lead(b)) {
      if (i + 1 < size && is_cp932_trail(data[i + 1])) {
        ++i;
      } else {
        ++faults;
      }
    } else if (b == 0x80 || b == 0xA0 || b >= 0xFD) {
      ++faults;
    }
  }
  return faults;
}

// A buffer of at least `capacity` bytes for the decoded text, kept from one
// piece to the next and never cleared: each piece writes what it reads.
char* text_buffer(ExportText& result, std::size_t capacity) {
  if (result.buffer_size < capacity) {
    result.buffer = std::make_unique_for_overwrite<char[]>(capacity);
    result.buffer_size = capacity;
  }
  return result.buffer.get();
}

std::size_t line_of(std::string_view text, std::size_t pos) {
  return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

void repair_into(std::string_view utf8, ExportText& result) {
  const std::size_t bad = first_invalid_utf8(utf8);
  if (bad == utf8.size()) {
    result.text = utf8;
    return;
  }
  result.first_replaced_line = line_of(utf8, bad);
  result.converted.reserve(utf8.size() + utf8.size() / 8);
  result.replaced = append_repaired_utf8(utf8, result.converted);
  result.text = result.converted;
}

char* put_utf8(char* out, std::uint32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | cp >> 6);
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | cp >> 12);
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | cp >> 18);
    *out++ = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// UTF-16 little-endian straight to UTF-8; a surrogate without its partner
// becomes U+FFFD.
void decode_utf16(const std::uint8_t* data, std::size_t size, ExportText& result) {
  result.odd_length = size % 2 != 0;
  const std::size_t units = size / 2;
  auto unit = [data](std::size_t i) { return static_cast<std::uint32_t>(data[2 * i] | data[2 * i + 1] << 8); };
  char* const begin = text_buffer(result, units * 3);
  char* out = begin;
  std::size_t i = 0;
  while (i < units) {
#if defined(__SSE2__)
    // Runs of ASCII, eight units at a time.
    const __m128i high_bits = _mm_set1_epi16(static_cast<short>(0xFF80));
    while (i + 8 <= units) {
      const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 2 * i));
      if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(eight, high_bits), _mm_setzero_si128())) != 0xFFFF) break;
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(eight, eight));
      out += 8;
      i += 8;
    }
    if (i >= units) break;
#endif
    std::uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (cp <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
        ++i;
      } else {
        // Each line end of the text so far is one of the input's.
        const auto written = static_cast<std::size_t>(out - begin);
        if (result.replaced++ == 0) result.first_replaced_line = line_of(std::string_view(begin, written), written);
        cp = 0xFFFD;
      }
    }
    out = put_utf8(out, cp);
    ++i;
  }
  result.text = std::string_view(begin, static_cast<std::size_t>(out - begin));
}

// What each byte is in code page 932, told by one lookup in the decoding loop.
constexpr std::uint8_t kAscii = 0, kSingle = 1, kLead = 2;
constexpr auto kCp932Kinds = [] {
  std::array<std::uint8_t, 256> kinds{};
  for (int b = 0x80; b < 0x100; ++b) kinds[b] = is_cp932_lead(static_cast<std::uint8_t>(b)) ? kLead : kSingle;
  return kinds;
}();

// The end of the run of bytes 0x80 and above that starts at data[from], a
// lead byte taking the byte after it whatever that is.
std::size_t high_run_end(const std::uint8_t* data, std::size_t from, std::size_t size) {
  std::size_t run = from;
  while (run < size && data[run] >= 0x80) run += is_cp932_lead(data[run]) ? 2 : 1;
  return std::min(run, size);
}

// ASCII passes as it is; each run of other bytes is looked up in the table,
// or, where the table leaves a character to the platform, goes through the
// platform's conversion whole as before. A lead byte always takes the byte
// after it, ASCII or not.
void decode_cp932(const std::uint8_t* data, std::size_t size, ExportText& result) {
  const Cp932Table& table = cp932_table();
  // Three bytes of UTF-8 at most for each byte, and room for the sixteen
  // stored at once past the text.
  char* const begin = text_buffer(result, size * 3 + 16);
  char* out = begin;
  std::u16string wide;
  std::size_t i = 0;
  while (i < size) {
#if defined(__SSE2__)
    // ASCII is copied sixteen bytes at a time, as far as it goes in them.
    while (i + 16 <= size) {
      const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), sixteen);
      const auto past_ascii = static_cast<unsigned>(_mm_movemask_epi8(sixteen));
      const std::size_t ascii = past_ascii == 0 ? 16 : static_cast<std::size_t>(__builtin_ctz(past_ascii));
      out += ascii;
      i += ascii;
      if (ascii < 16) break;
    }
#endif
    while (i < size && data[i] < 0x80) *out++ = static_cast<char>(data[i++]);
    if (i >= size) break;
    // The characters of the run, while the table knows them; the last byte
    // of the text is left to the careful loop below.
    char* const run_out = out;
    std::size_t run = i;
    std::uint32_t utf8 = 1;
    // Two characters of two bytes a step, as Japanese text mostly is. The
    // table holds nothing for a first byte that is no lead.
    while (run + 3 < size && (data[run] & data[run + 2]) >= 0x80) {
      const std::uint32_t first = table.pair_utf8[data[run] - 0x80][data[run + 1]];
      const std::uint32_t second = table.pair_utf8[data[run + 2] - 0x80][data[run + 3]];
      if (first == 0 || second == 0) break;
      std::memcpy(out, &first, 4);
      out += first >> 24;
      std::memcpy(out, &second, 4);
      out += second >> 24;
      run += 4;
    }
    while (run + 1 < size) {
      const std::uint8_t b = data[run];
      const std::uint8_t kind = kCp932Kinds[b];
      if (kind == kLead) {
        utf8 = table.pair_utf8[b - 0x80][data[run + 1]];
        run += 2;
      } else if (kind == kSingle) {
        utf8 = table.single_utf8[b - 0x80];
        run += 1;
      } else {
        break;
      }
      if (utf8 == 0) break;
      std::memcpy(out, &utf8, 4);  // the buffer has room for a byte more than the text
      out += utf8 >> 24;
    }
    if (utf8 != 0 && run + 1 == size && data[run] >= 0x80) {
      utf8 = is_cp932_lead(data[run]) ? 0 : table.single_utf8[data[run] - 0x80];
      if (utf8 != 0) {
        std::memcpy(out, &utf8, 4);
        out += utf8 >> 24;
      }
      ++run;
    }
    if (utf8 == 0) {
      // The run goes through the platform whole, from its start.
      out = run_out;
      run = high_run_end(data, i, size);
      wide.resize(run - i);
      std::size_t replaced = 0;
      wide.resize(cp932_to_utf16(reinterpret_cast<const char*>(data) + i, run - i, wide.data(), wide.size(), replaced));
      // A run holds no line end of its own, unless a lead byte took one.
      if (replaced > 0 && result.replaced == 0) {
        result.first_replaced_line = line_of(std::string_view(reinterpret_cast<const char*>(data), size), i);
      }
      result.replaced += replaced;
      out += utf16_to_utf8(wide.data(), wide.size(), out, wide.size() * 3);
    }
    i = std::min(run, size);
  }
  result.text = std::string_view(begin, static_cast<std::size_t>(out - begin));
}

}  // namespace

static_assert(std::endian::native == std::endian::little, "packed UTF-8 is stored as the bytes of a word");

bool add_to_census(const std::uint8_t* data, std::size_t size, CharsetCensus& census) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!census.counting) {
    if (first_invalid_utf8(bytes) == size) {
      // Each well-formed character beyond ASCII starts with one byte 0xC2 or above.
      for (std::size_t i = 0; i < size && census.utf8_characters < kEnoughUtf8Characters; ++i) {
        census.utf8_characters += data[i] >= 0xC2;
      }
      return true;
    }
    census.well_formed_utf8 = false;
    census.counting = true;
    return false;
  }
  // A slice at a time, ended after a line end, which ends every sequence in
  // both charsets: counting stops once the census is settled.
  constexpr std::size_t kSlice = 64 * 1024;
  std::size_t from = 0;
  while (from < size && !census_is_settled(census)) {
    std::size_t to = size;
    if (size - from > kSlice) {
      std::size_t end = from + kSlice;
      while (end > from && data[end - 1] != '\n') --end;
      if (end > from) to = end;
    }
    const Utf8Census slice = utf8_census(bytes.substr(from, to - from));
    census.utf8.well_formed += slice.well_formed;
    census.utf8.ill_formed += slice.ill_formed;
    census.cp932_faults += cp932_faults(data + from, to - from);
    from = to;
  }
  return true;
}

bool census_is_settled(const CharsetCensus& census) {
  constexpr std::size_t kEnoughSequences = 65536;
  if (!census.counting) return census.utf8_characters >= kEnoughUtf8Characters;
  return census.utf8.well_formed + census.utf8.ill_formed >= kEnoughSequences;
}

bool charset_of_start(const std::uint8_t* data, std::size_t size, ExportCharset& charset) {
  if (starts_with(data, size, kUtf16Mark, sizeof kUtf16Mark)) {
    charset = ExportCharset::kUtf16;
  } else if (starts_with(data, size, kUtf8Mark, sizeof kUtf8Mark)) {
    charset = ExportCharset::kUtf8;
  } else if (size >= 2 && hex_digit_value(data[0]) >= 0 && data[1] == 0) {
    charset = ExportCharset::kUtf16;
  } else {
    return false;
  }
  return true;
}

ExportCharset charset_of_census(const CharsetCensus& census) {
  if (census.well_formed_utf8) return ExportCharset::kUtf8;
  if (census.utf8.ill_formed > census.utf8.well_formed && census.cp932_faults < census.utf8.ill_formed) {
    return ExportCharset::kShiftJis;
  }
  return ExportCharset::kUtf8;
}

std::size_t mark_length(ExportCharset charset, const std::uint8_t* data, std::size_t size) {
  if (charset == ExportCharset::kUtf16 && starts_with(data, size, kUtf16Mark, sizeof kUtf16Mark)) {
    return sizeof kUtf16Mark;
  }
  if (charset == ExportCharset::kUtf8 && starts_with(data, size, kUtf8Mark, sizeof kUtf8Mark)) {
    return sizeof kUtf8Mark;
  }
  return 0;
}

ExportCharset detect_export_charset(const std::uint8_t* data, std::size_t size) {
  ExportCharset charset;
  if (charset_of_start(data, size, charset)) return charset;
  CharsetCensus census;
  if (!add_to_census(data, size, census)) add_to_census(data, size, census);
  return charset_of_census(census);
}

void decode_export_piece(const std::uint8_t* data, std::size_t size, ExportCharset charset, ExportText& result) {
  result.charset = charset;
  result.text = {};
  result.converted.clear();
  result.replaced = 0;
  result.first_replaced_line = 0;
  result.odd_length = false;
  switch (charset) {
    case ExportCharset::kUtf16: decode_utf16(data, size, result); break;
    case ExportCharset::kShiftJis: decode_cp932(data, size, result); break;
    case ExportCharset::kUtf8: repair_into(std::string_view(reinterpret_cast<const char*>(data), size), result); break;
  }
}

void decode_export_text(const std::uint8_t* data, std::size_t size, ExportText& result) {
  const ExportCharset charset = detect_export_charset(data, size);
  const std::size_t mark = mark_length(charset, data, size);
  decode_export_piece(data + mark, size - mark, charset, result);
}

}  // namespace tellwick
