// Tellwick's settings file: the program-wide settings in section GENERIC,
// and one section per character folder with its names and export bookkeeping.
#pragma once

#include <cstddef>
#include <string>

namespace tellwick {

// The in-memory copy of section GENERIC, loaded once at start-up.
struct Settings {
  int charset = 0;           // CHARSET: output charset
  int start_in_tray = 0;     // TRAYRUN
  int watch_enabled = 1;     // OBSERVE
  int show_control = 0;      // CTRLTOSTR: control sequences shown as hex
  int keep_duplicates = 0;   // MATERIANODEL
  std::u16string log_folder; // LOGDIR, normalised: always ends in a separator
};

constexpr std::size_t kSettingsTextBuffer = 256;  // values are read into 256-character buffers

// The program-wide settings record.
Settings& settings();

// ".\tellwick.ini" (on POSIX "./tellwick.ini"), relative to the working directory.
const char16_t* settings_path();

// Reads the six GENERIC keys with their defaults into settings() and
// normalises the log folder: empty becomes the current folder, and a final
// separator is added when missing.
void load_settings();

// Writes one GENERIC key (integers are formatted by the caller).
void write_generic_setting(const char16_t* key, const char16_t* text);

std::u16string read_character_text(const char16_t* section, const char16_t* key, const char16_t* default_value,
                                   std::size_t buffer_size = kSettingsTextBuffer);
int read_character_int(const char16_t* section, const char16_t* key, int default_value);
// A null text removes the key.
bool write_character_text(const char16_t* section, const char16_t* key, const char16_t* text);

}  // namespace tellwick
