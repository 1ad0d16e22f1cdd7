#include "ui/program.h"

#include <commctrl.h>

#include "gamelog/game_folder_choice.h"
#include "gamelog/game_folders.h"
#include "platform/local_time.h"
#include "settings/game_dir_setting.h"
#include "ui/main_window.h"
#include "ui/program_state.h"
#include "ui/running_instance.h"
#include "ui/tray_icon.h"
#include "watch/watch_cycle.h"

namespace tellwick {

int run_program(HINSTANCE instance) {
  module_instance() = instance;
  watch_state().game_running = false;
  watch_state().previous_game_running = false;
  // Owned and never released: it marks this instance until the process ends.
  CreateMutexW(nullptr, TRUE, kSingleInstanceMutex);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ask_running_instance_to_show();
    return 0;
  }
  InitCommonControls();
  use_system_time_zone();
  settings() = load_settings();
  set_game_user_folder_override(choose_game_user_folder(read_game_dir_setting(), window_reports()));

  const HWND window = create_main_window(instance);
  if (settings().start_in_tray) {
    hide_to_tray(window);
  } else {
    ShowWindow(window, SW_SHOW);
  }

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window != nullptr && IsWindow(window) && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace tellwick
