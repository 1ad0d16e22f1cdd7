#include "history/straight_lines.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gamelog/entry_line.h"
#include "history/byte_scans.h"
#include "history/channels.h"
#include "history/cp932_table.h"
#include "history/entry_prefix.h"
#include "history/game_glyphs.h"
#include "history/history_filter.h"
#include "history/line_heads.h"

namespace tellwick {
namespace {

constexpr std::uint8_t kUnitSeparator = 0x1F;
// What a JSON line holds between the sender's text and the message's, and after the message's.
constexpr std::string_view kJsonBetween = "\",\"message\":\"";
constexpr std::string_view kJsonEnd = "\"}\n";
// Stored at once past what is written: sixteen bytes of text, or the room of a stand-in.
constexpr std::size_t kStoredAtOnce = std::max<std::size_t>(16, PaddedStandIn::kRoom);
// The most one byte of text becomes: a glyph's two bytes (its two-byte
// character, or its UTF-16 code unit) its longest stand-in.
constexpr std::size_t kMostPerByte = std::max<std::size_t>(3, (kLongestStandIn + 1) / 2);

// The history buffer with room made ahead of the lines written into it:
// making it a line at a time would fill each line's room with zeros first.
// What it held before is room too.
struct Room {
  std::string& out;
  std::size_t used;  // what holds lines; the rest is room

  static constexpr std::size_t kStep = 8 * 1024;
  char* make(std::size_t size) {
    if (out.size() - used < size) out.resize(used + std::max(size, kStep));
    return out.data() + used;
  }
  void take(const char* end) { used = static_cast<std::size_t>(end - out.data()); }
  void close() { out.resize(used); }
};

// How decoding a field stopped.
enum class Stop {
  kEnd,        // at the end of the text
  kSeparator,  // at a unit separator
  kLong,       // at what only the long way shows right
};

// ASCII that goes into a line as it is: not a control character, DEL, a
// "[" (which may open a control sequence in its shown form), nor in JSON a
// character it escapes.
template <bool json>
bool is_plain_ascii(std::uint32_t c) {
  return c >= 0x20 && c < 0x7F && c != '[' && (!json || (c != '"' && c != '\\'));
}

#if defined(__SSE2__)
// The lanes of `b` that are plain ASCII, as bytes of all ones.
template <bool json>
__m128i plain_ascii(__m128i b) {
  // 0x20..0x7E moved by 0x60 is 0x80..0xDE, the signed bytes below -33.
  __m128i plain = _mm_cmplt_epi8(_mm_add_epi8(b, _mm_set1_epi8(0x60)), _mm_set1_epi8(-33));
  plain = _mm_andnot_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('[')), plain);
  if constexpr (json) {
    plain = _mm_andnot_si128(
        _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('"')), _mm_cmpeq_epi8(b, _mm_set1_epi8('\\'))), plain);
  }
  return plain;
}

// The same for lanes of sixteen bits.
template <bool json>
__m128i plain_ascii_units(__m128i u) {
  __m128i plain = _mm_and_si128(_mm_cmpgt_epi16(u, _mm_set1_epi16(0x1F)), _mm_cmplt_epi16(u, _mm_set1_epi16(0x7F)));
  plain = _mm_andnot_si128(_mm_cmpeq_epi16(u, _mm_set1_epi16('[')), plain);
  if constexpr (json) {
    plain = _mm_andnot_si128(
        _mm_or_si128(_mm_cmpeq_epi16(u, _mm_set1_epi16('"')), _mm_cmpeq_epi16(u, _mm_set1_epi16('\\'))), plain);
  }
  return plain;
}

// How many of the sixteen bytes lead the block before the first lane that
// is not set in `plain`; 16 when all are.
std::size_t plain_lead(__m128i plain) {
  return static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(_mm_movemask_epi8(plain)) ^ 0x1FFFFu));
}
#endif

// Whether a character beyond ASCII is a control character that a line
// cannot hold as it is: C1 (U+0080..U+009F), U+2028 or U+2029.
bool is_control(std::uint32_t code_point) {
  return (code_point >= 0x80 && code_point <= 0x9F) || (code_point & ~1u) == 0x2028;
}

