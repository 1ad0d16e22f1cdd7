#include "ui/main_commands.h"

#include <shellapi.h>

#include <string>

#include "export/export_run.h"
#include "gamelog/game_folders.h"
#include "materia/dropped_file.h"
#include "resource_ids.h"
#include "ui/character_list.h"
#include "ui/history_window.h"
#include "ui/info_panel.h"
#include "ui/name_dialog.h"
#include "ui/program_state.h"
#include "ui/shell_folder.h"
#include "ui/watch_timer.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

constexpr UINT kDroppedPathCapacity = 260;

}  // namespace

void manual_export(HWND window) {
  const int index = selected_character(window);
  if (index < 0 || session_ending()) return;
  // A character folder path that would not fit the program's path buffer is
  // not exported rather than exported from a cut path. A manual export's
  // failure is remembered by the watch as well, so that the next cycle does
  // not tell it again.
  run_export(character_table().names[index], settings(), kManualExport, window_reports(), watch_state().told_failure,
             kCharacterPathCapacity);
  queue_info_panel_refresh(window);
}

void change_character_name(HWND window) {
  const int index = selected_character(window);
  if (index < 0) return;
  const std::u16string kept = character_table().names[index];
  if (run_name_dialog(window, index) == 0) return;

  fill_character_list(window, game_user_folder_path());
  // The same character again, wherever the refill put it; the first one when
  // its folder is gone.
  int found = 0;
  const CharacterTable& table = character_table();
  for (int i = 0; i < table.count; ++i) {
    if (kept == table.names[i]) {
      found = i;
      break;
    }
  }
  SendDlgItemMessageW(window, IDC_CHARACTER_LIST, CB_SETCURSEL, found, 0);
  refresh_info_panel(window);
}

void open_log_folder(HWND window) { explore_folder(window, wide(settings().log_folder)); }

void show_history(HWND window) {
  const int index = selected_character(window);
  if (index < 0) return;
  wchar_t label[kListLabelCapacity] = {};
  SendDlgItemMessageW(window, IDC_CHARACTER_LIST, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(label));
  open_history_window(character_table().names[index], label);
}

void take_dropped_file(HDROP drop) {
  wchar_t path[kDroppedPathCapacity] = {};
  DragQueryFileW(drop, 0, path, kDroppedPathCapacity);
  DragFinish(drop);
  dropped_file_test(utf16(path), settings().keep_duplicates, window_reports());
}

}  // namespace tellwick
