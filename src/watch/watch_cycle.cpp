#include "watch/watch_cycle.h"

#include "export/export_run.h"

namespace tellwick {
namespace {

constexpr char16_t kGameEndedMessage[] = u"FINAL FANTASY XIV の終了を確認しました。\r\n";
constexpr char16_t kGameStartedMessage[] = u"FINAL FANTASY XIV の起動を確認しました。\r\n";

}  // namespace

bool automatic_export(const char16_t* character, const Settings& settings, WatchState& state,
                      const ReportSink& report) {
  return run_export(character, settings, kAutomaticExport, report, state.told_failure).failed_path.empty();
}

bool watch_cycle(WatchState& state, const CharacterTable& characters, const Settings& settings,
                 const ReportSink& report) {
  state.previous_game_running = state.game_running;
  state.game_running = game_scan(report);
  if (!state.game_running && state.previous_game_running) report_status(report, kGameEndedMessage);
  if (state.game_running && !state.previous_game_running) report_status(report, kGameStartedMessage);

  // The table is the one the front end last filled; a new character folder
  // is seen only after the list is filled again.
  const std::u16string active = active_character(characters);
  bool saved = true;
  if (active != state.watched_character) {
    // The one played before, one last time.
    saved = automatic_export(state.watched_character.c_str(), settings, state, report);
    state.watched_character = active;
  }
  return automatic_export(state.watched_character.c_str(), settings, state, report) && saved;
}

}  // namespace tellwick