// Writes the stand-in of a game glyph in U+E000..U+E0FF; false when the
// code point has none.
bool put_stand_in(std::uint32_t code_point, char*& o) {
  if ((code_point & ~0xFFu) != 0xE000) return false;
  const PaddedStandIn& stand_in = padded_stand_in(static_cast<std::uint8_t>(code_point));
  if (stand_in.size == 0) return false;
  std::memcpy(o, stand_in.text, PaddedStandIn::kRoom);
  o += stand_in.size;
  return true;
}

// The code point of a character beyond ASCII, in UTF-8 packed as
// Cp932Table packs it (two or three bytes).
std::uint32_t code_point_of_packed(std::uint32_t utf8) {
  if (utf8 >> 24 == 2) return (utf8 & 0x1F) << 6 | (utf8 >> 8 & 0x3F);
  return (utf8 & 0x0F) << 12 | (utf8 >> 8 & 0x3F) << 6 | (utf8 >> 16 & 0x3F);
}

// Each charset decodes a field in two steps, which put_field() takes in
// turn: `put_run` copies a run of what goes into a line as it is, and
// `put_other` decodes what follows beyond ASCII, false when only the long
// way shows it right. `readable`: the bytes from `text` on that may be
// loaded, which may go past the text; the code unit after the text, when it
// is readable, is a line end, which stops any run.

#if defined(__SSE2__)
__m128i load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
#endif

// Runs of the charset's plain code units, sixteen bytes a step: each block
// is stored whole, and the text goes on past its plain lead. A block that
// reaches past the text reaches its line end, which is no plain unit: a
// run never goes past the text.
template <bool json, typename Charset>
[[gnu::always_inline]] inline void put_run(const std::uint8_t* text, std::size_t size, std::size_t readable,
                                           std::size_t& i, char*& o) {
#if defined(__SSE2__)
  while (i < size && i + 16 <= readable) {
    const __m128i block = load(text + i);
    Charset::store_block(block, o);
    const std::size_t plain = plain_lead(Charset::template plain_lanes<json>(block));
    i += plain;
    o += plain / Charset::kUnit;
    if (plain < 16) return;
  }
#endif
  while (i < size && Charset::template is_plain<json>(text, i)) {
    *o++ = static_cast<char>(text[i]);
    i += Charset::kUnit;
  }
}

// Decodes text[i, size) into `o` up to a unit separator, with each glyph's
// stand-in in its place.
template <bool json, typename Charset>
Stop put_field(const Charset& charset, const std::uint8_t* text, std::size_t size, std::size_t readable,
               std::size_t& from, char*& out) {
  // Kept in locals: what is written through `o` could be them, for all the compiler knows.
  std::size_t i = from;
  char* o = out;
  Stop stop = Stop::kEnd;
  for (;;) {
    put_run<json, Charset>(text, size, readable, i, o);
    if (i == size) break;
    if (const std::uint32_t unit = Charset::unit_at(text, i); unit < 0x80) {
      stop = unit == kUnitSeparator ? Stop::kSeparator : Stop::kLong;
      break;
    }
    if (!charset.put_other(text, size, i, o)) {
      stop = Stop::kLong;
      break;
    }
  }
  from = i;
  out = o;
  return stop;
}

// Code page 932, by the table.
struct Cp932Text {
  static constexpr std::size_t kUnit = 1;
  // Set in a pair's UTF-8 that needs a look before it goes into a line, or
  // that the table does not hold (which is 0 then): one test of two pairs
  // tells that both go in as they are.
  static constexpr std::uint32_t kLook = 0x80000000u;
  struct FlaggedPairs {
    std::uint32_t utf8[128][256];
  };

  const Cp932Table& table = cp932_table();
  const FlaggedPairs& pairs = flagged_pairs();

