// INI-style settings file access with the Windows private-profile semantics:
// section and key names match without regard to case, a missing file,
// section or key gives the caller's default, text is cut to the buffer size
// less one, and writing a null value removes the key. Windows uses its
// profile API; the POSIX build implements the same behaviour and writes the
// file in code page 932, so one file serves both systems.
#pragma once

#include <cstddef>
#include <string>

namespace tellwick {

// As GetPrivateProfileStringW with a buffer of `buffer_size` characters. The
// section and key are never null here (the system would list names instead).
std::u16string profile_read_string(const char16_t* section, const char16_t* key, const char16_t* default_value,
                                   std::size_t buffer_size, const char16_t* file);

// As GetPrivateProfileIntW.
int profile_read_int(const char16_t* section, const char16_t* key, int default_value, const char16_t* file);

// As WritePrivateProfileStringW; a null value removes the key. False when the
// file could not be written.
bool profile_write_string(const char16_t* section, const char16_t* key, const char16_t* value,
                          const char16_t* file);

}  // namespace tellwick
