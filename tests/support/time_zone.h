// The tests run in Tokyo time (see posix/time_zone_posix.cpp); a test that
// needs another zone switches the process to it for its own run.
#pragma once

#ifndef _WIN32

#include <string>

namespace tellwick::test {

// Sets TZ to `zone` (an IANA name such as "Europe/Berlin") and makes the C
// library read it again; puts the earlier TZ back when it goes out of scope.
class TimeZoneScope {
 public:
  explicit TimeZoneScope(const char* zone);
  ~TimeZoneScope();
  TimeZoneScope(const TimeZoneScope&) = delete;
  TimeZoneScope& operator=(const TimeZoneScope&) = delete;

 private:
  bool had_zone_ = false;
  std::string earlier_;
};

}  // namespace tellwick::test

#endif
