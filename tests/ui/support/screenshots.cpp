#include "support/screenshots.h"

#include <filesystem>

#include "window_capture.h"

namespace tellwick::test {

bool save_screenshot(HWND window, const std::string& name) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::filesystem::path folder = std::filesystem::path(module).parent_path() / "screenshots";
  SetForegroundWindow(window);
  return shot::save_window_png(window, folder / (name + ".png"));
}

}  // namespace tellwick::test
