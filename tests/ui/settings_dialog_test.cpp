// The settings dialog opened from the main window's settings button: what it
// shows, and which keys it writes when confirmed.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ui/status_log.h"
#include "resource_ids.h"
#include "settings/settings.h"
#include "support/main_window_fixture.h"
#include "ui/program_state.h"
#include "support/message_pump.h"
#include "support/modal_dialog.h"
#include "support/screenshots.h"
#include "ui/shell_folder.h"
#include "ui/wide_text.h"

namespace tellwick::test {
namespace {

namespace fs = std::filesystem;

const char16_t* const kGenericKeys[] = {u"CHARSET", u"OBSERVE", u"TRAYRUN", u"CTRLTOSTR", u"MATERIANODEL", u"LOGDIR"};

std::wstring edit_text(HWND dialog, int control) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, control, text, 512);
  return text;
}

class SettingsDialogTest : public MainWindowTest {
 protected:
  // Opens the dialog with the settings button and lets `act` work it.
  void with_settings_dialog(const std::function<void(HWND)>& act) {
    const bool opened = with_modal_dialog(
        window_, [&] { click_button(window_, IDC_SETTINGS); }, act);
    EXPECT_TRUE(opened);
  }

  // The GENERIC keys present in the settings file, with their values.
  std::vector<std::wstring> written_keys() const {
    std::vector<std::wstring> keys;
    for (const char16_t* key : kGenericKeys) {
      const std::wstring value = setting(u"GENERIC", key);
      if (value != L"<none>") keys.push_back(std::wstring(wide(key)) + L"=" + value);
    }
    return keys;
  }
};

TEST_F(SettingsDialogTest, ShowsTheSettingsAndWritesNothingWhenNothingChanged) {
  struct Case {
    const char* settings_file;
    int checked_radio;  // 0 when none
    bool watch, tray, control, duplicates;
  } cases[] = {
      {"", IDC_CHARSET_ANSI, true, false, false, false},
      {"CHARSET=2\r\nOBSERVE=0\r\nTRAYRUN=1\r\nCTRLTOSTR=1\r\nMATERIANODEL=1\r\nLOGDIR=D:\\logs\r\n", IDC_CHARSET_UTF16,
       false, true, true, true},
      {"CHARSET=1\r\n", IDC_CHARSET_UTF8, true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings_file);
    const std::string file = std::string("[GENERIC]\r\n") + c.settings_file;
    write_settings(file);
    ASSERT_NE(start(), nullptr);
    const Settings before = settings();
    with_settings_dialog([&](HWND dialog) {
      for (int radio : {IDC_CHARSET_ANSI, IDC_CHARSET_UTF8, IDC_CHARSET_UTF16}) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, radio), radio == c.checked_radio ? BST_CHECKED : BST_UNCHECKED) << radio;
      }
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_WATCH_ENABLED), c.watch ? BST_CHECKED : BST_UNCHECKED);
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_START_IN_TRAY), c.tray ? BST_CHECKED : BST_UNCHECKED);
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_CONTROL), c.control ? BST_CHECKED : BST_UNCHECKED);
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_KEEP_DUPLICATES), c.duplicates ? BST_CHECKED : BST_UNCHECKED);
      EXPECT_EQ(edit_text(dialog, IDC_LOG_FOLDER), wide(before.log_folder));
      // The two the user may only look at.
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SHOW_CONTROL)));
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_KEEP_DUPLICATES)));
      EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
      if (c.settings_file[0] == '\0') save_screenshot(dialog, "settings-dialog");
      click_button(dialog, IDOK);
    });
    const auto bytes = read_bytes(work_ / "tellwick.ini");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), file);
    DestroyWindow(window_);
    pump_messages();
  }
}

TEST_F(SettingsDialogTest, WritesOnlyTheValueThatChanged) {
  struct Case {
    const char* what;
    std::function<void(HWND)> change;
    std::vector<std::wstring> written;
    // clang-format off
  } cases[] = {
      {"watch off", [](HWND d) { mouse_click(d, GetDlgItem(d, IDC_WATCH_ENABLED)); }, {L"OBSERVE=0"}},
      {"start in tray", [](HWND d) { click_button(d, IDC_START_IN_TRAY); }, {L"TRAYRUN=1"}},
      {"UTF-8", [](HWND d) { click_button(d, IDC_CHARSET_UTF8); }, {L"CHARSET=1"}},
      {"UTF-16", [](HWND d) { click_button(d, IDC_CHARSET_UTF16); }, {L"CHARSET=2"}},
      {"ANSI again", [](HWND d) { click_button(d, IDC_CHARSET_ANSI); }, {}},
      {"folder gets a backslash", [](HWND d) { SetDlgItemTextW(d, IDC_LOG_FOLDER, L"D:\\logs"); },
       {L"LOGDIR=D:\\logs\\"}},
      {"folder ending in one keeps it", [](HWND d) { SetDlgItemTextW(d, IDC_LOG_FOLDER, L"D:\\logs\\"); },
       {L"LOGDIR=D:\\logs\\"}},
      {"a drive stays as typed", [](HWND d) { SetDlgItemTextW(d, IDC_LOG_FOLDER, L"C:"); }, {L"LOGDIR=C:"}},
      {"empty folder", [](HWND d) { SetDlgItemTextW(d, IDC_LOG_FOLDER, L""); }, {L"LOGDIR="}},
      {"disabled boxes cannot be pressed", [](HWND d) {
         mouse_click(d, GetDlgItem(d, IDC_SHOW_CONTROL));
         mouse_click(d, GetDlgItem(d, IDC_KEEP_DUPLICATES));
       }, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(work_ / "tellwick.ini");
    ASSERT_NE(start(), nullptr);
    with_settings_dialog([&](HWND dialog) {
      c.change(dialog);
      click_button(dialog, IDOK);
    });
    EXPECT_EQ(written_keys(), c.written);
    DestroyWindow(window_);
    pump_messages();
  }
}

TEST_F(SettingsDialogTest, NewValuesTakeEffectAtOnce) {
  ASSERT_NE(start(), nullptr);
  with_settings_dialog([&](HWND dialog) {
    click_button(dialog, IDC_WATCH_ENABLED);
    click_button(dialog, IDC_CHARSET_UTF16);
    SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"exports");
    click_button(dialog, IDOK);
  });
  EXPECT_FALSE(settings().watch_enabled);
  EXPECT_EQ(settings().charset, 2);
  EXPECT_EQ(settings().log_folder, u"exports\\");

  // An empty folder means the working directory for the rest of the run.
  with_settings_dialog([&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"");
    click_button(dialog, IDOK);
  });
  EXPECT_EQ(settings().log_folder, u"");
  EXPECT_EQ(setting(u"GENERIC", u"LOGDIR"), L"");
}

