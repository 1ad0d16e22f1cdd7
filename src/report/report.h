// Where the logic reports. The front end (the window, the headless exporter,
// a test) owns the sink and hands it down to what it calls.
#pragma once

#include <functional>

namespace tellwick {

struct ReportSink {
  // Appends a text (with its own "\r\n") at the end of the status log.
  std::function<void(const char16_t* text)> status_log;
  // Diagnostic text for an attached debugger; nothing reads it back.
  std::function<void(const char16_t* text)> diagnostic;
};

inline void report_status(const ReportSink& sink, const char16_t* text) {
  if (sink.status_log) sink.status_log(text);
}

inline void report_diagnostic(const ReportSink& sink, const char16_t* text) {
  if (sink.diagnostic) sink.diagnostic(text);
}

}  // namespace tellwick
