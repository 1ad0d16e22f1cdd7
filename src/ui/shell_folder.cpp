#include "ui/shell_folder.h"

#include <shellapi.h>
#include <shlobj.h>

namespace tellwick {
namespace {

// Opens the browser at the caller's folder; every message gives 0.
int CALLBACK folder_browser_callback(HWND browser, UINT message, LPARAM, LPARAM start_folder) {
  if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start_folder);
  return 0;
}

}  // namespace

std::wstring full_path(const wchar_t* path) {
  wchar_t absolute[kFullPathCapacity] = {};
  const DWORD length = GetFullPathNameW(path, kFullPathCapacity, absolute, nullptr);
  if (length == 0 || length >= kFullPathCapacity) return std::wstring();
  return absolute;
}

void explore_folder(HWND owner, const wchar_t* folder) {
  ShellExecuteW(owner, L"explore", folder, nullptr, folder, SW_SHOWNORMAL);
}

bool browse_for_folder(HWND owner, const wchar_t* title, const std::wstring& start_folder, std::wstring& chosen) {
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = folder_browser_callback;
  info.lParam = reinterpret_cast<LPARAM>(start_folder.c_str());
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (item == nullptr) return false;
  wchar_t path[MAX_PATH] = {};
  const bool is_path = SHGetPathFromIDListW(item, path) != FALSE;
  CoTaskMemFree(item);
  if (is_path) chosen = path;
  return is_path;
}

}  // namespace tellwick
