// Opens the folder browser once at a folder in the temporary folder, where
// the tests make theirs, and confirms it at once. In a new Wine prefix the first process that browses sees the browser
// open at the desktop whatever it is told; every later one is right, as
// Windows always is. The UI tests run after this, so they test the program,
// not that first time.
#include <windows.h>
#include <shlobj.h>

namespace {

int CALLBACK select_and_confirm(HWND browser, UINT message, LPARAM, LPARAM folder) {
  if (message == BFFM_INITIALIZED) {
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, folder);
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
  }
  return 0;
}

}  // namespace

int wmain() {
  CoInitialize(nullptr);
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  lstrcatW(folder, L"tellwick-shell-warm-up");
  CreateDirectoryW(folder, nullptr);
  BROWSEINFOW info = {};
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = select_and_confirm;
  info.lParam = reinterpret_cast<LPARAM>(folder);
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info)) CoTaskMemFree(item);
  CoUninitialize();
  RemoveDirectoryW(folder);
  return 0;
}
