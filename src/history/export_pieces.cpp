#include "history/export_pieces.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gamelog/entry_line.h"
#include "history/byte_scans.h"
#include "history/cp932_search.h"
#include "history/export_lines.h"
#include "history/export_text.h"
#include "history/game_glyphs.h"
#include "history/ordered_pieces.h"
#include "history/straight_lines.h"
#include "history/text_search.h"
#include "history/utf8_repair.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

// Enough for a byte order mark and the first character of any charset.
constexpr std::size_t kSmallestPiece = 16;

// The shown form of a control sequence starts so; taking it out of a text
// may join a filter's text, so an entry holding one is always looked at.
constexpr std::string_view kShownSequenceStart = "[02";
// Every glyph that gets a stand-in is encoded with this lead byte in UTF-8,
// and with a code unit whose high byte is 0xE0-0xEF in UTF-16.
constexpr char kGlyphLead = '\xEE';

using TakePiece = std::function<bool(const std::uint8_t* data, std::size_t size)>;
using CutOf = std::size_t (*)(const std::uint8_t* data, std::size_t size, ExportCharset charset);

// Reads from `start` on, handing out pieces that end where `cut_of` says
// (0: not in what is read so far, so more is read into a larger buffer);
// the last piece is whatever remains. Stops when `take` says false.
bool for_each_piece(const ReadAt& read_at, std::uint64_t start, ExportCharset charset, CutOf cut_of,
                    std::vector<std::uint8_t>& buffer, const TakePiece& take) {
  std::uint64_t offset = start;
  std::size_t have = 0;
  for (;;) {
    if (have == buffer.size()) buffer.resize(buffer.size() * 2);
    std::size_t got = 0;
    if (!read_at(offset, buffer.data() + have, buffer.size() - have, got)) return false;
    offset += got;
    have += got;
    if (have < buffer.size()) {
      take(buffer.data(), have);
      return true;
    }
    const std::size_t cut = cut_of(buffer.data(), have, charset);
    if (cut == 0) continue;
    if (!take(buffer.data(), cut)) return true;
    std::memmove(buffer.data(), buffer.data() + cut, have - cut);
    have -= cut;
  }
}

// Just after the last line end: no UTF-8 or code page 932 sequence spans it.
std::size_t cut_after_line_end(const std::uint8_t* data, std::size_t size, ExportCharset) {
  for (std::size_t p = size; p > 0; --p) {
    if (data[p - 1] == '\n') return p;
  }
  return 0;
}

bool entry_line_at(const std::uint8_t* data, std::size_t size, std::size_t p, std::size_t unit) {
  if (p + kEntryLinePrefix * unit > size) return false;
  for (std::size_t i = 0; i < kEntryLinePrefix; ++i) {
    if (hex_digit_value(data[p + i * unit]) < 0 || (unit == 2 && data[p + i * 2 + 1] != 0)) return false;
  }
  return true;
}

// The start of the last entry line: the entry before it ends there in the
// decoded text as well. In code page 932 the line end must follow a single
// byte character, not a lead byte that would take it.
std::size_t cut_before_entry_line(const std::uint8_t* data, std::size_t size, ExportCharset charset) {
  if (charset == ExportCharset::kUtf16) {
    for (std::size_t p = size & ~std::size_t{1}; p >= 2; p -= 2) {
      if (data[p - 2] == '\n' && data[p - 1] == 0 && entry_line_at(data, size, p, 2)) return p;
    }
    return 0;
  }
  for (std::size_t p = size; p > 0; --p) {
    if (data[p - 1] != '\n') continue;
    if (charset == ExportCharset::kShiftJis && p >= 2 && data[p - 2] >= 0x80) continue;
    if (entry_line_at(data, size, p, 1)) return p;
  }
  return 0;
}

std::size_t line_ends_in(const std::uint8_t* data, std::size_t size, ExportCharset charset) {
  return charset == ExportCharset::kUtf16 ? wide_newlines_in(data, size) : newlines_in(data, size);
}

std::string count_text(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The start of the entry that holds text[at]: the nearest entry line at or
// before it, not before `from`, which starts one.
std::size_t entry_start_before(std::string_view text, std::size_t from, std::size_t at) {
  std::size_t start = at;
  for (;;) {
    while (start > from && text[start - 1] != '\n') --start;
    if (start <= from) return from;
    const std::size_t end = text.find('\n', start);
    if (is_entry_line(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start))) {
      return start;
    }
    --start;
  }
}

