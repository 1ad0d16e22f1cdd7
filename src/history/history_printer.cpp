#include "history/history_printer.h"

#include <cstdio>

#include "history/channels.h"
#include "history/entry_text.h"
#include "history/game_glyphs.h"

namespace tellwick {
namespace {

constexpr std::size_t kFlushSize = 256 * 1024;

bool local_time(LocalTimeCache& cache, std::int64_t t, CalendarSecond& local) {
  const std::int64_t minute = t >= 0 ? t / 60 : (t - 59) / 60;
  if (!cache.valid || minute != cache.minute) {
    cache.valid = local_calendar_second(minute * 60, cache.start);
    cache.minute = minute;
    if (!cache.valid) return false;
  }
  local = cache.start;
  local.second += static_cast<int>(t - minute * 60);
  // Only an offset from UTC with seconds of its own moves the minute.
  if (local.second >= 60) return local_calendar_second(t, local);
  return true;
}

void put_digits(std::string& out, int value, int width) {
  char digits[12];
  for (int i = width - 1; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out.append(digits, static_cast<std::size_t>(width));
}

// "YYYY-MM-DD?HH:MM:SS" with `middle` between date and time.
void put_local_time(std::string& out, const CalendarSecond& t, char middle) {
  put_digits(out, t.year, 4);
  out += '-';
  put_digits(out, t.month, 2);
  out += '-';
  put_digits(out, t.day, 2);
  out += middle;
  put_digits(out, t.hour, 2);
  out += ':';
  put_digits(out, t.minute, 2);
  out += ':';
  put_digits(out, t.second, 2);
}

void put_offset(std::string& out, int offset) {
  out += offset < 0 ? '-' : '+';
  const int magnitude = offset < 0 ? -offset : offset;
  put_digits(out, magnitude / 3600, 2);
  out += ':';
  put_digits(out, magnitude / 60 % 60, 2);
}

bool put_time(LocalTimeCache& cache, std::int64_t t, bool iso, std::string& out) {
  CalendarSecond local;
  if (!local_time(cache, t, local)) return false;
  put_local_time(out, local, iso ? 'T' : ' ');
  if (iso) put_offset(out, local.utc_offset);
  return true;
}

// Whether the byte may start a control character: the only bytes that
// control_length() must look at.
bool may_start_control(unsigned char u) { return u < 0x20 || u == 0x7F || u == 0xC2 || u == 0xE2; }

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
    if (!may_start_control(static_cast<unsigned char>(text[i]))) continue;
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
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (c != '"' && c != '\\' && !may_start_control(u)) continue;
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

void put_json_line(HistoryPrinter& p, std::int64_t time, std::uint32_t code, const EntryFields& fields) {
  std::string& out = p.buffer;
  out += "{\"time\":";
  std::string when;
  if (put_time(p.time_cache, time, true, when)) {
    put_json_string(out, when);
  } else {
    out += "null";
  }
  out += ",\"unix\":";
  out += std::to_string(time);
  out += ",\"channel\":";
  put_json_string(out, printed_channel_name(channel_of_code(code)));
  out += ",\"code\":";
  out += std::to_string(code);
  out += ",\"sender\":";
  put_json_string(out, fields.sender);
  out += ",\"message\":";
  put_json_string(out, fields.message);
  out += "}\n";
}

}  // namespace

void print_entry(HistoryPrinter& p, std::uint32_t time, std::uint32_t code, std::string_view text,
                 bool shown_sequences) {
  if (p.stopped) return;
  const int channel = channel_of_code(code);
  if (!time_and_channel_pass(p.filter, time, channel)) return;
  if (shown_sequences && text.find('[') != std::string_view::npos) {
    p.scratch.clear();
    append_with_shown_sequences(text, p.scratch);
    text = p.scratch;
  }
  if (may_hold_game_glyphs(text)) {
    p.glyph_scratch.clear();
    append_with_game_glyphs(text, p.glyph_scratch);
    text = p.glyph_scratch;
  }
  const EntryFields fields = split_entry_text(text);
  if (!fields_pass(p.filter, fields.sender, fields.message)) return;
  if (p.sinks.entry) {
    p.sinks.entry(time, code, fields.sender, fields.message);
    return;
  }
  if (p.format == HistoryFormat::kJson) {
    put_json_line(p, time, code, fields);
  } else {
    append_text_line(p.time_cache, time, channel, fields.sender, fields.message, p.buffer);
  }
  if (p.buffer.size() >= kFlushSize) flush_history(p);
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
  if (!put_time(cache, time, false, out)) out += "0000-00-00 00:00:00";  // a moment the C library cannot place
  out += " [";
  out += printed_channel_name(channel);
  out += "] ";
  if (!sender.empty()) {
    put_plain(out, sender);
    out += ": ";
  }
  put_plain(out, message);
  out += '\n';
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
