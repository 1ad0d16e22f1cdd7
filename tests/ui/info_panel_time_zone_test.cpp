// The info panel's export times in a zone with summer time: each time is
// shown with the offset in force at that moment, not the one in force today.
// Only the test ui.InfoPanelInBerlin runs these, with TZ=Europe/Berlin; the
// other UI tests run in Tokyo, which has no summer time.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resource_ids.h"
#include "support/main_window_fixture.h"
#include "support/message_pump.h"

namespace tellwick::test {
namespace {

using InfoPanelInBerlin = MainWindowTest;

TEST_F(InfoPanelInBerlin, ShowsWinterAndSummerTimesWithTheirOwnOffsets) {
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  ASSERT_EQ(zone.Bias, -60) << "needs TZ=Europe/Berlin: ctest -R ui.InfoPanelInBerlin";
  ASSERT_EQ(zone.DaylightBias, -60);

  struct Case {
    const char* what;
    const char* dates;  // TOPDATE and ENDDATE lines, seconds since 1970 UTC
    const wchar_t* shown;
  } cases[] = {
      // 2014-01-15 10:00:00 UTC and 2014-07-01 10:00:00 UTC.
      {"winter, summer", "TOPDATE=1389780000\r\nENDDATE=1404208800\r\n",
       L"Top: 2014/01/15 11:00:00\r\nEnd: 2014/07/01 12:00:00\r\n"},
      // The clocks go from 02:00 to 03:00 at 01:00 UTC on 2014-03-30.
      {"into summer time", "TOPDATE=1396141199\r\nENDDATE=1396141200\r\n",
       L"Top: 2014/03/30 01:59:59\r\nEnd: 2014/03/30 03:00:00\r\n"},
      // And back from 03:00 to 02:00 at 01:00 UTC on 2014-10-26.
      {"out of summer time", "TOPDATE=1414285199\r\nENDDATE=1414285200\r\n",
       L"Top: 2014/10/26 02:59:59\r\nEnd: 2014/10/26 02:00:00\r\n"},
  };
  constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
  add_character(kCharacter);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    write_settings(std::string("[FFXIV_CHR0040000001A2B3C4D]\r\n") + c.dates);
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(text_of(IDC_INFO_PANEL),
              std::wstring(L"Server: Unknown\r\nPC Name: Unknown\r\n") + c.shown + L"LogCount:  0\r\nLogFile: \r\n");
    DestroyWindow(window_);
    pump_messages();
  }
}

}  // namespace
}  // namespace tellwick::test
