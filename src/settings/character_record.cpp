#include "settings/character_record.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/profile.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"

namespace tellwick {
namespace {

constexpr char16_t kLogFileKey[] = u"LOGFILE";
constexpr char16_t kTopDateKey[] = u"TOPDATE";
constexpr char16_t kEndDateKey[] = u"ENDDATE";
constexpr char16_t kDateKey[] = u"DATE";
constexpr char16_t kLastNumberKey[] = u"LASTNO";
constexpr char16_t kLastDateKey[] = u"LASTDATE";
constexpr char16_t kServerKey[] = u"SERVER";
constexpr char16_t kNameKey[] = u"NAME";

char16_t ascii_upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// Section names match without regard to case, as the profile functions
// match them, so "[ffxiv_chr…]" is the same character's section.
bool same_section(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  }
  return true;
}

}  // namespace

ExportRecord read_export_record(const char16_t* character) {
  const ExportRecord defaults;
  ProfileRead reads[] = {
      text_key(kLogFileKey, u""),
      number_key(kTopDateKey, defaults.top_date),
      number_key(kEndDateKey, defaults.end_date),
      text_key(kDateKey, defaults.date.c_str()),
      number_key(kLastNumberKey, defaults.last_number),
      text_key(kLastDateKey, defaults.last_date.c_str()),
  };
  profile_read_keys(character, reads, std::size(reads), settings_path());
  ExportRecord record;
  record.log_file = reads[0].text;
  record.top_date = reads[1].number;
  record.end_date = reads[2].number;
  record.date = reads[3].text;
  record.last_number = reads[4].number;
  record.last_date = reads[5].text;
  return record;
}

bool write_export_record(const char16_t* character, const ExportRecord& record) {
  const std::u16string top = decimal_text(record.top_date);
  const std::u16string end = decimal_text(record.end_date);
  const std::u16string last_number = decimal_text(record.last_number);
  // clang-format off
  const ProfileWrite writes[] = {
      {kLogFileKey, record.log_file.c_str()},  {kTopDateKey, top.c_str()},
      {kEndDateKey, end.c_str()},              {kDateKey, record.date.c_str()},
      {kLastNumberKey, last_number.c_str()},   {kLastDateKey, record.last_date.c_str()},
  };
  // clang-format on
  return profile_write_keys(character, writes, std::size(writes), settings_path());
}

std::vector<std::u16string> read_other_log_files(const char16_t* character) {
  std::vector<std::u16string> names;
  const std::u16string_view own = character;
  for (ProfileSectionValue& found :
       profile_read_key_in_every_section(kLogFileKey, u"", kSettingsTextBuffer, settings_path())) {
    if (!same_section(found.section, own) && !found.value.empty()) names.push_back(std::move(found.value));
  }
  return names;
}

CharacterNames read_character_names(const char16_t* character, const char16_t* missing) {
  ProfileRead reads[] = {text_key(kServerKey, missing), text_key(kNameKey, missing)};
  profile_read_keys(character, reads, std::size(reads), settings_path());
  return {reads[0].text, reads[1].text};
}

bool write_character_names(const char16_t* character, const CharacterNames& names) {
  const ProfileWrite writes[] = {
      {kServerKey, names.server.empty() ? nullptr : names.server.c_str()},
      {kNameKey, names.name.empty() ? nullptr : names.name.c_str()},
  };
  return profile_write_keys(character, writes, std::size(writes), settings_path());
}

}  // namespace tellwick
