#include "ui/program.h"

#include <commctrl.h>
#include <objbase.h>

#include <cwchar>
#include <iterator>

#include "gamelog/game_folder_choice.h"
#include "gamelog/game_folders.h"
#include "platform/local_time.h"
#include "settings/game_dir_setting.h"
#include "ui/history_window.h"
#include "ui/main_window.h"
#include "ui/program_state.h"
#include "ui/running_instance.h"
#include "ui/tray_icon.h"
#include "watch/watch_cycle.h"

namespace tellwick {
namespace {

// Without its window the program can do nothing, and a process that kept the
// mutex would turn every later start away: say why, let the mutex go, end.
int end_without_window(HANDLE mutex, DWORD error) {
  if (mutex != nullptr) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
  wchar_t text[96] = {};
  std::swprintf(text, std::size(text), L"Tellwick: the main window could not be created (error %lu)\r\n",
                static_cast<unsigned long>(error));
  OutputDebugStringW(text);
  return kNoWindowExitCode;
}

}  // namespace

int run_program(HINSTANCE instance) {
  module_instance() = instance;
  watch_state().game_running = false;
  watch_state().previous_game_running = false;
  // Before the mutex: a start that finds the mutex finds the event too.
  keep_show_requests();
  // Owned and never released while the program runs: it marks this instance
  // until the process ends.
  const HANDLE mutex = CreateMutexW(nullptr, TRUE, kSingleInstanceMutex);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ask_running_instance_to_show();
    return 0;
  }
  InitCommonControls();
  use_system_time_zone();
  settings() = load_settings();
  set_game_user_folder_override(choose_game_user_folder(read_game_dir_setting(), window_reports()));
  // The folder browser and ShellExecuteW run shell code that needs a
  // single-threaded apartment on this, the window's, thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  const HWND window = create_main_window(instance);
  if (window == nullptr) {
    const DWORD error = GetLastError();
    if (SUCCEEDED(com)) CoUninitialize();
    return end_without_window(mutex, error);
  }
  if (settings().start_in_tray) {
    hide_to_tray(window);
  } else {
    ShowWindow(window, SW_SHOW);
  }
  show_if_asked_before(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (history_window_message(message)) continue;
    if (IsWindow(window) && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  close_history_windows();
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

}  // namespace tellwick
