// Tellwick's settings file: the program-wide settings in section GENERIC,
// and one section per character folder (see character_record.h).
#pragma once

#include <cstddef>
#include <string>

namespace tellwick {

// The in-memory copy of section GENERIC, loaded once at start-up and owned
// by the front end.
struct Settings {
  int charset = 0;           // CHARSET: output charset
  int start_in_tray = 0;     // TRAYRUN
  int watch_enabled = 1;     // OBSERVE
  int show_control = 0;      // CTRLTOSTR: control sequences shown as hex
  int keep_duplicates = 0;   // MATERIANODEL
  std::u16string log_folder; // LOGDIR, normalised: always ends in a separator
};

constexpr std::size_t kSettingsTextBuffer = 256;  // values are read into 256-character buffers

// ".\tellwick.ini" (on POSIX "./tellwick.ini"), relative to the working directory.
const char16_t* settings_path();

// Reads the six GENERIC keys with their defaults and normalises the log
// folder: empty becomes the current folder, and a final separator is added
// when missing.
Settings load_settings();

// Writes the keys whose values differ between `record` and `changed`, in
// one write, and makes `record` the changed one. The log folder is written
// as it stands, without the normalising of a load.
void save_settings(Settings& record, const Settings& changed);

}  // namespace tellwick
