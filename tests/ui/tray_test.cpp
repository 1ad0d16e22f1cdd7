// The notification-area icon: the close box hides the window to it, a left
// click on it brings the window back, and it never outlives the window.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "resource_ids.h"
#include "settings/settings.h"
#include "support/main_window_fixture.h"
#include "support/tray_probe.h"
#include "support/message_pump.h"
#include "ui/main_window.h"
#include "ui/program_state.h"
#include "ui/running_instance.h"
#include "ui/tray_icon.h"

namespace tellwick::test {
namespace {

TEST_F(MainWindowTest, IconRecordNamesTheWindowAndTheProgram) {
  ASSERT_NE(start(), nullptr);
  const NOTIFYICONDATAW& record = notify_icon_record();
  EXPECT_EQ(record.cbSize, sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(record.hWnd, window_);
  EXPECT_EQ(record.uID, 1u);
  EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(record.uCallbackMessage, static_cast<UINT>(WM_USER));
  EXPECT_NE(record.hIcon, nullptr);
  EXPECT_STREQ(record.szTip, L"Tellwick");
  EXPECT_EQ(record.dwState, 0u);
  EXPECT_EQ(record.szInfo[0], L'\0');
}

TEST_F(MainWindowTest, CloseBoxHidesToTheTrayAndALeftClickBringsItBack) {
  ASSERT_NE(start(), nullptr);
  ASSERT_TRUE(IsWindowVisible(window_));
  EXPECT_FALSE(icon_is_shown(window_));

  click_close_box(window_);
  pump_messages();
  EXPECT_TRUE(IsWindow(window_));  // closing only hides
  EXPECT_FALSE(IsWindowVisible(window_));
  EXPECT_TRUE(icon_is_shown(window_));
  EXPECT_FALSE(quit_was_posted());

  // Moves, right clicks, releases and double clicks over the icon change nothing.
  for (const UINT mouse : {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONUP, WM_LBUTTONDBLCLK}) {
    SendMessageW(window_, WM_USER, 1, mouse);
    EXPECT_FALSE(IsWindowVisible(window_)) << mouse;
    EXPECT_TRUE(icon_is_shown(window_)) << mouse;
  }

  SendMessageW(window_, WM_USER, 1, WM_LBUTTONDOWN);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_FALSE(icon_is_shown(window_));
  EXPECT_EQ(text_of(IDC_STATUS_LOG), L"");
}

TEST_F(MainWindowTest, NoIconOutlivesTheWindow) {
  ASSERT_NE(start(), nullptr);
  ASSERT_EQ(hide_to_tray(window_), 0);
  ASSERT_TRUE(icon_is_shown(window_));
  const HWND window = window_;
  DestroyWindow(window_);
  EXPECT_FALSE(icon_is_shown(window));
}

// What a restart of the shell does: every icon is gone, and the new shell
// tells every top-level window that it is there.
void restart_shell(HWND window) {
  NOTIFYICONDATAW gone{};
  gone.cbSize = sizeof gone;
  gone.hWnd = window;
  gone.uID = 1;
  Shell_NotifyIconW(NIM_DELETE, &gone);
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  pump_messages();
}

TEST_F(MainWindowTest, AnIconLostToAShellRestartComesBack) {
  ASSERT_NE(start(), nullptr);
  const NOTIFYICONDATAW before = notify_icon_record();
  // Shown, the window has no icon, and gets none.
  restart_shell(window_);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_FALSE(icon_is_shown(window_));

  click_close_box(window_);
  pump_messages();
  ASSERT_TRUE(icon_is_shown(window_));
  restart_shell(window_);
  EXPECT_TRUE(icon_is_shown(window_));
  EXPECT_FALSE(IsWindowVisible(window_));
  const NOTIFYICONDATAW& after = notify_icon_record();
  EXPECT_EQ(after.hWnd, before.hWnd);
  EXPECT_EQ(after.uID, before.uID);
  EXPECT_EQ(after.uCallbackMessage, before.uCallbackMessage);
  EXPECT_STREQ(after.szTip, before.szTip);

  // The same message while the icon is still there changes nothing.
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  pump_messages();
  EXPECT_TRUE(icon_is_shown(window_));
  EXPECT_FALSE(IsWindowVisible(window_));

  // The icon that came back answers a click as before.
  SendMessageW(window_, WM_USER, 1, WM_LBUTTONDOWN);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_FALSE(icon_is_shown(window_));
  EXPECT_EQ(text_of(IDC_STATUS_LOG), L"");
}

TEST_F(MainWindowTest, StartsInTheTrayWhenAsked) {
  write_settings("[GENERIC]\r\nTRAYRUN=1\r\n");
  settings() = load_settings();
  window_ = create_main_window(module_instance());
  ASSERT_NE(window_, nullptr);
  // What start-up does with the start-in-tray setting on.
  ASSERT_EQ(hide_to_tray(window_), 0);
  pump_messages();
  EXPECT_FALSE(IsWindowVisible(window_));
  EXPECT_TRUE(icon_is_shown(window_));
  SendMessageW(window_, WM_USER, 1, WM_LBUTTONDOWN);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_FALSE(icon_is_shown(window_));
}

// A second start that comes while the first is still on its way to its
// window (the settings and the launcher-folder search come first): the
// message it sends reaches no window, but its request waits for the window.
TEST_F(MainWindowTest, ASecondStartBeforeTheWindowExistsShowsItOnceItDoes) {
  write_settings("[GENERIC]\r\nTRAYRUN=1\r\n");
  settings() = load_settings();
  keep_show_requests();            // the first start, before it takes the mutex
  ask_running_instance_to_show();  // the second start, which found the mutex
  window_ = create_main_window(module_instance());
  ASSERT_NE(window_, nullptr);
  ASSERT_EQ(hide_to_tray(window_), 0);
  show_if_asked_before(window_);
  pump_messages();
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_FALSE(icon_is_shown(window_));

  // One request shows the window once.
  ASSERT_EQ(hide_to_tray(window_), 0);
  show_if_asked_before(window_);
  pump_messages();
  EXPECT_FALSE(IsWindowVisible(window_));
}

}  // namespace
}  // namespace tellwick::test
