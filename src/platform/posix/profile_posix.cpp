// The private-profile functions as Windows has them, over our own reading and
// editing of the file. Where Windows leaves a detail open, Wine's behaviour
// is the one followed, since the same tests run against it: quotes around a
// value are dropped on reading, white space before a written value is
// dropped, a new key goes after the last non-blank line of its section and a
// new section at the end of the file. Unlike Wine, lines that a write does
// not touch keep their bytes exactly, blank lines and spacing included.
#include "platform/profile.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/posix/path_posix.h"
#include "platform/posix/profile_file_posix.h"
#include "platform/posix/profile_text_posix.h"

namespace tellwick {
namespace {

// GetPrivateProfileIntW reads the value as text into a buffer of this many
// characters before it converts it, so only the first 29 characters count.
constexpr std::size_t kIntTextBuffer = 30;

ProfileText load(const char16_t* file) {
  std::string bytes;
  if (read_profile_file(native_path(file), bytes) != ProfileFileRead::kRead) return {};
  return parse_profile_text(bytes);
}

// A value (or a default) as the caller receives it: one pair of matching
// quotes around it is dropped, and it is cut to the buffer less one
// character. With quotes, a value that exactly fills the buffer loses one
// character more, as it does with Wine's profile functions.
std::u16string copy_value(std::u16string_view value, std::size_t buffer_size) {
  if (buffer_size == 0) return {};
  value = value.substr(0, value.find(u'\0'));
  bool quoted = false;
  if (value.size() > 1 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::u16string out(value.substr(0, buffer_size - 1));
  if (quoted && buffer_size >= value.size() && !out.empty()) out.pop_back();
  return out;
}

// RtlUnicodeStringToInteger with base 0, which GetPrivateProfileIntW uses:
// leading control characters and spaces skipped, one sign, a "0x", "0o" or
// "0b" prefix picks the base, digits up to the first one outside it, and the
// result wraps around in 32 bits.
int parse_profile_int(std::u16string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] <= u' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  std::uint32_t base = 10;
  if (i + 1 < s.size() && s[i] == u'0') {
    const char16_t prefix = s[i + 1];
    base = prefix == u'x' ? 16 : prefix == u'o' ? 8 : prefix == u'b' ? 2 : 10;
    if (base != 10) i += 2;
  }
  std::uint32_t result = 0;
  for (; i < s.size(); ++i) {
    const char16_t c = s[i];
    std::uint32_t digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'a' && c <= u'z') {
      digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'Z') {
      digit = c - u'A' + 10;
    } else {
      break;
    }
    if (digit >= base) break;
    result = result * base + digit;
  }
  return static_cast<int>(negative ? 0u - result : result);
}

std::u16string key_text(std::u16string_view name, std::u16string_view value) {
  std::u16string line(name);
  line += u'=';
  line.append(value);
  return line;
}

// Each edit returns whether the file changed; an unchanged file is not written.
bool set_key(ProfileText& text, const char16_t* section, const char16_t* key, const char16_t* value) {
  const std::u16string_view new_value = trim_leading_profile_spaces(value);
  const std::size_t header = find_profile_section(text, trim_profile_spaces(section));
  if (header == kNotFound) {
    end_last_profile_line(text);
    std::u16string section_line = u"[";
    section_line.append(trim_leading_profile_spaces(section));
    section_line += u"]";
    text.lines.push_back(make_profile_line(text.encoding, std::move(section_line)));
    text.lines.push_back(make_profile_line(text.encoding, key_text(trim_leading_profile_spaces(key), new_value)));
    return true;
  }
  const std::size_t found = find_profile_key(text, header, trim_profile_spaces(key));
  if (found != kNotFound) {
    const ProfileEntry entry = read_profile_line(text.lines[found].text);
    if (entry.has_value && entry.value == new_value) return false;
    text.lines[found] = make_profile_line(text.encoding, key_text(entry.name, new_value));
    return true;
  }
  // After the section's last non-blank line, so that blank lines before the
  // next section stay where they are.
  std::size_t at = profile_section_end(text, header);
  while (at > header + 1 && read_profile_line(text.lines[at - 1].text).kind == ProfileLineKind::kBlank) --at;
  if (at == text.lines.size()) end_last_profile_line(text);
  text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(at),
                    make_profile_line(text.encoding, key_text(trim_leading_profile_spaces(key), new_value)));
  return true;
}

bool remove_key(ProfileText& text, const char16_t* section, const char16_t* key) {
  const std::size_t header = find_profile_section(text, trim_profile_spaces(section));
  if (header == kNotFound) return false;
  const std::size_t found = find_profile_key(text, header, trim_profile_spaces(key));
  if (found == kNotFound) return false;
  text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(found));
  return true;
}

bool remove_section(ProfileText& text, const char16_t* section) {
  const std::size_t header = find_profile_section(text, trim_profile_spaces(section));
  if (header == kNotFound) return false;
  text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(header),
                   text.lines.begin() + static_cast<std::ptrdiff_t>(profile_section_end(text, header)));
  return true;
}

}  // namespace

