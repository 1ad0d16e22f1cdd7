#include "settings/settings.h"

#include <string>

#include "platform/path.h"
#include "platform/profile.h"
#include "settings/settings_keys.h"

namespace tellwick {
namespace {

constexpr char16_t kGenericSection[] = u"GENERIC";
constexpr char16_t kCharsetKey[] = u"CHARSET";
constexpr char16_t kStartInTrayKey[] = u"TRAYRUN";
constexpr char16_t kWatchEnabledKey[] = u"OBSERVE";
constexpr char16_t kShowControlKey[] = u"CTRLTOSTR";
constexpr char16_t kKeepDuplicatesKey[] = u"MATERIANODEL";
constexpr char16_t kLogFolderKey[] = u"LOGDIR";

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

const char16_t* settings_path() { return kSettingsPath; }

Settings load_settings() {
  Settings s;
  const Settings defaults;
  ProfileRead reads[] = {
      number_key(kCharsetKey, defaults.charset),
      number_key(kStartInTrayKey, defaults.start_in_tray),
      number_key(kWatchEnabledKey, defaults.watch_enabled),
      number_key(kShowControlKey, defaults.show_control),
      number_key(kKeepDuplicatesKey, defaults.keep_duplicates),
      text_key(kLogFolderKey, kDefaultLogFolder),
  };
  profile_read_keys(kGenericSection, reads, std::size(reads), settings_path());
  // Any stored number is a value of the enumeration's int: one outside the
  // three charsets stays what it was and writes nothing.
  s.charset = static_cast<OutputCharset>(reads[0].number);
  s.start_in_tray = reads[1].number != 0;
  s.watch_enabled = reads[2].number != 0;
  s.show_control = reads[3].number != 0;
  s.keep_duplicates = reads[4].number != 0;
  s.log_folder = normalise_log_folder(reads[5].text);
  return s;
}

void save_settings(Settings& record, const Settings& changed) {
  // The texts live until the write: ProfileWrite only points at them.
  std::u16string numbers[5];
  ProfileWrite writes[6];
  std::size_t count = 0;
  const auto number = [&](const char16_t* key, int before, int after) {
    if (before == after) return;
    numbers[count] = decimal_text(after);
    writes[count] = {key, numbers[count].c_str()};
    ++count;
  };
  // A stored 5 is yes as 1 is: it is written again only when it turns to no.
  const auto yes_no = [&](const char16_t* key, bool before, bool after) { number(key, before ? 1 : 0, after ? 1 : 0); };
  // The order in which new keys join the section.
  yes_no(kWatchEnabledKey, record.watch_enabled, changed.watch_enabled);
  yes_no(kStartInTrayKey, record.start_in_tray, changed.start_in_tray);
  yes_no(kShowControlKey, record.show_control, changed.show_control);
  yes_no(kKeepDuplicatesKey, record.keep_duplicates, changed.keep_duplicates);
  number(kCharsetKey, record.charset, changed.charset);
  if (record.log_folder != changed.log_folder) writes[count++] = {kLogFolderKey, changed.log_folder.c_str()};
  if (count > 0) profile_write_keys(kGenericSection, writes, count, settings_path());
  record = changed;
}

}  // namespace tellwick
