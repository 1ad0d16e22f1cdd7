// A picture that cannot be taken or saved fails no test; the output says why.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/screenshots.h"

namespace tellwick::test {
namespace {

TEST(Screenshots, OneThatCannotBeTakenFailsNoTestAndSaysWhy) {
  const HWND window = CreateWindowExW(0, L"STATIC", L"picture", WS_POPUP | WS_VISIBLE, 0, 0, 64, 32, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  struct Case {
    HWND window;
    std::string name;
    std::string said;
  } cases[] = {
      {nullptr, "no-window", "screenshot no-window not saved: the window could not be captured"},
      // A folder that is not there: the file cannot be created.
      {window, "no-such-folder/picture", "screenshot no-such-folder/picture not saved: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::internal::CaptureStderr();
    save_screenshot(c.window, c.name);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(said.starts_with(c.said)) << said;
  }
  DestroyWindow(window);
}

}  // namespace
}  // namespace tellwick::test
