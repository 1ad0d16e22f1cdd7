#include "window_capture.h"

#include <system_error>

namespace tellwick::shot {

bool capture_window(HWND window, RgbImage& image) {
  RECT area{};
  if (!GetWindowRect(window, &area)) return false;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  // Make sure what is on the screen is the window's latest paint.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();

  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap != nullptr;
  if (ok) {
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, previous);
  }
  if (ok) {
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
      image.rgb[i * 3 + 0] = pixels[i * 4 + 2];
      image.rgb[i * 3 + 1] = pixels[i * 4 + 1];
      image.rgb[i * 3 + 2] = pixels[i * 4 + 0];
    }
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

bool save_window_png(HWND window, const std::filesystem::path& path) {
  RgbImage image;
  if (!capture_window(window, image)) return false;
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  return write_png(path, image);
}

}  // namespace tellwick::shot
