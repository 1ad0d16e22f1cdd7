// A picture of a window as it shows on the screen.
#pragma once

#include <windows.h>

#include <filesystem>

#include "png_file.h"

namespace tellwick::shot {

// Copies the window's screen area, frame included; the window should be
// visible and on top.
bool capture_window(HWND window, RgbImage& image);

// Captures the window and writes it as a PNG file, creating the folder.
bool save_window_png(HWND window, const std::filesystem::path& path);

}  // namespace tellwick::shot
