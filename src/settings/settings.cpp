#include "settings/settings.h"

#include "platform/path.h"
#include "platform/profile.h"

namespace tellwick {
namespace {

constexpr char16_t kGenericSection[] = u"GENERIC";
// A normalised log folder never grows past what its read buffer holds.
constexpr std::size_t kLogFolderMaxLength = kSettingsTextBuffer - 1;

#ifdef _WIN32
constexpr char16_t kSettingsPath[] = u".\\tellwick.ini";
constexpr char16_t kDefaultLogFolder[] = u".\\log\\";
constexpr char16_t kCurrentFolder[] = u".\\";
#else
constexpr char16_t kSettingsPath[] = u"./tellwick.ini";
constexpr char16_t kDefaultLogFolder[] = u"./log/";
constexpr char16_t kCurrentFolder[] = u"./";
#endif

// Empty means the current folder; a final separator is added when missing.
// When the folder already fills the buffer, its last character gives way to
// the separator, so the result still fits.
std::u16string normalise_log_folder(std::u16string folder) {
#ifndef _WIN32
  // Settings files written on Windows separate folders with "\"; after this
  // every separator is "/", so "ends in a separator" is one test on both systems.
  for (char16_t& c : folder) {
    if (c == u'\\') c = kPathSeparator;
  }
#endif
  if (folder.empty()) return kCurrentFolder;
  if (folder.back() != kPathSeparator) {
    if (folder.size() >= kLogFolderMaxLength) folder.resize(kLogFolderMaxLength - 1);
    folder += kPathSeparator;
  }
  return folder;
}

}  // namespace

Settings& settings() {
  static Settings record;
  return record;
}

const char16_t* settings_path() { return kSettingsPath; }

void load_settings() {
  Settings& s = settings();
  const Settings defaults;
  s.charset = profile_read_int(kGenericSection, u"CHARSET", defaults.charset, settings_path());
  s.start_in_tray = profile_read_int(kGenericSection, u"TRAYRUN", defaults.start_in_tray, settings_path());
  s.watch_enabled = profile_read_int(kGenericSection, u"OBSERVE", defaults.watch_enabled, settings_path());
  s.show_control = profile_read_int(kGenericSection, u"CTRLTOSTR", defaults.show_control, settings_path());
  s.keep_duplicates = profile_read_int(kGenericSection, u"MATERIANODEL", defaults.keep_duplicates, settings_path());
  s.log_folder = normalise_log_folder(
      profile_read_string(kGenericSection, u"LOGDIR", kDefaultLogFolder, kSettingsTextBuffer, settings_path()));
}

void write_generic_setting(const char16_t* key, const char16_t* text) {
  profile_write_string(kGenericSection, key, text, settings_path());
}

std::u16string read_character_text(const char16_t* section, const char16_t* key, const char16_t* default_value,
                                   std::size_t buffer_size) {
  return profile_read_string(section, key, default_value, buffer_size, settings_path());
}

int read_character_int(const char16_t* section, const char16_t* key, int default_value) {
  return profile_read_int(section, key, default_value, settings_path());
}

bool write_character_text(const char16_t* section, const char16_t* key, const char16_t* text) {
  return profile_write_string(section, key, text, settings_path());
}

}  // namespace tellwick
