#include "settings/game_dir_setting.h"

#include <cstddef>

#include "platform/path.h"
#include "platform/profile.h"
#include "settings/settings.h"

namespace tellwick {
namespace {

// The Windows program reads the key into the buffer every value has; on
// POSIX it holds any path the system takes (PATH_MAX bytes), so that a
// launcher's deep folder, such as Flatpak Steam's, is not cut.
constexpr std::size_t kPosixPathMax = 4096;
constexpr std::size_t kGameDirBuffer = kFixedPathBuffers ? kSettingsTextBuffer : kPosixPathMax;

}  // namespace

std::u16string read_game_dir_setting() {
  return profile_read_string(u"GENERIC", u"GAMEDIR", u"", kGameDirBuffer, settings_path());
}

}  // namespace tellwick
