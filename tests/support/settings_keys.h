// The settings file's keys one by one, as a test reads and writes them to
// check or prepare what the program's own records hold.
#pragma once

#include <cstddef>
#include <string>

#include "platform/profile.h"
#include "settings/settings.h"

namespace tellwick::test {

inline std::u16string read_settings_key(const char16_t* section, const char16_t* key, const char16_t* default_value,
                                        std::size_t buffer_size = kSettingsTextBuffer) {
  return profile_read_string(section, key, default_value, buffer_size, settings_path());
}

inline int read_settings_int(const char16_t* section, const char16_t* key, int default_value) {
  return profile_read_int(section, key, default_value, settings_path());
}

// A null value removes the key.
inline bool write_settings_key(const char16_t* section, const char16_t* key, const char16_t* value) {
  return profile_write_string(section, key, value, settings_path());
}

}  // namespace tellwick::test
