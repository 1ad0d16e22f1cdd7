#include "ui/main_commands.h"

#include <shellapi.h>

#include <string>

#include "export/export_flags.h"
#include "export/exporter.h"
#include "gamelog/game_folders.h"
#include "materia/dropped_file.h"
#include "platform/file.h"
#include "platform/report.h"
#include "resource_ids.h"
#include "settings/settings.h"
#include "ui/character_list.h"
#include "ui/info_panel.h"
#include "ui/name_dialog.h"
#include "ui/shell_folder.h"
#include "ui/watch_timer.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

constexpr char16_t kSavedMessage[] = u"に保存しました。\r\n";
constexpr UINT kDroppedPathCapacity = 260;

}  // namespace

void manual_export(HWND window) {
  const int index = selected_character(window);
  if (index < 0) return;
  const char16_t* character = character_table().names[index];
  const std::u16string folder = game_user_folder_path(character);
  // A character folder path that would not fit the program's path buffer is
  // not exported rather than exported from a cut path.
  if (folder.size() >= static_cast<std::size_t>(kCharacterPathCapacity)) return;
  const std::u16string log_folder = settings().log_folder;
  create_directory(log_folder.c_str());  // usually there already
  std::u16string export_path;
  const int flags = export_character(character, folder, log_folder, kManualExport, &export_path);
  if (flags & kExportedFlag) {
    status_log_append(export_path.c_str());
    status_log_append(kSavedMessage);
  }
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

void take_dropped_file(HDROP drop) {
  wchar_t path[kDroppedPathCapacity] = {};
  DragQueryFileW(drop, 0, path, kDroppedPathCapacity);
  DragFinish(drop);
  dropped_file_test(utf16(path));
}

}  // namespace tellwick