  // Kana, kanji and full-width forms need no look: characters of three
  // bytes in UTF-8 from U+3000 on, but the game's glyphs (U+E000..U+EFFF).
  static const FlaggedPairs& flagged_pairs() {
    static const std::unique_ptr<FlaggedPairs> flagged = [] {
      auto made = std::make_unique<FlaggedPairs>();
      const Cp932Table& table = cp932_table();
      for (int lead = 0; lead < 128; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
          const std::uint32_t utf8 = table.pair_utf8[lead][trail];
          const bool plain = (utf8 & 0xFF) >= 0xE3 && (utf8 & 0xFF) != 0xEE;
          made->utf8[lead][trail] = plain ? utf8 : utf8 | kLook;
        }
      }
      return made;
    }();
    return *flagged;
  }

  static std::uint32_t unit_at(const std::uint8_t* text, std::size_t i) { return text[i]; }
  template <bool json>
  static bool is_plain(const std::uint8_t* text, std::size_t i) {
    return is_plain_ascii<json>(text[i]);
  }
#if defined(__SSE2__)
  static void store_block(__m128i block, char* o) { _mm_storeu_si128(reinterpret_cast<__m128i*>(o), block); }
  template <bool json>
  static __m128i plain_lanes(__m128i block) {
    return plain_ascii<json>(block);
  }
#endif

  // A run of characters beyond ASCII: two of two bytes a step, as Japanese
  // text mostly is, while they need no look; any other one at a time. The
  // table holds nothing for a first byte that is no lead.
  [[gnu::always_inline]] bool put_other(const std::uint8_t* text, std::size_t size, std::size_t& i, char*& o) const {
    do {
      while (i + 3 < size && (text[i] & text[i + 2]) >= 0x80) {
        const std::uint32_t first = pairs.utf8[text[i] - 0x80][text[i + 1]];
        const std::uint32_t second = pairs.utf8[text[i + 2] - 0x80][text[i + 3]];
        if (((first | second) & kLook) != 0) break;
        std::memcpy(o, &first, 4);
        o += first >> 24;
        std::memcpy(o, &second, 4);
        o += second >> 24;
        i += 4;
      }
      if (i == size || text[i] < 0x80) break;
      const std::uint8_t b = text[i];
      std::uint32_t utf8;
      if (is_cp932_lead(b)) {
        // A lead byte that ends the text takes the line end in the decoded piece.
        if (i + 1 == size) return false;
        utf8 = pairs.utf8[b - 0x80][text[i + 1]] & ~kLook;
        i += 2;
      } else {
        utf8 = table.single_utf8[b - 0x80];
        i += 1;
      }
      if (utf8 == 0) return false;
      // Only a character that starts so in UTF-8 may be a glyph or a control character.
      if (const std::uint32_t lead = utf8 & 0xFF; lead == 0xC2 || lead == 0xE2 || lead == 0xEE) {
        const std::uint32_t code_point = code_point_of_packed(utf8);
        if (put_stand_in(code_point, o)) continue;
        if (is_control(code_point)) return false;
      }
      std::memcpy(o, &utf8, 4);
      o += utf8 >> 24;
    } while (i < size && text[i] >= 0x80);
    return true;
  }

  // Whether the text ends on a character's last byte, a lead byte taking
  // the byte after it whatever that is, as the decoding of a piece takes it.
  static bool ends_on_a_character(const std::uint8_t* text, std::size_t size) {
    std::size_t i = 0;
    while (i < size) i += is_cp932_lead(text[i]) ? 2 : 1;
    return i == size;
  }

  // The entry's text as the piece's decoding gives it; false when that
  // cannot be told from the entry alone, or a character is replaced.
  static bool decode_alone(const std::uint8_t* text, std::size_t size, ExportText& decoded) {
    if (!ends_on_a_character(text, size)) return false;
    decode_export_piece(text, size, ExportCharset::kShiftJis, decoded);
    return decoded.replaced == 0;
  }
};

// Well-formed UTF-8: only the bytes that may start what a line cannot hold
// as it is, or a glyph, are looked at. No continuation byte is one of them.
struct Utf8Text {
  static constexpr std::size_t kUnit = 1;

  static bool may_need_a_look(std::uint8_t b) { return b == 0xC2 || b == 0xE2 || b == 0xEE; }

