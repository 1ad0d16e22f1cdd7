#include "history/cp932_lines.h"

#include <algorithm>
#include <cstring>
#include <limits>
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
// Stored at once past what is written: sixteen bytes of ASCII, or the room of a stand-in.
constexpr std::size_t kStoredAtOnce = std::max<std::size_t>(16, PaddedStandIn::kRoom);
// The most one byte of text becomes: a glyph's two bytes its longest stand-in.
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

// ASCII that goes into a line as it is: not a control character, DEL, a
// "[" (which may open a control sequence in its shown form), nor in JSON a
// character it escapes.
template <bool json>
bool is_plain_ascii(std::uint8_t b) {
  return b >= 0x20 && b < 0x7F && b != '[' && (!json || (b != '"' && b != '\\'));
}

#if defined(__SSE2__)
// The lanes of `b` that are no plain ASCII, as bits.
template <bool json>
unsigned not_plain_ascii(__m128i b) {
  // 0x20..0x7E moved by 0x60 is 0x80..0xDE, the signed bytes below -33.
  __m128i plain = _mm_cmplt_epi8(_mm_add_epi8(b, _mm_set1_epi8(0x60)), _mm_set1_epi8(-33));
  plain = _mm_andnot_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('[')), plain);
  if constexpr (json) {
    plain = _mm_andnot_si128(
        _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('"')), _mm_cmpeq_epi8(b, _mm_set1_epi8('\\'))), plain);
  }
  return ~static_cast<unsigned>(_mm_movemask_epi8(plain)) & 0xFFFFu;
}
#endif

// Whether a character of three bytes in UTF-8 from U+3000 on goes into a
// line as it is: no glyph of the game (U+E000..U+EFFF), and not 0 for a
// character the table does not hold. Kana, kanji and full-width forms are.
bool needs_no_look(std::uint32_t utf8) {
  const std::uint32_t lead = utf8 & 0xFF;
  return lead >= 0xE3 && lead != 0xEE;
}

// How decoding a field stopped.
enum class Stop {
  kEnd,        // at the end of the text
  kSeparator,  // at a unit separator
  kLong,       // at what only the long way shows right
};

// Decodes text[i, size) into `o` up to a unit separator, with each glyph's
// stand-in in its place. `readable`: the bytes from `text` on that may be
// loaded, which may go past the text; the byte after the text, when it is
// readable, is a line end.
template <bool json>
Stop put_field(const Cp932Table& table, const std::uint8_t* text, std::size_t size, std::size_t readable,
               std::size_t& from, char*& out) {
  // Kept in registers: what is written through `o` could be them, for all the compiler knows.
  std::size_t i = from;
  char* o = out;
  const auto stop = [&](Stop why) {
    from = i;
    out = o;
    return why;
  };
  while (i < size) {
#if defined(__SSE2__)
    if (i + 16 <= readable) {
      const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), sixteen);
      // The byte after the text is a line end, which stops the run.
      const auto plain = static_cast<std::size_t>(__builtin_ctz(not_plain_ascii<json>(sixteen) | 0x10000u));
      i += plain;
      o += plain;
      if (plain == 16) continue;
      if (i == size) break;
    } else
#endif
    {
      while (i < size && is_plain_ascii<json>(text[i])) *o++ = static_cast<char>(text[i++]);
      if (i == size) break;
    }
    if (text[i] < 0x80) return stop(text[i] == kUnitSeparator ? Stop::kSeparator : Stop::kLong);
    // A run of characters beyond ASCII: two of two bytes a step, as
    // Japanese text mostly is, while they are kana, kanji or full-width
    // forms, which need no look; any other one at a time. The table holds
    // nothing for a first byte that is no lead.
    do {
      while (i + 3 < size && (text[i] & text[i + 2]) >= 0x80) {
        const std::uint32_t first = table.pair_utf8[text[i] - 0x80][text[i + 1]];
        const std::uint32_t second = table.pair_utf8[text[i + 2] - 0x80][text[i + 3]];
        if (!needs_no_look(first) || !needs_no_look(second)) break;
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
        if (i + 1 == size) return stop(Stop::kLong);
        utf8 = table.pair_utf8[b - 0x80][text[i + 1]];
        i += 2;
      } else {
        utf8 = table.single_utf8[b - 0x80];
        i += 1;
      }
      if (utf8 == 0) return stop(Stop::kLong);
      const std::uint32_t lead = utf8 & 0xFF;
      if (lead == 0xEE) {
        // Only U+E000..U+E0FF have stand-ins.
        if ((utf8 >> 8 & 0x3F) < 4) {
          const PaddedStandIn& stand_in =
              padded_stand_in(static_cast<std::uint8_t>((utf8 >> 8 & 3) << 6 | (utf8 >> 16 & 0x3F)));
          if (stand_in.size != 0) {
            std::memcpy(o, stand_in.text, PaddedStandIn::kRoom);
            o += stand_in.size;
            continue;
          }
        }
      } else if ((lead == 0xC2 && (utf8 >> 8 & 0xFF) < 0xA0) || (lead == 0xE2 && (utf8 & 0xFEFFFF) == 0xA880E2)) {
        return stop(Stop::kLong);  // a C1 control, or U+2028 or U+2029
      }
      std::memcpy(o, &utf8, 4);
      o += utf8 >> 24;
    } while (i < size && text[i] >= 0x80);
  }
  return stop(Stop::kEnd);
}

