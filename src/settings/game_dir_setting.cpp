#include "settings/game_dir_setting.h"

#include "platform/profile.h"
#include "settings/settings.h"

namespace tellwick {

std::u16string read_game_dir_setting() {
  return profile_read_string(u"GENERIC", u"GAMEDIR", u"", kSettingsTextBuffer, settings_path());
}

}  // namespace tellwick