  static std::uint32_t unit_at(const std::uint8_t* text, std::size_t i) { return text[i]; }
  template <bool json>
  static bool is_plain(const std::uint8_t* text, std::size_t i) {
    return text[i] >= 0x80 ? !may_need_a_look(text[i]) : is_plain_ascii<json>(text[i]);
  }
#if defined(__SSE2__)
  static void store_block(__m128i block, char* o) { _mm_storeu_si128(reinterpret_cast<__m128i*>(o), block); }
  template <bool json>
  static __m128i plain_lanes(__m128i b) {
    const __m128i looked_at = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(0xC2))),
                                                        _mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(0xE2)))),
                                           _mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(0xEE))));
    const __m128i beyond_ascii = _mm_cmplt_epi8(b, _mm_setzero_si128());
    return _mm_or_si128(plain_ascii<json>(b), _mm_andnot_si128(looked_at, beyond_ascii));
  }
#endif

  // One character that may need a look.
  [[gnu::always_inline]] bool put_other(const std::uint8_t* text, std::size_t size, std::size_t& i, char*& o) const {
    const std::uint8_t b = text[i];
    const std::size_t length = b == 0xC2 ? 2 : 3;
    // Never past the text, should the bytes have changed since they were found well-formed.
    if (i + length > size) return false;
    const std::uint32_t code_point = length == 2
                                         ? (b & 0x1Fu) << 6 | (text[i + 1] & 0x3Fu)
                                         : (b & 0x0Fu) << 12 | (text[i + 1] & 0x3Fu) << 6 | (text[i + 2] & 0x3Fu);
    if (is_control(code_point)) return false;
    i += length;
    if (put_stand_in(code_point, o)) return true;
    std::memcpy(o, text + i - length, length);
    o += length;
    return true;
  }

  static bool decode_alone(const std::uint8_t* text, std::size_t size, ExportText& decoded) {
    decoded.text = std::string_view(reinterpret_cast<const char*>(text), size);
    return true;
  }
};

// UTF-16 little-endian, in code units of two bytes.
struct Utf16Text {
  static constexpr std::size_t kUnit = 2;

  static std::uint32_t unit_at(const std::uint8_t* text, std::size_t i) {
    return text[i] | static_cast<std::uint32_t>(text[i + 1]) << 8;
  }
  template <bool json>
  static bool is_plain(const std::uint8_t* text, std::size_t i) {
    return is_plain_ascii<json>(unit_at(text, i));
  }
#if defined(__SSE2__)
  // The low bytes of the eight units: those of plain units are their ASCII.
  static void store_block(__m128i units, char* o) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_packus_epi16(units, units));
  }
  // Both bytes of a unit that is not plain are clear.
  template <bool json>
  static __m128i plain_lanes(__m128i units) {
    return plain_ascii_units<json>(units);
  }
#endif

  // A run of characters beyond ASCII, each one unit; a surrogate takes the
  // long way, which pairs it or replaces it.
  [[gnu::always_inline]] bool put_other(const std::uint8_t* text, std::size_t size, std::size_t& i, char*& o) const {
    std::uint32_t unit = unit_at(text, i);
    do {
      if ((unit & 0xF800) == 0xD800 || is_control(unit)) return false;
      i += 2;
      if (put_stand_in(unit, o)) continue;
      const std::uint32_t utf8 = packed_utf8(static_cast<char16_t>(unit));
      std::memcpy(o, &utf8, 4);
      o += utf8 >> 24;
    } while (i < size && (unit = unit_at(text, i)) >= 0x80);
    return true;
  }

  static bool decode_alone(const std::uint8_t* text, std::size_t size, ExportText& decoded) {
    decode_export_piece(text, size, ExportCharset::kUtf16, decoded);
    return decoded.replaced == 0;
  }
};

char* put_view(char* o, std::string_view text) {
  std::memcpy(o, text.data(), text.size());
  return o + text.size();
}

