// The main window's watch timer: one cycle per timer event while watching is
// on, then an info panel refresh, and the timer started again either way.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "resource_ids.h"
#include "settings/settings.h"
#include "support/main_window_fixture.h"
#include "ui/program_state.h"
#include "support/message_pump.h"
#include "watch/watch_cycle.h"

namespace tellwick::test {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";

bool refresh_is_queued(HWND window) {
  MSG message;
  return PeekMessageW(&message, window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) && LOWORD(message.wParam) == 1919;
}

TEST_F(MainWindowTest, WatchTimerRunsACycleOnlyWhileWatching) {
  for (const bool watching : {false, true}) {
    SCOPED_TRACE(watching);
    add_character(kCharacter, true);
    write_settings(watching ? "[GENERIC]\r\nOBSERVE=1\r\n" : "[GENERIC]\r\nOBSERVE=0\r\n");
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(watch_state().watched_character, kCharacter);  // the active character, from the start
    ASSERT_FALSE(refresh_is_queued(window_));

    SendMessageW(window_, WM_TIMER, 188, 0);
    EXPECT_EQ(refresh_is_queued(window_), watching);
    EXPECT_EQ(fs::exists(work_ / "log" / "2014.03.05.1855.log"), watching);
    // Started again: there is a timer 188 to stop.
    EXPECT_TRUE(KillTimer(window_, 188));
    pump_messages();
    EXPECT_EQ(text_of(IDC_INFO_PANEL).find(L"LogCount:  2") != std::wstring::npos, watching);
    EXPECT_EQ(text_of(IDC_STATUS_LOG), watching ? L"新しいログの記録を確認しました。\r\n" : L"");

    DestroyWindow(window_);
    pump_messages();
    fs::remove_all(work_ / "log");
    fs::remove(work_ / "tellwick.ini");
  }
}

// Runs the thread's messages until the window's timer `id` comes, and
// leaves that one undispatched in `message`: the milliseconds waited since
// `since` (a tick count), or -1 when none came within the limit.
long long wait_for_timer(HWND window, UINT_PTR id, DWORD since, MSG& message) {
  constexpr DWORD kLimitMs = 15000;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER && message.hwnd == window && message.wParam == id) {
        return GetTickCount() - since;
      }
      if (IsDialogMessageW(window, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const DWORD waited = GetTickCount() - since;
    if (waited >= kLimitMs) return -1;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kLimitMs - waited, QS_ALLINPUT);
  }
}

// The timer as the system delivers it: ten seconds after the window starts,
// and ten seconds after each cycle ends, the next one.
TEST_F(MainWindowTest, WatchTimerComesTenSecondsAfterStartAndAfterEachCycle) {
  constexpr long long kPeriodMs = 10000;
  constexpr long long kEarliestMs = kPeriodMs - 50;  // tick counts read at different moments
  constexpr long long kLatestMs = kPeriodMs + 3000;  // a loaded machine delivers late, never early
  add_character(kCharacter, true);
  write_settings("[GENERIC]\r\nOBSERVE=1\r\n");
  DWORD since = GetTickCount();
  ASSERT_NE(start(), nullptr);
  for (int cycle = 1; cycle <= 2; ++cycle) {
    SCOPED_TRACE(cycle);
    MSG timer{};
    const long long waited = wait_for_timer(window_, 188, since, timer);
    ASSERT_NE(waited, -1) << "no watch timer within 15 s";
    EXPECT_GE(waited, kEarliestMs);
    EXPECT_LE(waited, kLatestMs);
    DispatchMessageW(&timer);
    since = GetTickCount();
    EXPECT_TRUE(fs::exists(work_ / "log" / "2014.03.05.1855.log"));  // the cycle ran
  }
}

TEST_F(MainWindowTest, OtherTimersDoNothing) {
  add_character(kCharacter, true);
  ASSERT_NE(start(), nullptr);
  SendMessageW(window_, WM_TIMER, 189, 0);
  EXPECT_FALSE(refresh_is_queued(window_));
  EXPECT_FALSE(fs::exists(work_ / "log"));
}

}  // namespace
}  // namespace tellwick::test
