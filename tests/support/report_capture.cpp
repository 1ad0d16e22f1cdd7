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

std::u16string status_log_text() {
  std::u16string text;
  for (const std::u16string& piece : captured_status_log()) text += piece;
  return text;
}

}  // namespace test
}  // namespace tellwick