struct PieceReading {
  HistoryPrinter& printer;
  ExportCharset charset;
  // Proved so by the first pass, through the same open file: the text is
  // the bytes as they are.
  bool well_formed_utf8 = false;
  ExportText decoded;
  bool searching = false;
  TextSearch search;
  // The same search in UTF-16 little-endian, looked for in the bytes.
  TextSearch wide_search;
  TextSearch wide_shown;
  // The same search in code page 932, when its bytes say for certain.
  bool narrow_needle = false;
  TextSearch narrow_search;
  // The glyphs the search may meet by their bytes: lead F0 or F1 (bit 8), trail.
  NarrowGlyphs narrow_glyphs;
  std::vector<std::size_t> narrow_glyph_offsets;  // of those in the piece at hand
  // The search text could be found in a glyph's stand-in: an entry holding
  // a glyph is always looked at.
  bool glyphs_may_match = false;
  GlyphSet glyphs;  // which glyphs, by the low byte of U+E0xx
  bool any_entry = false;
  std::size_t stray_first = 0, stray_last = 0;
  std::size_t lines = 0;      // lines before the piece, as entries count them
  std::size_t raw_lines = 0;  // line ends before the piece in the file's bytes
  std::size_t replaced = 0;
  std::size_t first_replaced_line = 0;
  bool odd_length = false;
};

// Where the next entry may start whose glyphs' stand-ins could make it
// match; none when the search can never meet them.
std::size_t next_glyph(const PieceReading& r, std::string_view text, std::size_t pos) {
  if (!r.glyphs_may_match) return std::string_view::npos;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  const auto is_wanted = [&](std::size_t at) {
    if (at + 2 >= size) return false;
    const unsigned second = bytes[at + 1];
    return second >= 0x80 && second <= 0x83 && r.glyphs[(second & 0x03u) << 6 | (bytes[at + 2] & 0x3Fu)];
  };
  const char* s = text.data();
  for (pos = find_byte(s, size, pos, kGlyphLead); pos < size; pos = find_byte(s, size, pos + 1, kGlyphLead)) {
    if (is_wanted(pos)) return pos;
  }
  return std::string_view::npos;
}

// The next place from `pos` where an entry may pass the text filters.
std::size_t next_candidate(PieceReading& r, std::string_view text, std::size_t pos, std::size_t& found,
                           std::size_t& shown, std::size_t& glyph) {
  if (found != std::string_view::npos && found < pos) found = find_text(r.search, text, pos);
  if (shown != std::string_view::npos && shown < pos) shown = text.find(kShownSequenceStart, pos);
  if (glyph != std::string_view::npos && glyph < pos) glyph = next_glyph(r, text, pos);
  return std::min({found, shown, glyph});
}