char* put_view(char* o, std::string_view text) {
  std::memcpy(o, text.data(), text.size());
  return o + text.size();
}

// Writes the line of an entry whose text, as the table decodes it, holds
// nothing but its fields and glyphs, at `line`, which has the room
// line_room() gives; returns its end, or null when the text needs the long
// way. The fields are split as split_entry_text() splits them: a text that
// opens with a separator has the sender between it and the next.
template <bool json>
char* put_line(HistoryPrinter& p, const Cp932Table& table, std::uint32_t time, std::uint32_t code,
               const std::uint8_t* text, std::size_t size, std::size_t readable, char* line) {
  if (size > 0 && text[0] == ':') return nullptr;
  const bool separator_first = size > 0 && text[0] == kUnitSeparator;
  std::size_t i = separator_first ? 1 : 0;
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
  Stop stop = put_field<json>(table, text, size, readable, i, o);
  if (stop == Stop::kLong) return nullptr;
  if (stop == Stop::kSeparator) {
    ++i;
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
    if (put_field<json>(table, text, size, readable, i, o) != Stop::kEnd) return nullptr;
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

// Whether the text ends on a character's last byte, a lead byte taking the
// byte after it whatever that is, as the decoding of a piece takes it.
bool ends_on_a_character(const std::uint8_t* text, std::size_t size) {
  std::size_t i = 0;
  while (i < size) i += is_cp932_lead(text[i]) ? 2 : 1;
  return i == size;
}

// An entry that needs more than put_line() does, printed from its decoded
// text as a whole piece's would be. False when that text is not what the
// whole piece's decoding gives (the piece is then decoded from the entry
// on) or the decoding replaced a character, which is told with the piece.
bool print_the_long_way(Cp932Lines& state, std::uint32_t time, std::uint32_t code, const std::uint8_t* text,
                        std::size_t size, bool shown, Room& room) {
  if (!ends_on_a_character(text, size)) return false;
  decode_export_piece(text, size, ExportCharset::kShiftJis, state.decoded);
  if (state.decoded.replaced > 0) return false;
  if (!shown) return true;
  std::string& line = state.long_way.buffer;
  line.clear();
  print_entry(state.long_way, time, code, state.decoded.text, true);
  char* o = room.make(line.size());
  if (!line.empty()) std::memcpy(o, line.data(), line.size());
  room.take(o + line.size());
  return true;
}

template <bool json>
std::size_t print_entries(HistoryPrinter& p, Cp932Lines& state, const std::uint8_t* data, std::size_t size,
                          std::size_t& line_ends) {
  const Cp932Table& table = cp932_table();
  const auto* chars = reinterpret_cast<const char*>(data);
  const auto prefix_at = [&](std::size_t at, std::uint32_t& time, std::uint32_t& code) {
    return parse_entry_prefix(std::string_view(chars + at, size - at), time, code);
  };
  line_ends = 0;
  std::uint32_t time, code;
  if (size == 0 || !prefix_at(0, time, code)) return 0;
  const HistoryFilter& filter = p.filter;
  const bool every_entry = filter.all_channels && filter.since == std::numeric_limits<std::int64_t>::min() &&
                           filter.until == std::numeric_limits<std::int64_t>::max();
  state.long_way.filter = p.filter;
  state.long_way.format = p.format;
  // Its line is taken from its buffer, however long: never handed out.
  state.long_way.flush_size = std::numeric_limits<std::size_t>::max();
  Room room{p.buffer, 0};
  std::size_t pos = 0;
  while (pos < size) {
    const std::size_t end = find_byte(chars, size, pos, '\n');
    std::uint32_t next_time = 0, next_code = 0;
    // A line of the same entry follows: the decoded piece tells where it ends.
    if (end + 1 < size && !prefix_at(end + 1, next_time, next_code)) break;
    std::size_t text_end = end;
    if (text_end > pos + kEntryLinePrefix && data[text_end - 1] == '\r') --text_end;
    const std::uint8_t* text = data + pos + kEntryLinePrefix;
    const std::size_t text_size = text_end - pos - kEntryLinePrefix;
    // Lines not shown are decoded all the same: what they hold that the
    // table does not decode is told with the piece.
    const bool shown = every_entry || time_and_channel_pass(p.filter, time, channel_of_code(code));
    char* const line = room.make(line_room(json, text_size));
    char* const line_end = put_line<json>(p, table, time, code, text, text_size, size - (pos + kEntryLinePrefix), line);
    if (line_end == nullptr) {
      if (!print_the_long_way(state, time, code, text, text_size, shown, room)) break;
    } else if (shown) {
      room.take(line_end);
    }
    if (end == size) {
      pos = size;
      break;
    }
    ++line_ends;
    pos = end + 1;
    time = next_time;
    code = next_code;
  }
  room.close();
  return pos;
}

}  // namespace

std::size_t print_cp932_entries(HistoryPrinter& printer, Cp932Lines& state, const std::uint8_t* data, std::size_t size,
                                std::size_t& line_ends) {
  return printer.format == HistoryFormat::kJson ? print_entries<true>(printer, state, data, size, line_ends)
                                                : print_entries<false>(printer, state, data, size, line_ends);
}

}  // namespace tellwick
