#include <cerrno>
#include <cstring>
#include <string>

#include "platform/system_error.h"

namespace tellwick {

SystemErrorCode last_system_error() { return static_cast<SystemErrorCode>(errno); }

std::u16string system_error_text(SystemErrorCode code) {
  std::string text = "system error " + std::to_string(code);
  // strerrordesc_np: the same words in every locale, and safe on any thread.
  if (const char* description = ::strerrordesc_np(static_cast<int>(code))) {
    text += " (";
    text += description;
    text += ')';
  }
  return std::u16string(text.begin(), text.end());  // the descriptions are ASCII
}

}  // namespace tellwick