std::string utf16le_of(std::string_view utf8) {
  std::u16string wide(utf8.size() + 1, u'\0');
  wide.resize(utf8_to_utf16(utf8.data(), utf8.size(), wide.data(), wide.size()));
  std::string bytes;
  for (const char16_t unit : wide) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// The UTF-16 bytes a search looks for: the zero high byte of a last ASCII
// character is left out, since it would match at every ASCII character and
// leave the first look at each place no choice.
std::string wide_needle(std::string_view utf8) {
  std::string bytes = utf16le_of(utf8);
  if (bytes.size() > 2 && bytes.back() == '\0') bytes.pop_back();
  return bytes;
}

// Whether the `unit` bytes before `p` are a line end in code units of that
// size (UTF-16 little-endian for 2).
bool line_end_before(const std::uint8_t* data, std::size_t p, std::size_t unit) {
  return p >= unit && data[p - unit] == '\n' && (unit == 1 || data[p - 1] == 0);
}

// The entry that holds the code unit at `at` of a piece: from its entry line
// to the next one (or the piece's end), both not before `from`, which is on
// a unit's first byte as `at` is.
void entry_around(const std::uint8_t* data, std::size_t size, std::size_t unit, std::size_t from, std::size_t at,
                  std::size_t& start, std::size_t& end) {
  start = at;
  for (;;) {
    while (start > from && !line_end_before(data, start, unit)) start -= unit;
    if (start <= from || entry_line_at(data, size, start, unit)) break;
    start -= unit;
  }
  if (start < from) start = from;
  end = at + unit;
  for (;;) {
    while (end < size && !line_end_before(data, end, unit)) end += unit;
    if (end >= size) {
      end = size;
      return;
    }
    if (entry_line_at(data, size, end, unit)) return;
    end += unit;
  }
}

void print_entries(PieceReading& r, std::string_view text) {
  ExportCursor cursor;
  cursor.text = text;
  ExportEntry entry;
  while (!r.printer.stopped && next_export_entry(cursor, entry) == ExportStep::kEntry) {
    print_entry(r.printer, entry.time, entry.code, entry.text, true);
  }
}

// The first byte of the next code unit from `from` that may be a glyph with
// a stand-in; none when the search can never meet one.
std::size_t next_wide_glyph(const PieceReading& r, const std::uint8_t* data, std::size_t size, std::size_t from) {
  if (!r.glyphs_may_match) return std::string_view::npos;
  for (std::size_t i = from;; i += 2) {
    i = next_wide_unit_in_block(data, size, i, 0xE0);
    if (i >= size) return std::string_view::npos;
    if (r.glyphs.test(data[i])) return i;
  }
}

// A UTF-16 piece without surrogates, after the first entry: only the
// entries whose bytes hold the search text (or a shown control sequence)
// are decoded.
void take_wide_piece(PieceReading& r, const std::uint8_t* data, std::size_t size) {
  if (r.replaced == 0) r.raw_lines += line_ends_in(data, size, r.charset);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t pos = 0;
  std::size_t found = find_text(r.wide_search, bytes, 0);
  std::size_t shown = find_text(r.wide_shown, bytes, 0);
  std::size_t glyph = next_wide_glyph(r, data, size, 0);
  while (!r.printer.stopped) {
    // Only a match on a code unit's first byte counts.
    while (found != std::string_view::npos && (found < pos || found % 2 != 0)) {
      found = find_text(r.wide_search, bytes, found < pos ? pos : found + 1);
    }
    while (shown != std::string_view::npos && (shown < pos || shown % 2 != 0)) {
      shown = find_text(r.wide_shown, bytes, shown < pos ? pos : shown + 1);
    }
    while (glyph != std::string_view::npos && glyph < pos) glyph = next_wide_glyph(r, data, size, pos);
    const std::size_t at = std::min({found, shown, glyph});
    if (at == std::string_view::npos) return;
    std::size_t start, end;
    entry_around(data, size, 2, pos, at, start, end);
    decode_export_piece(data + start, end - start, r.charset, r.decoded);
    print_entries(r, r.decoded.text);
    pos = end;
  }
}

// A code page 932 piece that the table decodes alone, after the first
// entry: only the entries whose bytes hold the search text (or a shown
// control sequence, or a glyph the search may meet) are decoded.
void take_cp932_piece(PieceReading& r, const std::uint8_t* data, std::size_t size) {
  if (r.replaced == 0) r.raw_lines += line_ends_in(data, size, r.charset);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t pos = 0;
  std::size_t found = find_text(r.narrow_search, bytes, 0);
  std::size_t shown = bytes.find(kShownSequenceStart);
  // The glyphs the search may meet, found by the plain check.
  auto glyph_at = r.narrow_glyph_offsets.begin();
  const auto next_glyph_from = [&](std::size_t from) {
    while (glyph_at != r.narrow_glyph_offsets.end() && *glyph_at < from) ++glyph_at;
    return glyph_at == r.narrow_glyph_offsets.end() ? std::string_view::npos : *glyph_at;
  };
  std::size_t glyph = next_glyph_from(0);
  while (!r.printer.stopped) {
    if (found != std::string_view::npos && found < pos) found = find_text(r.narrow_search, bytes, pos);
    if (shown != std::string_view::npos && shown < pos) shown = bytes.find(kShownSequenceStart, pos);
    if (glyph != std::string_view::npos && glyph < pos) glyph = next_glyph_from(pos);
    const std::size_t at = std::min({found, shown, glyph});
    if (at == std::string_view::npos) return;
    std::size_t start, end;
    entry_around(data, size, 1, pos, at, start, end);
    decode_export_piece(data + start, end - start, r.charset, r.decoded);
    print_entries(r, r.decoded.text);
    pos = end;
  }
}

void take_piece(PieceReading& r, const std::uint8_t* data, std::size_t size) {
  if (r.charset == ExportCharset::kUtf16 && r.searching && r.any_entry && size % 2 == 0 && !has_surrogate(data, size)) {
    take_wide_piece(r, data, size);
    return;
  }
  if (r.charset == ExportCharset::kShiftJis && r.searching && r.any_entry && r.narrow_needle &&
      cp932_bytes_are_plain(data, size, r.narrow_glyphs, r.narrow_glyph_offsets)) {
    take_cp932_piece(r, data, size);
    return;
  }
  ExportCursor cursor;
  if (r.well_formed_utf8) {
    cursor.text = std::string_view(reinterpret_cast<const char*>(data), size);
  } else {
    decode_export_piece(data, size, r.charset, r.decoded);
    r.odd_length = r.odd_length || r.decoded.odd_length;
    if (r.decoded.replaced > 0 && r.replaced == 0) r.first_replaced_line = r.raw_lines + r.decoded.first_replaced_line;
    r.replaced += r.decoded.replaced;
    if (r.replaced == 0) r.raw_lines += line_ends_in(data, size, r.charset);
    cursor.text = r.decoded.text;
  }

  cursor.line = r.lines;
  ExportEntry entry;
  // The next match and shown form in this piece, looked up at first need.
  std::size_t found = 0, shown = 0, glyph = 0;
  bool first_lookup = true;
  while (!r.printer.stopped) {
    // Once the first entry is known, no line can be stray any more: what
    // lies before a possible match is passed over without taking it apart.
    if (r.any_entry && r.searching) {
      if (first_lookup) {
        found = find_text(r.search, cursor.text, cursor.pos);
        shown = cursor.text.find(kShownSequenceStart, cursor.pos);
        glyph = next_glyph(r, cursor.text, cursor.pos);
        first_lookup = false;
      }
      const std::size_t at = next_candidate(r, cursor.text, cursor.pos, found, shown, glyph);
      if (at == std::string_view::npos) break;
      cursor.pos = entry_start_before(cursor.text, cursor.pos, at);
    }
    const ExportStep step = next_export_entry(cursor, entry);
    if (step == ExportStep::kEnd) break;
    if (step == ExportStep::kStray) {
      if (r.stray_first == 0) r.stray_first = entry.line;
      r.stray_last = entry.line;
      continue;
    }
    r.any_entry = true;
    print_entry(r.printer, entry.time, entry.code, entry.text, true);
  }
  r.lines = cursor.line;
}

// Pieces formatted on threads of their own are about this size.
constexpr std::size_t kFormattedPart = std::size_t{1} << 18;
// The first piece, which one thread reads alone to find the first entry,
// is small, so that the others start soon.
constexpr std::size_t kFirstPart = std::size_t{1} << 14;

// What a thread that formats pieces keeps from one piece to the next.
struct PieceWorker {
  HistoryPrinter printer;
  ExportText decoded;
  StraightLines straight;
};

// A piece after the first entry, without a search, formatted on a worker as
// take_piece would print it: every piece starts with an entry line, so none
// holds a stray line.
void format_piece(PieceWorker& w, ExportCharset charset, bool well_formed_utf8, const std::vector<std::uint8_t>& piece,
                  PieceResult& result) {
  // The piece's text is gathered whole in the result's own buffer.
  w.printer.flush_size = static_cast<std::size_t>(-1);
  w.printer.buffer.swap(result.text);
  // Printed straight from the bytes as far as that goes; UTF-8 only when
  // it is well-formed, as the rest is read with ill-formed bytes replaced.
  std::size_t taken = 0, taken_line_ends = 0;
  if (charset != ExportCharset::kUtf8 || well_formed_utf8 ||
      first_invalid_utf8(std::string_view(reinterpret_cast<const char*>(piece.data()), piece.size())) == piece.size()) {
    taken = print_entries_straight(w.printer, w.straight, charset, piece.data(), piece.size(), taken_line_ends);
  } else {
    w.printer.buffer.clear();
  }
  const std::uint8_t* data = piece.data() + taken;
  const std::size_t size = piece.size() - taken;
  ExportCursor cursor;
  if (well_formed_utf8) {
    cursor.text = std::string_view(reinterpret_cast<const char*>(data), size);
  } else {
    decode_export_piece(data, size, charset, w.decoded);
    result.replaced = w.decoded.replaced;
    result.first_replaced_line = w.decoded.replaced > 0 ? taken_line_ends + w.decoded.first_replaced_line : 0;
    result.odd_length = w.decoded.odd_length;
    cursor.text = w.decoded.text;
  }
  ExportEntry entry;
  for (;;) {
    const ExportStep step = next_export_entry(cursor, entry);
    if (step == ExportStep::kEnd) break;
    if (step == ExportStep::kEntry) print_entry(w.printer, entry.time, entry.code, entry.text, true);
  }
  w.printer.buffer.swap(result.text);
  // Line ends are counted in the file's bytes only while nothing was
  // replaced; then the text holds the same, and the entries have passed
  // them all.
  if (result.replaced == 0) {
    result.line_ends = taken_line_ends + cursor.line - (!cursor.text.empty() && cursor.text.back() != '\n' ? 1 : 0);
  }
}

// Hands a formatted piece to the printer's output, and its bad input to
// what the reading tells at its end, as take_piece does.
bool take_formatted(PieceReading& r, PieceResult& result) {
  if (result.replaced > 0 && r.replaced == 0) r.first_replaced_line = r.raw_lines + result.first_replaced_line;
  r.replaced += result.replaced;
  if (r.replaced == 0) r.raw_lines += result.line_ends;
  r.odd_length = r.odd_length || result.odd_length;
  flush_history(r.printer);
  if (!r.printer.stopped && !result.text.empty() && r.printer.sinks.history) r.printer.sinks.history(result.text);
  return !r.printer.stopped;
}

// Reads from `offset` on in parts that end before an entry line, straight
// into the buffers of the pieces that `formatted` works on. False when a
// read failed.
bool give_parts(const ReadAt& read_at, std::uint64_t offset, ExportCharset charset, std::size_t part_size,
                OrderedPieces& formatted) {
  std::vector<std::uint8_t> carry;  // what lies after the last cut
  for (;;) {
    std::vector<std::uint8_t> part = formatted.spare_piece();
    part.resize(std::max({part.size(), part_size, carry.size() * 2}));
    std::copy(carry.begin(), carry.end(), part.begin());
    std::size_t have = carry.size();
    std::size_t cut = 0;
    while (cut == 0) {
      std::size_t got = 0;
      if (!read_at(offset, part.data() + have, part.size() - have, got)) return false;
      offset += got;
      have += got;
      if (have < part.size()) {  // the end of the file
        part.resize(have);
        if (have > 0) formatted.give(std::move(part));
        return true;
      }
      cut = cut_before_entry_line(part.data(), have, charset);
      if (cut == 0) part.resize(part.size() * 2);  // one entry longer than the part
    }
    carry.assign(part.begin() + static_cast<std::ptrdiff_t>(cut), part.begin() + static_cast<std::ptrdiff_t>(have));
    part.resize(cut);
    if (!formatted.give(std::move(part))) return true;
  }
}

void report_input(PieceReading& r, std::string_view name) {
  HistoryPrinter& printer = r.printer;
  if (r.odd_length) report(printer, std::string(name) + ": UTF-16 text of odd length; its last byte is left out");
  if (r.replaced > 0) {
    const bool cp932 = r.charset == ExportCharset::kShiftJis;
    report(printer,
           std::string(name) + ": " +
               (cp932 ? count_text(r.replaced, "character not in code page 932", "characters not in code page 932") +
                            " shown as ・ (U+30FB)"
                      : count_text(r.replaced, "ill-formed character", "ill-formed characters") + " shown as U+FFFD") +
               " (the first on line " + std::to_string(r.first_replaced_line) + ")");
  }
  if (r.stray_first == 0) return;
  if (!r.any_entry) {
    // An export of a series without entries is an empty file.
    report(printer, std::string(name) + ": not an export file (no line starts with an entry time and code); skipped");
    return;
  }
  std::string message = std::string(name) + ": ";
  message += r.stray_first == r.stray_last
                 ? "line " + std::to_string(r.stray_first)
                 : "lines " + std::to_string(r.stray_first) + "-" + std::to_string(r.stray_last);
  message += " before the first entry line do not start with an entry time and code (twelve hex digits); skipped";
  report(printer, message);
}

}  // namespace

