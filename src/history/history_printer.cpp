#include "history/history_printer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "history/channels.h"
#include "history/entry_text.h"
#include "history/game_glyphs.h"
#include "history/line_heads.h"

namespace tellwick {
namespace {

// The time is written where it goes: copied from a buffer of its own, its
// bytes would be read back before the pieces they were written in settle.
bool put_time(LocalTimeCache& cache, std::int64_t t, bool iso, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + 25);
  char* line = out.data() + start;
  if (!write_time(cache, t, line)) {
    out.resize(start);
    return false;
  }
  if (iso) {
    line[10] = 'T';
  } else {
    out.resize(start + 19);
  }
  return true;
}

// Whether the byte may start a control character: the only bytes that
// control_length() must look at.
bool may_start_control(unsigned char u) { return u < 0x20 || u == 0x7F || u == 0xC2 || u == 0xE2; }

// The first byte from `from` on that may start a control character, or the
// text's end. Nearly every entry holds none, so the text is looked at
// sixteen bytes at a time.
// `json`: the quotation mark and the backslash are looked for too.
std::size_t next_possible_control(std::string_view text, std::size_t from, bool json = false) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i below_space = _mm_set1_epi8(0x1F);
  const __m128i del = _mm_set1_epi8(0x7F);
  const __m128i c2 = _mm_set1_epi8(static_cast<char>(0xC2));
  const __m128i e2 = _mm_set1_epi8(static_cast<char>(0xE2));
  // Without JSON, a control character stands in for each of the two.
  const __m128i quote = _mm_set1_epi8(json ? '"' : 0);
  const __m128i backslash = _mm_set1_epi8(json ? '\\' : 0);
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(b, below_space), b), _mm_cmpeq_epi8(b, del)),
                                  _mm_or_si128(_mm_cmpeq_epi8(b, c2), _mm_cmpeq_epi8(b, e2))),
                     _mm_or_si128(_mm_cmpeq_epi8(b, quote), _mm_cmpeq_epi8(b, backslash)));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  while (i < text.size() && !may_start_control(s[i]) && !(json && (s[i] == '"' || s[i] == '\\'))) ++i;
  return i;
}

// The length of the control character at text[i], or 0: C0 controls but
// the tab, DEL, the C1 controls U+0080..U+009F (NEL among them) and the
// line and paragraph separators U+2028 and U+2029, which a terminal may
// take as a line break or a command. The text is well-formed UTF-8.
std::size_t control_length(std::string_view text, std::size_t i) {
  const auto at = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
  const unsigned c = at(i);
  if (c < 0x20) return c == '\t' ? 0 : 1;
  if (c < 0x7F) return 0;
  if (c == 0x7F) return 1;
  if (c == 0xC2) return at(i + 1) >= 0x80 && at(i + 1) <= 0x9F ? 2 : 0;
  if (c == 0xE2) return at(i + 1) == 0x80 && (at(i + 2) == 0xA8 || at(i + 2) == 0xA9) ? 3 : 0;
  return 0;
}

// Text lines hold one entry each: a line break inside a message, and any
// other control character but the tab, shows as a space.
void put_plain(std::string& out, std::string_view text) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    i = next_possible_control(text, i);
    if (i == text.size()) break;
    const std::size_t length = control_length(text, i);
    if (length == 0) continue;
    out.append(text.data() + run, i - run);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    i += length - 1;
    out += ' ';
    run = i + 1;
  }
  out.append(text.data() + run, text.size() - run);
}

// The code point of the well-formed UTF-8 character of `length` bytes at text[i].
std::uint32_t code_point(std::string_view text, std::size_t i, std::size_t length) {
  static constexpr unsigned kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  std::uint32_t code = static_cast<unsigned char>(text[i]) & kLeadBits[length];
  for (std::size_t k = 1; k < length; ++k) code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
  return code;
}

