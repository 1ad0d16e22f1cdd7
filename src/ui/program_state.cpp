#include "ui/program_state.h"

#include "ui/status_log.h"
#include "ui/wide_text.h"

namespace tellwick {

HINSTANCE& module_instance() {
  static HINSTANCE instance = nullptr;
  return instance;
}

HWND& main_window() {
  static HWND window = nullptr;
  return window;
}

Settings& settings() {
  static Settings record;
  return record;
}

CharacterTable& character_table() {
  static CharacterTable table;
  return table;
}

bool& session_ending() {
  static bool ending = false;
  return ending;
}

WatchState& watch_state() {
  static WatchState state;
  return state;
}

const ReportSink& window_reports() {
  static const ReportSink sink{status_log_append, [](const char16_t* text) { OutputDebugStringW(wide(text)); }};
  return sink;
}

}  // namespace tellwick
