#include "ui/program_state.h"

namespace tellwick {

HINSTANCE& module_instance() {
  static HINSTANCE instance = nullptr;
  return instance;
}

HWND& main_window() {
  static HWND window = nullptr;
  return window;
}

}  // namespace tellwick
