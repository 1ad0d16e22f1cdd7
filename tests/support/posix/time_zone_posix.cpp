// The tests expect local time in Tokyo, the players' time zone, whoever runs
// them. (The Windows build gets it from Wine, which the runner starts with it.)
#include <cstdlib>
#include <ctime>

namespace {

const bool kTokyoTime = [] {
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  return true;
}();

}  // namespace
