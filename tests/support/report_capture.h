// The test binary's front end for the logic's reports: every text handed to
// the debugger output or the status log through capturing_reports() is
// kept, in order, for the tests.
#pragma once

#include <string>
#include <vector>

#include "report/report.h"

namespace tellwick::test {

const ReportSink& capturing_reports();
std::vector<std::u16string>& captured_debugger_output();
std::vector<std::u16string>& captured_status_log();
void clear_captured_reports();
// Everything appended to the status log since the last clear, as one text.
std::u16string status_log_text();

}  // namespace tellwick::test
