#include "support/report_capture.h"

namespace tellwick::test {

const ReportSink& capturing_reports() {
  static const ReportSink sink{[](const char16_t* text) { captured_status_log().emplace_back(text); },
                               [](const char16_t* text) { captured_debugger_output().emplace_back(text); }};
  return sink;
}

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

}  // namespace tellwick::test
