// Tellwick's settings file: the program-wide settings in section GENERIC,
// and one section per character folder (see character_record.h).
#pragma once

#include <cstddef>
#include <string>

#include "output/output_charset.h"

namespace tellwick {

// The in-memory copy of section GENERIC, loaded once at start-up and owned
// by the front end. The file stores every value as a number: the charset
// is kept as stored, even outside 0..2, and a yes/no value is yes for any
// number but 0.
struct Settings {
  OutputCharset charset = kCharsetAnsi;  // CHARSET
  bool start_in_tray = false;            // TRAYRUN
  bool watch_enabled = true;             // OBSERVE
  bool show_control = false;             // CTRLTOSTR: control sequences shown as hex
  bool keep_duplicates = false;          // MATERIANODEL
  std::u16string log_folder;             // LOGDIR, normalised: always ends in a separator
};

constexpr std::size_t kSettingsTextBuffer = 256;  // values are read into 256-character buffers

// ".\tellwick.ini" (on POSIX "./tellwick.ini"), relative to the working directory.
const char16_t* settings_path();

// Reads the six GENERIC keys with their defaults and normalises the log
// folder: empty becomes the current folder, and a final separator is added
// when missing.
Settings load_settings();

// Writes the keys whose values differ between `record` and `changed`, in
// one write, and makes `record` the changed one. A yes/no value is written
// as 1 or 0, the log folder as it stands, without the normalising of a load.
void save_settings(Settings& record, const Settings& changed);

}  // namespace tellwick