namespace {

// The default as the caller receives it: spaces at its end are not part of it.
std::u16string_view default_of(const char16_t* default_value) {
  std::u16string_view fallback = default_value ? default_value : u"";
  while (!fallback.empty() && fallback.back() == u' ') fallback.remove_suffix(1);
  return fallback;
}

std::u16string read_text(const ProfileText& text, const char16_t* section, const char16_t* key,
                         std::u16string_view fallback, std::size_t buffer_size) {
  const std::size_t header = find_profile_section(text, trim_profile_spaces(section));
  if (header == kNotFound) return copy_value(fallback, buffer_size);
  const std::size_t found = find_profile_key(text, header, trim_profile_spaces(key));
  if (found == kNotFound) return copy_value(fallback, buffer_size);
  const ProfileEntry entry = read_profile_line(text.lines[found].text);
  return copy_value(entry.has_value ? entry.value : fallback, buffer_size);
}

int read_number(const ProfileText& text, const char16_t* section, const char16_t* key, int default_value) {
  const std::u16string value = read_text(text, section, key, u"", kIntTextBuffer);
  return value.empty() ? default_value : parse_profile_int(value);
}

// Applies one write to the text; true when the text changed.
bool edit(ProfileText& text, const char16_t* section, const char16_t* key, const char16_t* value) {
  if (!key) return remove_section(text, section);
  if (!value) return remove_key(text, section, key);
  return set_key(text, section, key, value);
}

}  // namespace

std::u16string profile_read_string(const char16_t* section, const char16_t* key, const char16_t* default_value,
                                   std::size_t buffer_size, const char16_t* file) {
  const std::u16string_view fallback = default_of(default_value);
  if (!section || !key || !file) return copy_value(fallback, buffer_size);
  return read_text(load(file), section, key, fallback, buffer_size);
}

int profile_read_int(const char16_t* section, const char16_t* key, int default_value, const char16_t* file) {
  if (!section || !key || !file) return default_value;
  return read_number(load(file), section, key, default_value);
}

void profile_read_keys(const char16_t* section, ProfileRead* reads, std::size_t count, const char16_t* file) {
  const ProfileText text = section && file ? load(file) : ProfileText{};
  for (std::size_t i = 0; i < count; ++i) {
    ProfileRead& r = reads[i];
    const bool readable = section && file && r.key;
    if (r.default_text != nullptr) {
      const std::u16string_view fallback = default_of(r.default_text);
      r.text =
          readable ? read_text(text, section, r.key, fallback, r.buffer_size) : copy_value(fallback, r.buffer_size);
    } else {
      r.number = readable ? read_number(text, section, r.key, r.default_number) : r.default_number;
    }
  }
}

namespace {

std::vector<std::u16string> section_names(const ProfileText& text) {
  std::vector<std::u16string> names;
  for (const ProfileLine& line : text.lines) {
    const ProfileEntry entry = read_profile_line(line.text);
    if (entry.kind != ProfileLineKind::kSection) continue;
    // "[]" names nothing that a read could find.
    if (!entry.name.empty()) names.emplace_back(entry.name);
  }
  return names;
}

}  // namespace

std::vector<std::u16string> profile_section_names(const char16_t* file) {
  if (!file) return {};
  return section_names(load(file));
}

std::vector<ProfileSectionValue> profile_read_key_in_every_section(const char16_t* key, const char16_t* default_value,
                                                                   std::size_t buffer_size, const char16_t* file) {
  std::vector<ProfileSectionValue> values;
  if (!file) return values;
  const ProfileText text = load(file);
  const std::u16string_view fallback = default_of(default_value);
  for (std::u16string& section : section_names(text)) {
    std::u16string value =
        key ? read_text(text, section.c_str(), key, fallback, buffer_size) : copy_value(fallback, buffer_size);
    values.push_back({std::move(section), std::move(value)});
  }
  return values;
}

bool profile_write_string(const char16_t* section, const char16_t* key, const char16_t* value, const char16_t* file) {
  const ProfileWrite write{key, value};
  return profile_write_keys(section, &write, 1, file);
}

bool profile_write_keys(const char16_t* section, const ProfileWrite* writes, std::size_t count, const char16_t* file) {
  if (!section || !file) return false;
  // Read, edit and replace under one lock: another process's save between
  // the read and the rename would otherwise be lost.
  ProfileSave save;
  if (!begin_profile_save(native_path(file), save)) return false;
  std::string bytes;
  bool saved = read_profile_file(save.file, bytes) != ProfileFileRead::kFailed;
  if (saved) {
    ProfileText text = parse_profile_text(bytes);
    bool changed = false;
    for (std::size_t i = 0; i < count; ++i) changed |= edit(text, section, writes[i].key, writes[i].value);
    saved = !changed || replace_profile_file(save, profile_text_bytes(text));
  }
  end_profile_save(save);
  return saved;
}

}  // namespace tellwick