// Control characters are escaped, the C1 ones and U+2028/U+2029 too: valid
// in JSON as they stand, they would still reach a terminal or a reader
// that takes them for line ends.
void put_json_string(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    i = next_possible_control(text, i, true);
    if (i == text.size()) break;
    const char c = text[i];
    const std::size_t length = c == '"' || c == '\\' || c == '\t' ? 1 : control_length(text, i);
    if (length == 0) continue;  // another character that starts with C2 or E2
    out.append(text.data() + run, i - run);
    // clang-format off
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: {
        const std::uint32_t code = code_point(text, i, length);
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[code >> shift & 0xF];
      }
    }
    // clang-format on
    i += length - 1;
    run = i + 1;
  }
  out.append(text.data() + run, text.size() - run);
  out += '"';
}

// What an entry's text may need before it is shown, found in one look at
// its bytes: a control sequence in its shown form ("[02 …]"), a game glyph,
// a control character. Nearly every entry holds a unit separator (0x1F)
// between its fields, which the split takes out: those are counted apart.
struct Rewrites {
  bool sequences = false;
  bool controls = false;      // a byte but 0x1F that may start a control character
  bool json_escapes = false;  // a quotation mark or a backslash, looked for in JSON alone
  int unit_separators = 0;
  // Where the first two are: the split takes them from here.
  std::size_t separator_at[2] = {std::string_view::npos, std::string_view::npos};
  // Where the lead bytes of glyphs are (0xEE, which in UTF-8 leads only),
  // when there are no more than a few: their stand-ins go in from here.
  static constexpr int kGlyphPlaces = 8;
  int glyph_leads = 0;
  std::uint32_t glyph_at[kGlyphPlaces];
};

#if defined(__SSE2__)
// Adds what the sixteen bytes at `block` hold, of the lanes set in `lanes`.
// `json`: the characters JSON escapes are looked for too.
template <bool json>
[[gnu::always_inline]] inline void add_block(const unsigned char* block, std::size_t offset, unsigned lanes,
                                             unsigned& brackets, unsigned& escapes, unsigned& controls,
                                             Rewrites& rewrites) {
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
  const __m128i below_space = _mm_set1_epi8(0x1F);
  const auto mask = [lanes](__m128i hits) { return static_cast<unsigned>(_mm_movemask_epi8(hits)) & lanes; };
  brackets |= mask(_mm_cmpeq_epi8(b, _mm_set1_epi8('[')));
  if constexpr (json) {
    escapes |= mask(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('"')), _mm_cmpeq_epi8(b, _mm_set1_epi8('\\'))));
  }
  for (unsigned bits = mask(_mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(0xEE)))); bits != 0; bits &= bits - 1) {
    if (rewrites.glyph_leads < Rewrites::kGlyphPlaces) {
      rewrites.glyph_at[rewrites.glyph_leads] =
          static_cast<std::uint32_t>(offset + static_cast<std::size_t>(__builtin_ctz(bits)));
    }
    ++rewrites.glyph_leads;
  }
  const __m128i separator = _mm_cmpeq_epi8(b, below_space);
  // One or two in an entry: counted bit by bit, as the baseline has no popcount instruction.
  for (unsigned bits = mask(separator); bits != 0; bits &= bits - 1) {
    if (rewrites.unit_separators < 2) {
      rewrites.separator_at[rewrites.unit_separators] = offset + static_cast<std::size_t>(__builtin_ctz(bits));
    }
    ++rewrites.unit_separators;
  }
  const __m128i control = _mm_or_si128(
      _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(b, below_space), b), _mm_cmpeq_epi8(b, _mm_set1_epi8(0x7F))),
      _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(0xC2))),
                   _mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(0xE2)))));
  controls |= mask(_mm_andnot_si128(separator, control));
}
#endif

