#include "support/screenshots.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "png_file.h"
#include "window_capture.h"

namespace tellwick::test {

void save_screenshot(HWND window, const std::string& name) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::filesystem::path folder = std::filesystem::path(module).parent_path() / "screenshots";
  SetForegroundWindow(window);
  shot::RgbImage image;
  if (!shot::capture_window(window, image)) {
    std::fprintf(stderr, "screenshot %s not saved: the window could not be captured (error %lu)\n", name.c_str(),
                 GetLastError());
    return;
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "screenshot %s not saved: %s: %s\n", name.c_str(), folder.string().c_str(),
                 error.message().c_str());
    return;
  }
  const std::filesystem::path file = folder / (name + ".png");
  if (!shot::write_png(file, image)) {
    std::fprintf(stderr, "screenshot %s not saved: %s could not be written (errno %d)\n", name.c_str(),
                 file.string().c_str(), errno);
  }
}

}  // namespace tellwick::test
