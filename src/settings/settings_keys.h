// How the settings records describe their keys to the profile functions.
#pragma once

#include <string>

#include "platform/profile.h"
#include "settings/settings.h"

namespace tellwick {

// A key read as text, into the 256-character buffer every value has.
inline ProfileRead text_key(const char16_t* key, const char16_t* default_value) {
  ProfileRead read;
  read.key = key;
  read.default_text = default_value;
  read.buffer_size = kSettingsTextBuffer;
  return read;
}

inline ProfileRead number_key(const char16_t* key, int default_value) {
  ProfileRead read;
  read.key = key;
  read.default_number = default_value;
  return read;
}

// A number as the settings file stores it: "%d".
inline std::u16string decimal_text(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace tellwick