// Writes the line of an entry whose text, as it decodes, holds nothing but
// its fields and glyphs, at `line`, which has the room line_room() gives;
// returns its end, or null when the text needs the long way. The fields are
// split as split_entry_text() splits them: a text that opens with a
// separator has the sender between it and the next.
template <bool json, typename Charset>
char* put_line(HistoryPrinter& p, const Charset& charset, std::uint32_t time, std::uint32_t code,
               const std::uint8_t* text, std::size_t size, std::size_t readable, char* line) {
  constexpr std::size_t unit = Charset::kUnit;
  const auto unit_is = [&](std::size_t at, std::uint8_t c) {
    return text[at] == c && (unit == 1 || text[at + 1] == 0);
  };
  if (size > 0 && unit_is(0, ':')) return nullptr;
  const bool separator_first = size > 0 && unit_is(0, kUnitSeparator);
  std::size_t i = separator_first ? unit : 0;
  char* o;
  if constexpr (json) {
    o = put_json_head(p.time_cache, time, code, line);
    *o++ = '"';
    // A text that opens with a separator is mostly a message alone.
    if (separator_first) o = put_view(o, kJsonBetween);
  } else {
    o = put_text_head(p.time_cache, time, channel_of_code(code), line);
  }
  char* const first = o;
  const Stop stop = put_field<json>(charset, text, size, readable, i, o);
  if (stop == Stop::kLong) return nullptr;
  if (stop == Stop::kSeparator) {
    i += unit;
    // What came before the separator is the sender.
    if constexpr (json) {
      if (separator_first) {
        const auto sender = static_cast<std::size_t>(o - first);
        std::memmove(first - kJsonBetween.size(), first, sender);
        o = first - kJsonBetween.size() + sender;
      }
      o = put_view(o, kJsonBetween);
    } else if (o != first) {
      o = put_view(o, ": ");
    }
    if (put_field<json>(charset, text, size, readable, i, o) != Stop::kEnd) return nullptr;
  } else if (json && !separator_first) {
    // The text was a message alone, after an empty sender.
    const auto message = static_cast<std::size_t>(o - first);
    std::memmove(first + kJsonBetween.size(), first, message);
    std::memcpy(first, kJsonBetween.data(), kJsonBetween.size());
    o += kJsonBetween.size();
  }
  if constexpr (json) {
    o = put_view(o, kJsonEnd);
  } else {
    *o++ = '\n';
  }
  return o;
}

std::size_t line_room(bool json, std::size_t size) {
  return (json ? kJsonHeadRoom + 1 + kJsonBetween.size() + kJsonEnd.size() : kTextHeadRoom + 3) + size * kMostPerByte +
         kStoredAtOnce;
}

// The entry line's time and code from the twelve hex digits at `at`, in
// code units of `unit` bytes.
template <std::size_t unit>
bool prefix_at(const std::uint8_t* data, std::size_t size, std::size_t at, std::uint32_t& time, std::uint32_t& code) {
  if constexpr (unit == 1) {
    return parse_entry_prefix(std::string_view(reinterpret_cast<const char*>(data) + at, size - at), time, code);
  } else {
    if (size - at < 2 * kEntryLinePrefix) return false;
    char digits[kEntryLinePrefix];
    for (std::size_t k = 0; k < kEntryLinePrefix; ++k) {
      if (data[at + 2 * k + 1] != 0) return false;
      digits[k] = static_cast<char>(data[at + 2 * k]);
    }
    return parse_entry_prefix(std::string_view(digits, kEntryLinePrefix), time, code);
  }
}

template <std::size_t unit>
std::size_t line_end_from(const std::uint8_t* data, std::size_t size, std::size_t pos) {
  if constexpr (unit == 1) {
    return find_byte(reinterpret_cast<const char*>(data), size, pos, '\n');
  } else {
    return find_wide_unit(data, size, pos, '\n');
  }
}

// An entry that needs more than put_line() does, printed from its text
// decoded alone as a whole piece's decoding gives it. False when that
// cannot be told from the entry alone, or a character is replaced: the
// piece is then decoded from the entry on, and what was replaced is told.
template <typename Charset>
bool print_the_long_way(StraightLines& state, std::uint32_t time, std::uint32_t code, const std::uint8_t* text,
                        std::size_t size, bool shown, Room& room) {
  if (!Charset::decode_alone(text, size, state.decoded)) return false;
  if (!shown) return true;
  std::string& line = state.long_way.buffer;
  line.clear();
  print_entry(state.long_way, time, code, state.decoded.text, true);
  char* o = room.make(line.size());
  if (!line.empty()) std::memcpy(o, line.data(), line.size());
  room.take(o + line.size());
  return true;
}

