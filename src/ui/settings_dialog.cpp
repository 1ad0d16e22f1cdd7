#include "ui/settings_dialog.h"

#include <cwchar>
#include <string>

#include "resource_ids.h"
#include "ui/dialog_template.h"
#include "ui/program_state.h"
#include "ui/shell_folder.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

constexpr wchar_t kBrowseTitle[] = L"ログの保存先を選択して下さい";

void show_settings(HWND dialog) {
  const Settings& s = settings();
  // A charset outside 0..2 checks nothing: CheckRadioButton clears the
  // others only when the one to check is in the range.
  if (s.charset >= kCharsetAnsi && s.charset <= kCharsetUtf16) {
    CheckRadioButton(dialog, IDC_CHARSET_ANSI, IDC_CHARSET_UTF16, IDC_CHARSET_ANSI + s.charset);
  }
  CheckDlgButton(dialog, IDC_WATCH_ENABLED, s.watch_enabled ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_START_IN_TRAY, s.start_in_tray ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_SHOW_CONTROL, s.show_control ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_KEEP_DUPLICATES, s.keep_duplicates ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(dialog, IDC_LOG_FOLDER, wide(s.log_folder));
}

bool is_checked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

std::wstring log_folder_edit_text(HWND dialog) {
  wchar_t text[kLogFolderEditCapacity] = {};
  GetDlgItemTextW(dialog, IDC_LOG_FOLDER, text, kLogFolderEditCapacity);
  return text;
}

void save_dialog_settings(HWND dialog) {
  Settings changed = settings();
  // A value stored as 5 is yes, as 1 is: save_settings writes it only when
  // its box was cleared.
  changed.watch_enabled = is_checked(dialog, IDC_WATCH_ENABLED);
  changed.start_in_tray = is_checked(dialog, IDC_START_IN_TRAY);
  changed.show_control = is_checked(dialog, IDC_SHOW_CONTROL);
  changed.keep_duplicates = is_checked(dialog, IDC_KEEP_DUPLICATES);

  // The ANSI code page is the fall-back when no button says otherwise.
  changed.charset = kCharsetAnsi;
  if (is_checked(dialog, IDC_CHARSET_UTF8)) changed.charset = kCharsetUtf8;
  if (is_checked(dialog, IDC_CHARSET_UTF16)) changed.charset = kCharsetUtf16;

  std::wstring folder = log_folder_edit_text(dialog);
  // "C:" and the like name a drive's current folder and stay as typed.
  if (folder.size() > 2 && folder.back() != L'\\') folder += L'\\';
  changed.log_folder = utf16(folder.c_str());
  save_settings(settings(), changed);
}

void browse(HWND dialog) {
  const std::wstring start = full_path(log_folder_edit_text(dialog).c_str());
  std::wstring chosen;
  if (!browse_for_folder(dialog, kBrowseTitle, start, chosen)) return;
  chosen += L'\\';
  SetDlgItemTextW(dialog, IDC_LOG_FOLDER, chosen.c_str());
}

}  // namespace

INT_PTR CALLBACK settings_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: show_settings(dialog); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          save_dialog_settings(dialog);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        case IDC_OPEN_LOG_FOLDER:
          // The edit's text, saved or not.
          explore_folder(dialog, full_path(log_folder_edit_text(dialog).c_str()).c_str());
          return FALSE;
        case IDC_BROWSE_FOLDER: browse(dialog); return FALSE;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR run_settings_dialog(HWND owner) {
  return run_dialog(module_instance(), L"CONFBOX", owner, settings_dialog_proc, 0);
}

}  // namespace tellwick