template <bool json>
Rewrites rewrites_of(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  unsigned brackets = 0, escapes = 0, controls = 0;
  Rewrites rewrites;
#if defined(__SSE2__)
  std::size_t i = 0;
  for (; i + 16 <= size; i += 16) add_block<json>(s + i, i, 0xFFFF, brackets, escapes, controls, rewrites);
  const std::size_t rest = size - i;
  if (rest > 0 && size >= 16) {
    // The last sixteen bytes, of which the ones not yet looked at count.
    add_block<json>(s + size - 16, size - 16, 0xFFFFu << (16 - rest) & 0xFFFF, brackets, escapes, controls, rewrites);
  } else if (rest > 0) {
    unsigned char block[16] = {};
    std::memcpy(block, s, size);
    add_block<json>(block, 0, (1u << size) - 1, brackets, escapes, controls, rewrites);
  }
#else
  for (std::size_t i = 0; i < size; ++i) {
    brackets |= s[i] == '[';
    escapes |= s[i] == '"' || s[i] == '\\';
    if (s[i] == 0xEE) {
      if (rewrites.glyph_leads < Rewrites::kGlyphPlaces)
        rewrites.glyph_at[rewrites.glyph_leads] = static_cast<std::uint32_t>(i);
      ++rewrites.glyph_leads;
    }
    if (s[i] == 0x1F && rewrites.unit_separators < 2) rewrites.separator_at[rewrites.unit_separators] = i;
    rewrites.unit_separators += s[i] == 0x1F;
    controls |= s[i] != 0x1F && may_start_control(s[i]);
  }
#endif
  rewrites.sequences = brackets != 0;
  rewrites.controls = controls != 0;
  rewrites.json_escapes = escapes != 0;
  return rewrites;
}

// Makes room for a text line's time and channel and `rest` bytes after
// them, writes the time and channel, and returns where the rest goes.
char* put_line_head(LocalTimeCache& cache, std::int64_t time, int channel, std::size_t rest, std::string& out) {
  const std::size_t head = text_head_size(channel);
  const std::size_t start = out.size();
  out.resize(start + std::max(head + rest, kTextHeadRoom));
  char* p = put_text_head(cache, time, channel, out.data() + start);
  out.resize(start + head + rest);
  return p;
}

// A text line whose fields hold no control character: `size_of(field)` and
// `put(field, out)` measure and write a field as it goes out, so that the
// line is made in place at once.
template <typename SizeOf, typename Put>
void put_text_line_of(LocalTimeCache& cache, std::int64_t time, int channel, std::string_view sender,
                      std::string_view message, SizeOf size_of, Put put, std::string& out) {
  const std::size_t sender_size = sender.empty() ? 0 : size_of(sender) + 2;
  char* p = put_line_head(cache, time, channel, sender_size + size_of(message) + 1, out);
  if (!sender.empty()) {
    p = put(sender, p);
    std::memcpy(p, ": ", 2);
    p += 2;
  }
  p = put(message, p);
  *p = '\n';
}

// One entry's text line; `plain`: sender and message hold no control
// character, and go out as they are.
void put_text_line(LocalTimeCache& cache, std::int64_t time, int channel, std::string_view sender,
                   std::string_view message, bool plain, std::string& out) {
  if (plain) {
    put_text_line_of(
        cache, time, channel, sender, message, [](std::string_view field) { return field.size(); },
        [](std::string_view field, char* p) {
          if (!field.empty()) std::memcpy(p, field.data(), field.size());
          return p + field.size();
        },
        out);
    return;
  }
  put_line_head(cache, time, channel, 0, out);
  if (!sender.empty()) {
    put_plain(out, sender);
    out += ": ";
  }
  put_plain(out, message);
  out += '\n';
}

// Each glyph with a stand-in in one field of an entry's text, told by the
// places of the lead bytes the look at the text found: `each(offset in the
// field, stand_in)`, in order.
template <typename Each>
void for_each_glyph_in(std::string_view text, std::string_view field, const Rewrites& rewrites, Each each) {
  const auto begin = static_cast<std::size_t>(field.data() - text.data());
  const std::size_t end = begin + field.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (int i = 0; i < rewrites.glyph_leads; ++i) {
    const std::size_t at = rewrites.glyph_at[i];
    if (at < begin || at + 3 > end) continue;
    const std::string_view stand_in =
        game_glyph_stand_in(0xE000u | (bytes[at + 1] & 0x3Fu) << 6 | (bytes[at + 2] & 0x3Fu));
    if (!stand_in.empty()) each(at - begin, stand_in);
  }
}