bool read_export_pieces(HistoryPrinter& printer, std::string_view name, const ReadAt& read_at, std::size_t piece_size) {
  const HistoryFilter& filter = printer.filter;
  const bool searching = !filter.text.empty() || !filter.sender.empty();
  // Once the first entry is known, pieces without a search are formatted
  // on every core; a search is held up by the reading, not the formatting.
  // Entries handed out one by one (to the history window) come from this
  // thread alone.
  const int threads = printer.sinks.entry ? 0 : piece_workers();
  const bool parted = threads > 0 && !searching;
  // What comes before the first entry is read alone: in a small piece when
  // the rest is parted out, so that the other cores start soon.
  std::vector<std::uint8_t> buffer(std::max(parted ? std::min(piece_size, kFirstPart) : piece_size, kSmallestPiece));
  std::size_t got = 0;
  if (!read_at(0, buffer.data(), buffer.size(), got)) return false;
  ExportCharset charset = ExportCharset::kUtf8;
  bool well_formed_utf8 = false;
  if (!charset_of_start(buffer.data(), got, charset)) {
    CharsetCensus census;
    bool again = false;
    const TakePiece count = [&](const std::uint8_t* data, std::size_t size) {
      if (add_to_census(data, size, census)) return !census_is_settled(census);
      again = true;
      return false;
    };
    if (!for_each_piece(read_at, 0, charset, cut_after_line_end, buffer, count)) return false;
    if (again && !for_each_piece(read_at, 0, charset, cut_after_line_end, buffer, count)) return false;
    charset = charset_of_census(census);
    // Settled early, the rest is checked piece by piece as it is read.
    well_formed_utf8 = census.well_formed_utf8 && !census_is_settled(census);
    if (!read_at(0, buffer.data(), std::min(buffer.size(), kSmallestPiece), got)) return false;
  }
  const std::size_t mark = mark_length(charset, buffer.data(), got);

  PieceReading r{printer, charset, well_formed_utf8};
  if (searching) {
    r.searching = true;
    prepare_text_search(filter.text.empty() ? filter.sender : filter.text, r.search);
    r.glyphs = glyphs_a_search_may_meet(r.search.needle);
    r.glyphs_may_match = r.glyphs.any();
    if (charset == ExportCharset::kUtf16) {
      prepare_text_search(wide_needle(r.search.needle), r.wide_search);
      prepare_text_search(wide_needle(kShownSequenceStart), r.wide_shown);
    }
    std::string narrow;
    if (charset == ExportCharset::kShiftJis && cp932_needle(r.search.needle, narrow)) {
      r.narrow_needle = true;
      prepare_text_search(narrow, r.narrow_search);
      for (unsigned low = 0; low < 256 && r.narrow_needle; ++low) {
        if (!r.glyphs.test(low)) continue;
        const std::uint32_t code_point = 0xE000 + low;
        const char utf8[] = {static_cast<char>(0xE0 | code_point >> 12),
                             static_cast<char>(0x80 | (code_point >> 6 & 0x3F)),
                             static_cast<char>(0x80 | (code_point & 0x3F))};
        std::string glyph;
        // A glyph that is not one user-defined character there is looked for in decoded text.
        r.narrow_needle = cp932_needle(std::string_view(utf8, 3), glyph) && glyph.size() == 2 &&
                          (static_cast<std::uint8_t>(glyph[0]) & 0xFE) == 0xF0;
        if (r.narrow_needle) r.narrow_glyphs.set((glyph[0] & 1u) << 8 | static_cast<std::uint8_t>(glyph[1]));
      }
    }
  }
  std::uint64_t taken = mark;
  bool handed_over = false;
  const TakePiece print = [&](const std::uint8_t* data, std::size_t size) {
    if (parted && r.any_entry) {
      handed_over = true;
      return false;
    }
    take_piece(r, data, size);
    taken += size;
    return !r.printer.stopped;
  };
  if (!for_each_piece(read_at, mark, charset, cut_before_entry_line, buffer, print)) return false;
  if (handed_over) {
    std::vector<PieceWorker> workers(static_cast<std::size_t>(threads));
    for (PieceWorker& w : workers) {
      w.printer.filter = printer.filter;
      w.printer.format = printer.format;
    }
    OrderedPieces formatted(
        threads,
        [&workers, &r](int worker, const std::vector<std::uint8_t>& piece, PieceResult& result) {
          format_piece(workers[static_cast<std::size_t>(worker)], r.charset, r.well_formed_utf8, piece, result);
        },
        [&r](PieceResult& result) { return take_formatted(r, result); });
    const bool read = give_parts(read_at, taken, charset, std::min(piece_size, kFormattedPart), formatted);
    // What was read before a failure is printed, as it would be by one thread.
    formatted.finish();
    if (!read) return false;
  }
  report_input(r, name);
  return true;
}

}  // namespace tellwick
