#include <windows.h>

#include <string>

#include "platform/system_error.h"

namespace tellwick {

SystemErrorCode last_system_error() { return GetLastError(); }

std::u16string system_error_text(SystemErrorCode code) {
  const std::string text = "system error " + std::to_string(code);
  return std::u16string(text.begin(), text.end());
}

}  // namespace tellwick