TEST_F(SettingsDialogTest, ACharsetOutOfRangeChecksNoButtonAndBecomesAnsi) {
  write_settings("[GENERIC]\r\nCHARSET=5\r\n");
  ASSERT_NE(start(), nullptr);
  with_settings_dialog([&](HWND dialog) {
    for (int radio : {IDC_CHARSET_ANSI, IDC_CHARSET_UTF8, IDC_CHARSET_UTF16}) {
      EXPECT_EQ(IsDlgButtonChecked(dialog, radio), BST_UNCHECKED) << radio;
    }
    click_button(dialog, IDOK);
  });
  EXPECT_EQ(settings().charset, 0);
  EXPECT_EQ(setting(u"GENERIC", u"CHARSET"), L"0");
}

TEST_F(SettingsDialogTest, CancelEscapeAndTheCloseBoxWriteNothing) {
  for (const Leave leave : kWaysToLeave) {
    SCOPED_TRACE(static_cast<int>(leave));
    ASSERT_NE(start(), nullptr);
    with_settings_dialog([&](HWND dialog) {
      click_button(dialog, IDC_WATCH_ENABLED);
      click_button(dialog, IDC_CHARSET_UTF8);
      SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"D:\\elsewhere");
      leave_dialog(dialog, leave, IDC_LOG_FOLDER);
    });
    EXPECT_FALSE(fs::exists(work_ / "tellwick.ini"));
    EXPECT_TRUE(settings().watch_enabled);
    EXPECT_EQ(settings().log_folder, u".\\log\\");
    EXPECT_TRUE(IsWindow(window_));  // the main window stays
    DestroyWindow(window_);
    pump_messages();
  }
}

TEST_F(SettingsDialogTest, FolderBrowserOpensAtTheFolderInTheEdit) {
  fs::create_directories(work_ / "exports" / "old");
  ASSERT_NE(start(), nullptr);
  std::wstring after_browse;
  std::wstring after_cancelled_browse;
  std::wstring after_root;
  with_settings_dialog([&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"exports\\old");
    // Confirming the browser at once takes the folder it opened at.
    with_modal_dialog(
        dialog, [&] { click_button(dialog, IDC_BROWSE_FOLDER); },
        [&](HWND browser) {
          save_screenshot(browser, "folder-browser");
          click_button(browser, IDOK);
        });
    after_browse = edit_text(dialog, IDC_LOG_FOLDER);
    with_modal_dialog(
        dialog, [&] { click_button(dialog, IDC_BROWSE_FOLDER); },
        [&](HWND browser) { click_button(browser, IDCANCEL); });
    after_cancelled_browse = edit_text(dialog, IDC_LOG_FOLDER);
    // A drive root already ends in a backslash, and gets one more.
    SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"C:\\");
    with_modal_dialog(
        dialog, [&] { click_button(dialog, IDC_BROWSE_FOLDER); }, [&](HWND browser) { click_button(browser, IDOK); });
    after_root = edit_text(dialog, IDC_LOG_FOLDER);
    click_button(dialog, IDCANCEL);
  });
  const std::wstring expected = full_path(L"exports\\old") + L"\\";
  EXPECT_EQ(after_browse, expected);
  EXPECT_EQ(after_cancelled_browse, expected);
  EXPECT_EQ(after_root, L"C:\\\\");
  EXPECT_FALSE(fs::exists(work_ / "tellwick.ini"));  // nothing saved before the dialog is confirmed
}

TEST_F(SettingsDialogTest, StatusMessagesStillReachTheMainWindow) {
  ASSERT_NE(start(), nullptr);
  with_settings_dialog([&](HWND dialog) {
    EXPECT_FALSE(IsWindowEnabled(window_));  // modal: the main window takes no input meanwhile
    status_log_append(u"ダイアログ中のお知らせ\r\n");
    click_button(dialog, IDCANCEL);
  });
  EXPECT_EQ(text_of(IDC_STATUS_LOG), L"ダイアログ中のお知らせ\r\n");
  EXPECT_TRUE(IsWindowEnabled(window_));
}

}  // namespace
}  // namespace tellwick::test
