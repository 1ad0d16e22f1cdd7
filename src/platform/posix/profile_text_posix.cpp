#include "platform/posix/profile_text_posix.h"

#include <cstdint>

#include "platform/encoding.h"
#include "platform/posix/ansi_decode_posix.h"

namespace tellwick {
namespace {

constexpr std::uint8_t kUtf16LeMark[] = {0xFF, 0xFE};
constexpr std::size_t kMaxAnsiBytesPerUnit = 2;
constexpr char16_t kReplacement = u'\uFFFD';
constexpr char16_t kDosEndOfFile = u'\x1A';  // found at the end of old files; skipped as white space
constexpr std::u16string_view kLineEnd = u"\r\n";

// Decodes the code unit at data[0]; returns how many bytes it took.
std::size_t decode_unit(ProfileEncoding encoding, const std::uint8_t* data, std::size_t left, char16_t& unit) {
  if (encoding == ProfileEncoding::kAnsi) return decode_ansi_char(data, left, unit);
  if (left < 2) {  // half a code unit at the end of the file
    unit = kReplacement;
    return 1;
  }
  unit = static_cast<char16_t>(data[0] | data[1] << 8);
  return 2;
}

std::string encode(ProfileEncoding encoding, std::u16string_view s) {
  std::string out;
  if (encoding == ProfileEncoding::kUtf16Le) {
    out.reserve(s.size() * 2);
    for (char16_t unit : s) {
      out.push_back(static_cast<char>(unit & 0xFF));
      out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
  }
  out.resize(s.size() * kMaxAnsiBytesPerUnit);
  out.resize(utf16_to_ansi(s.data(), s.size(), out.data(), out.size()));
  return out;
}

char16_t ascii_upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// Section and key names match as Windows matches them: ASCII letters without
// regard to case, every other character exactly.
bool same_name(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  }
  return true;
}

std::u16string_view trim_trailing(std::u16string_view s) {
  while (!s.empty() && is_profile_space(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

bool is_profile_space(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r') || c == kDosEndOfFile; }

std::u16string_view trim_leading_profile_spaces(std::u16string_view s) {
  while (!s.empty() && is_profile_space(s.front())) s.remove_prefix(1);
  return s;
}

std::u16string_view trim_profile_spaces(std::u16string_view s) { return trim_trailing(trim_leading_profile_spaces(s)); }

ProfileText parse_profile_text(const std::string& file_bytes) {
  // A UTF-16 file of an odd length ends in half a unit. Wine reads it as a
  // unit with a zero high byte and writes it back whole; kept as half a
  // unit, it would shift everything a write appends after it.
  const bool marked = file_bytes.size() >= sizeof kUtf16LeMark &&
                      static_cast<std::uint8_t>(file_bytes[0]) == kUtf16LeMark[0] &&
                      static_cast<std::uint8_t>(file_bytes[1]) == kUtf16LeMark[1];
  const std::string bytes = marked && file_bytes.size() % 2 != 0 ? file_bytes + '\0' : file_bytes;
  ProfileText text;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t pos = 0;
  if (size >= sizeof kUtf16LeMark && data[0] == kUtf16LeMark[0] && data[1] == kUtf16LeMark[1]) {
    text.encoding = ProfileEncoding::kUtf16Le;
    text.byte_order_mark = bytes.substr(0, sizeof kUtf16LeMark);
    pos = sizeof kUtf16LeMark;
  }
  std::size_t line_start = pos;
  ProfileLine line;
  while (pos < size) {
    char16_t unit;
    std::size_t next = pos + decode_unit(text.encoding, data + pos, size - pos, unit);
    if (unit == u'\r' || unit == u'\n') {
      if (unit == u'\r' && next < size) {
        char16_t after;
        const std::size_t taken = decode_unit(text.encoding, data + next, size - next, after);
        if (after == u'\n') next += taken;
      }
      line.bytes = bytes.substr(line_start, next - line_start);
      line.ended = true;
      text.lines.push_back(std::move(line));
      line = ProfileLine{};
      line_start = next;
    } else {
      line.text.push_back(unit);
    }
    pos = next;
  }
  if (line_start < size) {
    line.bytes = bytes.substr(line_start);
    text.lines.push_back(std::move(line));
  }
  return text;
}

std::string profile_text_bytes(const ProfileText& text) {
  std::string bytes = text.byte_order_mark;
  for (const ProfileLine& line : text.lines) bytes += line.bytes;
  return bytes;
}

ProfileEntry read_profile_line(const std::u16string& text) {
  ProfileEntry entry;
  const std::u16string_view line = trim_profile_spaces(text);
  if (line.empty()) return entry;
  if (line.front() == u'[') {
    const std::size_t close = line.rfind(u']');
    if (close != std::u16string_view::npos) {
      entry.kind = ProfileLineKind::kSection;
      entry.name = line.substr(1, close - 1);
      return entry;
    }
  }
  entry.kind = ProfileLineKind::kKey;
  const std::size_t equals = line.find(u'=');
  if (equals == std::u16string_view::npos) {
    entry.name = line;
    return entry;
  }
  entry.name = trim_trailing(line.substr(0, equals));
  entry.has_value = true;
  entry.value = trim_leading_profile_spaces(line.substr(equals + 1));
  entry.value = entry.value.substr(0, entry.value.find(u'\0'));
  return entry;
}

ProfileLine make_profile_line(ProfileEncoding encoding, std::u16string text) {
  ProfileLine line;
  line.bytes = encode(encoding, text) + encode(encoding, kLineEnd);
  line.text = std::move(text);
  line.ended = true;
  return line;
}

void end_last_profile_line(ProfileText& text) {
  if (text.lines.empty() || text.lines.back().ended) return;
  text.lines.back().bytes += encode(text.encoding, kLineEnd);
  text.lines.back().ended = true;
}

std::size_t find_profile_section(const ProfileText& text, std::u16string_view name) {
  for (std::size_t i = 0; i < text.lines.size(); ++i) {
    const ProfileEntry entry = read_profile_line(text.lines[i].text);
    // A section without a name holds the lines before the first section
    // line; no name ever finds it.
    if (entry.kind == ProfileLineKind::kSection && !entry.name.empty() && same_name(entry.name, name)) return i;
  }
  return kNotFound;
}

std::size_t profile_section_end(const ProfileText& text, std::size_t section_line) {
  std::size_t i = section_line + 1;
  while (i < text.lines.size() && read_profile_line(text.lines[i].text).kind != ProfileLineKind::kSection) ++i;
  return i;
}

std::size_t find_profile_key(const ProfileText& text, std::size_t section_line, std::u16string_view name) {
  const std::size_t end = profile_section_end(text, section_line);
  for (std::size_t i = section_line + 1; i < end; ++i) {
    const ProfileEntry entry = read_profile_line(text.lines[i].text);
    if (entry.kind == ProfileLineKind::kKey && same_name(entry.name, name)) return i;
  }
  return kNotFound;
}

}  // namespace tellwick
