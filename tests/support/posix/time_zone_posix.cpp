// The tests expect local time in Tokyo, the players' time zone, whoever runs
// them. (The Windows build gets it from Wine, which the runner starts with it.)
#include <cstdlib>
#include <ctime>

#include "support/time_zone.h"

namespace tellwick::test {
namespace {

const bool kTokyoTime = [] {
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  return true;
}();

}  // namespace

TimeZoneScope::TimeZoneScope(const char* zone) {
  if (const char* earlier = std::getenv("TZ")) {
    had_zone_ = true;
    earlier_ = earlier;
  }
  setenv("TZ", zone, 1);
  tzset();
}

TimeZoneScope::~TimeZoneScope() {
  if (had_zone_) {
    setenv("TZ", earlier_.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

}  // namespace tellwick::test
