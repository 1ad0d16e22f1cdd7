// Reads what the program writes to the debugger output, in this process: the
// system raises it as an exception for a debugger, which a vectored handler
// sees first and passes on.
#pragma once

#include <string>

namespace tellwick::test {

void start_debugger_capture();
void clear_debugger_capture();
// Everything written since the last clear, as one text.
std::wstring captured_debugger_text();

}  // namespace tellwick::test
