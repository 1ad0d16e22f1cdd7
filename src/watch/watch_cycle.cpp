#include "watch/watch_cycle.h"

#include "export/export_flags.h"
#include "export/exporter.h"
#include "gamelog/game_folders.h"
#include "platform/file.h"
#include "platform/report.h"
#include "settings/settings.h"

namespace tellwick {
namespace {

constexpr char16_t kGameEndedMessage[] = u"FINAL FANTASY XIV の終了を確認しました。\r\n";
constexpr char16_t kGameStartedMessage[] = u"FINAL FANTASY XIV の起動を確認しました。\r\n";

}  // namespace

WatchState& watch_state() {
  static WatchState state;
  return state;
}

int automatic_export(const char16_t* character) {
  const std::u16string& log_folder = settings().log_folder;
  create_directory(log_folder.c_str());  // usually there already
  export_character(character, game_user_folder_path(character), log_folder, kAutomaticExport, nullptr);
  return 1;
}

int watch_cycle() {
  WatchState& state = watch_state();
  state.previous_game_running = state.game_running;
  state.game_running = game_scan();
  if (!state.game_running && state.previous_game_running) status_log_append(kGameEndedMessage);
  if (state.game_running && !state.previous_game_running) status_log_append(kGameStartedMessage);

  // The table is the one the window last filled; a new character folder is
  // seen only after the list is filled again.
  const std::u16string active = active_character();
  if (active != state.watched_character) {
    automatic_export(state.watched_character.c_str());  // the one played before, one last time
    state.watched_character = active;
  }
  automatic_export(state.watched_character.c_str());
  return 1;
}

}  // namespace tellwick
