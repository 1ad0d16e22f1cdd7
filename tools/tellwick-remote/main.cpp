// tellwick-remote: works a running Tellwick's main window from outside, the
// way a player would, for the run script on a machine without a screen.
//   tellwick-remote STEP...   steps run in order:
//     wait            until the main window exists (up to 60 s)
//     extract         presses the extract button; returns when the export is done
//     status-log      prints the status log (UTF-8)
//     shot FILE       writes a PNG picture of the window
//     exit            presses the exit button
// Exit status: 0 when every step worked, 1 when one failed, 2 for bad usage.
#include <windows.h>

#include <cstdio>
#include <string>

#include "window_capture.h"

namespace {

constexpr int kExtractButton = 2525;
constexpr int kStatusLog = 400;
constexpr int kExitButton = 2;
constexpr DWORD kWaitLimitMs = 60000;
constexpr DWORD kWaitStepMs = 100;

// The main window: a dialog titled "Tellwick" that has the extract button.
HWND find_main_window() {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"#32770", L"Tellwick")) != nullptr) {
    if (GetDlgItem(window, kExtractButton) != nullptr) return window;
  }
  return nullptr;
}

HWND wait_for_main_window() {
  for (DWORD waited = 0; waited < kWaitLimitMs; waited += kWaitStepMs) {
    if (HWND window = find_main_window()) return window;
    Sleep(kWaitStepMs);
  }
  return nullptr;
}

void print_utf8(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

std::wstring window_text(HWND control) {
  const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

bool press(HWND window, int button) {
  const HWND control = GetDlgItem(window, button);
  if (control == nullptr) return false;
  SendMessageW(control, BM_CLICK, 0, 0);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HWND window = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::wstring step = argv[i];
    if (step == L"wait") {
      window = wait_for_main_window();
      if (window == nullptr) {
        std::fprintf(stderr, "tellwick-remote: no Tellwick window appeared\n");
        return 1;
      }
      continue;
    }
    if (window == nullptr) window = find_main_window();
    if (window == nullptr) {
      std::fprintf(stderr, "tellwick-remote: Tellwick is not running\n");
      return 1;
    }
    bool ok = true;
    if (step == L"extract") {
      ok = press(window, kExtractButton);
    } else if (step == L"status-log") {
      print_utf8(window_text(GetDlgItem(window, kStatusLog)));
    } else if (step == L"shot" && i + 1 < argc) {
      SetForegroundWindow(window);
      ok = tellwick::shot::save_window_png(window, argv[++i]);
    } else if (step == L"exit") {
      ok = press(window, kExitButton);
    } else {
      std::fprintf(stderr, "usage: tellwick-remote wait | extract | status-log | shot FILE | exit ...\n");
      return 2;
    }
    if (!ok) {
      std::fprintf(stderr, "tellwick-remote: step failed\n");
      return 1;
    }
  }
  return 0;
}
