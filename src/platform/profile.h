// INI-style settings file access with the Windows private-profile semantics:
// section and key names match without regard to case, a missing file,
// section or key gives the caller's default, text is cut to the buffer size
// less one, and writing a null value removes the key. Windows uses its
// profile API; the POSIX build implements the same behaviour and writes the
// file in code page 932, so one file serves both systems.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tellwick {

// As GetPrivateProfileStringW with a buffer of `buffer_size` characters. The
// section and key are never null here (the system would list names instead).
std::u16string profile_read_string(const char16_t* section, const char16_t* key, const char16_t* default_value,
                                   std::size_t buffer_size, const char16_t* file);

// As GetPrivateProfileIntW.
int profile_read_int(const char16_t* section, const char16_t* key, int default_value, const char16_t* file);

// As GetPrivateProfileSectionNamesW: the names of the file's sections in
// the order they stand, none when the file is missing or cannot be read.
std::vector<std::u16string> profile_section_names(const char16_t* file);

// One key read in every section of the file that profile_section_names
// lists, as profile_read_string would read it there: the sections in that
// order, each with its value. The POSIX build reads the file once for all.
struct ProfileSectionValue {
  std::u16string section;
  std::u16string value;
};
std::vector<ProfileSectionValue> profile_read_key_in_every_section(const char16_t* key, const char16_t* default_value,
                                                                   std::size_t buffer_size, const char16_t* file);

// As WritePrivateProfileStringW; a null value removes the key. False when the
// file could not be written.
bool profile_write_string(const char16_t* section, const char16_t* key, const char16_t* value, const char16_t* file);

// One key of a batch read: as profile_read_string when `default_text` is
// given, otherwise as profile_read_int with `default_number`.
struct ProfileRead {
  const char16_t* key = nullptr;
  const char16_t* default_text = nullptr;
  int default_number = 0;
  std::size_t buffer_size = 0;
  std::u16string text;  // the value read as text
  int number = 0;       // the value read as a number
};

// Reads several keys of one section, each as its single read would. The
// POSIX build reads the file once for all of them.
void profile_read_keys(const char16_t* section, ProfileRead* reads, std::size_t count, const char16_t* file);

// One key of a batch write; a null value removes the key.
struct ProfileWrite {
  const char16_t* key;
  const char16_t* value;
};

// Writes several keys of one section in order, leaving the file as the same
// single writes would. The POSIX build replaces the file once, so that the
// keys reach it all together or not at all; Windows writes them one by one.
// Either way the whole batch holds the lock on the lock file beside the
// settings file (its name with ".lock"), which every Tellwick process takes,
// so that another program's save cannot fall between this one's read and
// its write. A read-only file is not written. False when some key could not
// be written.
bool profile_write_keys(const char16_t* section, const ProfileWrite* writes, std::size_t count, const char16_t* file);

}  // namespace tellwick
