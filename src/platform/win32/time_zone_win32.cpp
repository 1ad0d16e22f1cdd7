#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/local_time.h"

namespace tellwick {

void use_system_time_zone() {
  const char* zone = std::getenv("TZ");
  if (zone == nullptr) return;
  const std::string value(zone);
  if (value.find('/') == std::string::npos && (value.empty() || value[0] != ':')) return;
  _putenv("TZ=");
  SetEnvironmentVariableW(L"TZ", nullptr);
  _tzset();
}

}  // namespace tellwick
