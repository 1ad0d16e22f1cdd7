// The system's reason for a call that failed, for the diagnostic output
// only: errno on POSIX, GetLastError() on Windows. The status texts a player
// reads are fixed and never carry it.
#pragma once

#include <string>

namespace tellwick {

using SystemErrorCode = unsigned long;

// The reason the last failed system call left behind. Take it right after
// the call that failed: any later call may change it. The platform
// functions that report failure with false leave it set for their caller.
SystemErrorCode last_system_error();

// "system error 28 (No space left on device)" on POSIX (the text in
// English, whatever the locale), "system error 112" on Windows.
std::u16string system_error_text(SystemErrorCode code);

}  // namespace tellwick
