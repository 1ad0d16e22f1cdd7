// Shell operations on folders: opening one in the file manager, and letting
// the user choose one.
#pragma once

#include <windows.h>

#include <string>

namespace tellwick {

constexpr DWORD kFullPathCapacity = 260;

// `path` made absolute against the working directory (empty when it cannot be).
std::wstring full_path(const wchar_t* path);

// Opens the folder in the file manager; the shell's result is not looked at.
void explore_folder(HWND owner, const wchar_t* folder);

// Runs the folder browser opened at `start_folder`; true with the chosen
// folder's path when the user chose one that is a file system folder.
bool browse_for_folder(HWND owner, const wchar_t* title, const std::wstring& start_folder, std::wstring& chosen);

}  // namespace tellwick