std::size_t size_with_glyphs_in(std::string_view text, std::string_view field, const Rewrites& rewrites) {
  return size_with_stand_ins(field, [&](auto each) { for_each_glyph_in(text, field, rewrites, each); });
}

char* put_with_glyphs_in(std::string_view text, std::string_view field, const Rewrites& rewrites, char* out) {
  return put_with_stand_ins(
      field, [&](auto each) { for_each_glyph_in(text, field, rewrites, each); }, out);
}

// The text line of plain fields of `text` whose glyphs get their stand-ins
// on the way: placed by the look at the text when it found few, else
// found anew.
void put_text_line_with_glyphs(LocalTimeCache& cache, std::int64_t time, int channel, std::string_view text,
                               const EntryFields& fields, const Rewrites& rewrites, std::string& out) {
  if (rewrites.glyph_leads <= Rewrites::kGlyphPlaces) {
    put_text_line_of(
        cache, time, channel, fields.sender, fields.message,
        [&](std::string_view field) { return size_with_glyphs_in(text, field, rewrites); },
        [&](std::string_view field, char* p) { return put_with_glyphs_in(text, field, rewrites, p); }, out);
  } else {
    put_text_line_of(cache, time, channel, fields.sender, fields.message, size_with_game_glyphs, put_with_game_glyphs,
                     out);
  }
}

char* put_bytes(char* out, std::string_view bytes) {
  std::memcpy(out, bytes.data(), bytes.size());
  return out + bytes.size();
}

// A JSON string of `text` with its glyphs' stand-ins, for a text that holds
// no control character.
void put_json_string_with_glyphs(HistoryPrinter& p, std::string_view text) {
  std::string& out = p.buffer;
  if (next_possible_control(text, 0, true) == text.size()) {
    out += '"';
    append_with_game_glyphs(text, out);
    out += '"';
    return;
  }
  p.glyph_scratch.clear();
  append_with_game_glyphs(text, p.glyph_scratch);
  put_json_string(out, p.glyph_scratch);
}

// `glyphs`: the fields hold no control character, and their glyphs get
// their stand-ins on the way.
void put_json_line(HistoryPrinter& p, std::uint32_t time, std::uint32_t code, const EntryFields& fields, bool glyphs) {
  char head[kJsonHeadRoom];
  std::string& out = p.buffer;
  out.append(head, static_cast<std::size_t>(put_json_head(p.time_cache, time, code, head) - head));
  if (glyphs) {
    put_json_string_with_glyphs(p, fields.sender);
    out += ",\"message\":";
    put_json_string_with_glyphs(p, fields.message);
  } else {
    put_json_string(out, fields.sender);
    out += ",\"message\":";
    put_json_string(out, fields.message);
  }
  out += "}\n";
}

// The same for fields of `text` that hold nothing JSON escapes, whose few
// glyphs the look at the text placed: measured first, written in place.
void put_json_line_with_placed_glyphs(HistoryPrinter& p, std::uint32_t time, std::uint32_t code, std::string_view text,
                                      const EntryFields& fields, const Rewrites& rewrites) {
  static constexpr std::string_view kBetween = "\",\"message\":\"";
  static constexpr std::string_view kEnd = "\"}\n";
  char head[kJsonHeadRoom];
  const auto head_size = static_cast<std::size_t>(put_json_head(p.time_cache, time, code, head) - head);
  const std::size_t sender_size = size_with_glyphs_in(text, fields.sender, rewrites);
  const std::size_t message_size = size_with_glyphs_in(text, fields.message, rewrites);
  std::string& out = p.buffer;
  const std::size_t start = out.size();
  out.resize(start + head_size + 1 + sender_size + kBetween.size() + message_size + kEnd.size());
  char* o = put_bytes(out.data() + start, std::string_view(head, head_size));
  *o++ = '"';
  o = put_with_glyphs_in(text, fields.sender, rewrites, o);
  o = put_bytes(o, kBetween);
  o = put_with_glyphs_in(text, fields.message, rewrites, o);
  put_bytes(o, kEnd);
}

