#include "support/report_capture.h"

#include "platform/report.h"

namespace tellwick {

void status_log_append(const char16_t* text) { test::captured_status_log().emplace_back(text); }
void debugger_output(const char16_t* text) { test::captured_debugger_output().emplace_back(text); }

namespace test {

std::vector<std::u16string>& captured_debugger_output() {
  static std::vector<std::u16string> texts;
  return texts;
}

std::vector<std::u16string>& captured_status_log() {
  static std::vector<std::u16string> texts;
  return texts;
}

void clear_captured_reports() {
  captured_debugger_output().clear();
  captured_status_log().clear();
}

}  // namespace test
}  // namespace tellwick