template <bool json, typename Charset>
std::size_t print_entries(HistoryPrinter& p, StraightLines& state, const std::uint8_t* data, std::size_t size,
                          std::size_t& line_ends) {
  constexpr std::size_t unit = Charset::kUnit;
  constexpr std::size_t prefix = kEntryLinePrefix * unit;
  const Charset charset;
  line_ends = 0;
  size -= size % unit;
  std::uint32_t time, code;
  if (size == 0 || !prefix_at<unit>(data, size, 0, time, code)) return 0;
  const HistoryFilter& filter = p.filter;
  const bool every_entry = filter.all_channels && filter.since == std::numeric_limits<std::int64_t>::min() &&
                           filter.until == std::numeric_limits<std::int64_t>::max();
  state.long_way.filter = p.filter;
  state.long_way.format = p.format;
  // Its line is taken from its buffer, however long: never handed out.
  state.long_way.flush_size = std::numeric_limits<std::size_t>::max();
  Room room{p.buffer, 0};
  std::size_t pos = 0;
  std::size_t entries = 0, long_ways = 0;
  while (pos < size) {
    // Entries that mostly need the long way (an export with control
    // sequences shown, say) are read faster by decoding the rest of the
    // piece whole.
    if (long_ways >= 16 && long_ways * 2 >= entries) break;
    ++entries;
    const std::size_t end = line_end_from<unit>(data, size, pos);
    std::uint32_t next_time = 0, next_code = 0;
    // A line of the same entry follows: the decoded piece tells where it ends.
    if (end + unit < size && !prefix_at<unit>(data, size, end + unit, next_time, next_code)) break;
    std::size_t text_end = end;
    if (text_end > pos + prefix && data[text_end - unit] == '\r' && (unit == 1 || data[text_end - 1] == 0)) {
      text_end -= unit;
    }
    // What follows the text in the piece, if anything, is its line end.
    const std::uint8_t* text = data + pos + prefix;
    const std::size_t text_size = text_end - pos - prefix;
    // Lines not shown are decoded all the same: what they hold that is
    // replaced is told with the piece.
    const bool shown = every_entry || time_and_channel_pass(p.filter, time, channel_of_code(code));
    char* const line = room.make(line_room(json, text_size));
    char* const line_end = put_line<json>(p, charset, time, code, text, text_size, size - (pos + prefix), line);
    if (line_end == nullptr) {
      ++long_ways;
      if (!print_the_long_way<Charset>(state, time, code, text, text_size, shown, room)) break;
    } else if (shown) {
      room.take(line_end);
    }
    if (end == size) {
      pos = size;
      break;
    }
    ++line_ends;
    pos = end + unit;
    time = next_time;
    code = next_code;
  }
  room.close();
  return pos;
}

template <typename Charset>
std::size_t print_in(HistoryPrinter& p, StraightLines& state, const std::uint8_t* data, std::size_t size,
                     std::size_t& line_ends) {
  return p.format == HistoryFormat::kJson ? print_entries<true, Charset>(p, state, data, size, line_ends)
                                          : print_entries<false, Charset>(p, state, data, size, line_ends);
}

}  // namespace

std::size_t print_entries_straight(HistoryPrinter& printer, StraightLines& state, ExportCharset charset,
                                   const std::uint8_t* data, std::size_t size, std::size_t& line_ends) {
  switch (charset) {
    case ExportCharset::kShiftJis: return print_in<Cp932Text>(printer, state, data, size, line_ends);
    case ExportCharset::kUtf16: return print_in<Utf16Text>(printer, state, data, size, line_ends);
    case ExportCharset::kUtf8: break;
  }
  return print_in<Utf8Text>(printer, state, data, size, line_ends);
}

}  // namespace tellwick