std::string_view with_game_glyphs(HistoryPrinter& p, std::string_view text) {
  p.glyph_scratch.clear();
  append_with_game_glyphs(text, p.glyph_scratch);
  return p.glyph_scratch;
}

}  // namespace

void print_entry(HistoryPrinter& p, std::uint32_t time, std::uint32_t code, std::string_view text,
                 bool shown_sequences) {
  if (p.stopped) return;
  const int channel = channel_of_code(code);
  if (!time_and_channel_pass(p.filter, time, channel)) return;
  const Rewrites rewrites = p.format == HistoryFormat::kJson ? rewrites_of<true>(text) : rewrites_of<false>(text);
  // A shown sequence may become a line break: rewritten text is looked at again.
  bool plain = !rewrites.controls;
  bool rewritten = false;
  if (shown_sequences && rewrites.sequences) {
    p.scratch.clear();
    append_with_shown_sequences(text, p.scratch);
    text = p.scratch;
    plain = false;
    rewritten = true;
  }
  // Stand-ins hold neither a control character nor a field separator: the
  // fields are the same taken apart before or after the glyphs are
  // replaced, and a plain text line takes them straight into the history.
  const bool glyphs_on_the_way =
      rewrites.glyph_leads != 0 && plain && !p.sinks.entry && p.filter.sender.empty() && p.filter.text.empty();
  if (rewrites.glyph_leads != 0 && !glyphs_on_the_way) {
    text = with_game_glyphs(p, text);
    rewritten = true;
  }
  EntryFields fields =
      rewritten ? split_entry_text(text) : split_entry_text(text, rewrites.separator_at[0], rewrites.separator_at[1]);
  plain = plain && fields.unit_separators == rewrites.unit_separators;
  // Fields of the text as it came, without a control character or a
  // character JSON escapes, and with their glyphs placed: a JSON line is
  // written straight from them.
  const bool placed_json = p.format == HistoryFormat::kJson && !rewritten && plain && !rewrites.json_escapes &&
                           rewrites.glyph_leads <= Rewrites::kGlyphPlaces;
  if (glyphs_on_the_way) {
    if (plain) {
      if (placed_json) {
        put_json_line_with_placed_glyphs(p, time, code, text, fields, rewrites);
      } else if (p.format == HistoryFormat::kJson) {
        put_json_line(p, time, code, fields, true);
      } else {
        put_text_line_with_glyphs(p.time_cache, time, channel, text, fields, rewrites, p.buffer);
      }
      if (p.buffer.size() >= p.flush_size) flush_history(p);
      return;
    }
    fields = split_entry_text(with_game_glyphs(p, text));
  }
  if (!fields_pass(p.filter, fields.sender, fields.message)) return;
  if (p.sinks.entry) {
    p.sinks.entry(time, code, fields.sender, fields.message);
    return;
  }
  if (placed_json) {
    // Glyphs would have gone in on the way: these fields hold none.
    put_json_line_with_placed_glyphs(p, time, code, text, fields, rewrites);
  } else if (p.format == HistoryFormat::kJson) {
    put_json_line(p, time, code, fields, false);
  } else {
    put_text_line(p.time_cache, time, channel, fields.sender, fields.message, plain, p.buffer);
  }
  if (p.buffer.size() >= p.flush_size) flush_history(p);
}

void report(HistoryPrinter& p, std::string_view message) {
  if (p.sinks.message) p.sinks.message(message);
}

void flush_history(HistoryPrinter& p) {
  if (!p.buffer.empty() && p.sinks.history) p.sinks.history(p.buffer);
  p.buffer.clear();
}

void append_text_line(LocalTimeCache& cache, std::int64_t time, int channel, std::string_view sender,
                      std::string_view message, std::string& out) {
  put_text_line(cache, time, channel, sender, message, false, out);
}

std::string local_time_text(LocalTimeCache& cache, std::int64_t unix_seconds) {
  std::string out;
  put_time(cache, unix_seconds, false, out);
  return out;
}

std::string iso_time_text(LocalTimeCache& cache, std::int64_t unix_seconds) {
  std::string out;
  put_time(cache, unix_seconds, true, out);
  return out;
}

}  // namespace tellwick
