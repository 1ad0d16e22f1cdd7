#include "ui/main_window.h"

#include <shellapi.h>

#include "gamelog/game_folders.h"
#include "resource_ids.h"
#include "ui/character_list.h"
#include "ui/dialog_template.h"
#include "ui/info_panel.h"
#include "ui/main_commands.h"
#include "ui/program_state.h"
#include "ui/running_instance.h"
#include "ui/settings_dialog.h"
#include "ui/tray_icon.h"
#include "ui/watch_timer.h"
#include "watch/watch_cycle.h"

namespace tellwick {
namespace {

void initialise(HWND window) {
  main_window() = window;
  SetDlgItemTextW(window, IDC_VERSION_TEXT, kVersionText);
  // The status log only grows; let it hold far more than the edit control's
  // default 32767 characters, so that no later message is refused.
  SendDlgItemMessageW(window, IDC_STATUS_LOG, EM_SETLIMITTEXT, 0, 0);
  fill_character_list(window, game_user_folder_path());
  prepare_notify_icon(window, module_instance());
  start_watch_timer(window);
  watch_state().watched_character = active_character(character_table());
  SendDlgItemMessageW(window, IDC_CHARACTER_LIST, CB_SETCURSEL, 0, 0);
  queue_info_panel_refresh(window);
  DragAcceptFiles(window, TRUE);
}

INT_PTR on_command(HWND window, WORD command, WORD notification) {
  switch (command) {
    case IDCANCEL:  // the exit button, and the Escape key through the dialog manager
      DestroyWindow(window);
      return TRUE;
    case IDC_CHARACTER_LIST:
      if (notification == CBN_SELCHANGE) queue_info_panel_refresh(window);
      return FALSE;
    case IDC_CHANGE_NAME: change_character_name(window); return FALSE;
    case IDC_SETTINGS: run_settings_dialog(window); return FALSE;
    case IDC_OPEN_LOG_FOLDER: open_log_folder(window); return FALSE;
    case kInfoPanelRefreshCommand: refresh_info_panel(window); return FALSE;
    case IDC_EXTRACT: manual_export(window); return TRUE;
    case IDC_HISTORY: show_history(window); return FALSE;
  }
  return FALSE;
}

// The session ends once this returns, and the system may end the process
// at any moment after: everything is let go here, not in a later message.
// Exports run only inside this thread's handlers, so none is under way now;
// none may start after (a click or a timer still queued), and no icon may
// stay in the notification area. The message loop then ends the program.
void end_with_session(HWND window) {
  session_ending() = true;
  KillTimer(window, kWatchTimerId);
  remove_tray_icon();
  PostQuitMessage(0);
}

}  // namespace

INT_PTR CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // Registered messages have no fixed number to switch on; 0 is a failed registration.
  if (message != 0 && message == taskbar_created_message()) {
    add_tray_icon_again(window);
    return FALSE;
  }
  if (message != 0 && message == show_window_message()) {
    show_in_front(window);
    return FALSE;
  }
  switch (message) {
    case WM_INITDIALOG: initialise(window); return TRUE;
    case WM_COMMAND: return on_command(window, LOWORD(wparam), HIWORD(wparam));
    case WM_TIMER:
      if (wparam == kWatchTimerId) on_watch_timer(window);
      return FALSE;
    case WM_ENDSESSION:
      // FALSE: the log-off or shut-down was called off, and the program goes on.
      if (wparam != FALSE) end_with_session(window);
      return FALSE;
    case WM_DROPFILES: take_dropped_file(reinterpret_cast<HDROP>(wparam)); return FALSE;
    case WM_CLOSE:
      // Closing only hides: the program ends through the exit button.
      hide_to_tray(window);
      return TRUE;
    case WM_DESTROY:
      KillTimer(window, kWatchTimerId);
      remove_tray_icon();
      PostQuitMessage(0);
      return FALSE;
    case kTrayCallbackMessage:
      if (lparam == WM_LBUTTONDOWN) restore_from_tray(window);
      return FALSE;
  }
  return FALSE;
}

HWND create_main_window(HINSTANCE instance) {
  return create_dialog(instance, L"RECIPEBOX", nullptr, main_window_proc, 0);
}

}  // namespace tellwick
