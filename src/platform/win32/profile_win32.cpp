// The system's own profile functions; char16_t and wchar_t are both 16-bit
// on Windows, so the program's strings are handed over as they are.
#include "platform/profile.h"

#include <windows.h>

#include <climits>
#include <vector>

namespace tellwick {
namespace {

const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// A settings file is small; a list of section names longer than this (in
// characters) is taken cut rather than read into ever larger buffers.
constexpr std::size_t kLongestSectionList = std::size_t{1} << 24;

}  // namespace

std::u16string profile_read_string(const char16_t* section, const char16_t* key, const char16_t* default_value,
                                   std::size_t buffer_size, const char16_t* file) {
  if (buffer_size == 0) return {};
  const DWORD size = buffer_size > UINT_MAX ? UINT_MAX : static_cast<DWORD>(buffer_size);
  std::u16string text(size, u'\0');
  const DWORD length = GetPrivateProfileStringW(wide(section), wide(key), wide(default_value),
                                                reinterpret_cast<wchar_t*>(text.data()), size, wide(file));
  text.resize(length < size ? length : size - 1);
  return text;
}

int profile_read_int(const char16_t* section, const char16_t* key, int default_value, const char16_t* file) {
  return static_cast<int>(GetPrivateProfileIntW(wide(section), wide(key), default_value, wide(file)));
}

std::vector<std::u16string> profile_section_names(const char16_t* file) {
  std::vector<std::u16string> names;
  // The names come as one list of zero-ended names; a list that does not
  // fit is cut, and the length is then the buffer's less two.
  std::u16string list(4096, u'\0');
  DWORD length = 0;
  for (;;) {
    length = GetPrivateProfileSectionNamesW(reinterpret_cast<wchar_t*>(list.data()), static_cast<DWORD>(list.size()),
                                            wide(file));
    if (length + 2 < list.size() || list.size() >= kLongestSectionList) break;
    list.resize(list.size() * 2);
  }
  for (std::size_t start = 0; start < length;) {
    const std::size_t end = list.find(u'\0', start);
    if (end == std::u16string::npos || end > length) break;
    if (end > start) names.emplace_back(list, start, end - start);
    start = end + 1;
  }
  return names;
}

std::vector<ProfileSectionValue> profile_read_key_in_every_section(const char16_t* key, const char16_t* default_value,
                                                                   std::size_t buffer_size, const char16_t* file) {
  std::vector<ProfileSectionValue> values;
  for (std::u16string& section : profile_section_names(file)) {
    std::u16string value = profile_read_string(section.c_str(), key, default_value, buffer_size, file);
    values.push_back({std::move(section), std::move(value)});
  }
  return values;
}

bool profile_write_string(const char16_t* section, const char16_t* key, const char16_t* value, const char16_t* file) {
  return WritePrivateProfileStringW(wide(section), wide(key), wide(value), wide(file)) != 0;
}

void profile_read_keys(const char16_t* section, ProfileRead* reads, std::size_t count, const char16_t* file) {
  for (std::size_t i = 0; i < count; ++i) {
    ProfileRead& r = reads[i];
    if (r.default_text != nullptr) {
      r.text = profile_read_string(section, r.key, r.default_text, r.buffer_size, file);
    } else {
      r.number = profile_read_int(section, r.key, r.default_number, file);
    }
  }
}

bool profile_write_keys(const char16_t* section, const ProfileWrite* writes, std::size_t count, const char16_t* file) {
  bool written = true;
  DWORD first_error = 0;  // the diagnostics want the first failure's reason
  for (std::size_t i = 0; i < count; ++i) {
    if (profile_write_string(section, writes[i].key, writes[i].value, file)) continue;
    if (written) first_error = GetLastError();
    written = false;
  }
  if (!written) SetLastError(first_error);
  return written;
}

}  // namespace tellwick
