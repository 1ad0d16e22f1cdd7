// When the notification area refuses the icon, hiding to it retries for about
// half a minute, then gives up with a message and leaves the window shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resource_ids.h"
#include "support/main_window_fixture.h"
#include "ui/tray_icon.h"

namespace tellwick::test {
namespace {

// A notification area that is there but takes no icon: the shell hands each
// request to the window of this class, which answers "no" to every one.
int& requests_refused() {
  static int count = 0;
  return count;
}

LRESULT CALLBACK refusing_tray_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    ++requests_refused();
    return FALSE;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND create_refusing_tray() {
  WNDCLASSW kind{};
  kind.lpfnWndProc = refusing_tray_proc;
  kind.hInstance = GetModuleHandleW(nullptr);
  kind.lpszClassName = L"Shell_TrayWnd";
  RegisterClassW(&kind);
  // Topmost and newest: the first of its class that the shell finds.
  return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                         nullptr, kind.hInstance, nullptr);
}

TEST_F(MainWindowTest, RefusedIconLeavesTheWindowShownWithAMessage) {
  ASSERT_NE(start(), nullptr);
  const HWND tray = create_refusing_tray();
  ASSERT_NE(tray, nullptr);
  requests_refused() = 0;

  EXPECT_EQ(hide_to_tray(window_), 1);
  DestroyWindow(tray);
  UnregisterClassW(L"Shell_TrayWnd", GetModuleHandleW(nullptr));

  // The first add, then 31 rounds of a change and an add: 63 requests.
  EXPECT_EQ(requests_refused(), 63);
  EXPECT_TRUE(IsWindowVisible(window_));
  const std::wstring log = text_of(IDC_STATUS_LOG);
  const std::wstring start = L"タスクトレイ化に失敗しました。(";
  ASSERT_TRUE(log.starts_with(start)) << log.size();
  ASSERT_EQ(log.back(), L')');  // no line end: the next message continues the line
  const std::wstring number = log.substr(start.size(), log.size() - start.size() - 1);
  EXPECT_FALSE(number.empty());
  EXPECT_EQ(number.find_first_not_of(L"-0123456789"), std::wstring::npos) << log.size();
}

}  // namespace
}  // namespace tellwick::test
