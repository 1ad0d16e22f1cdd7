#include "support/main_window_fixture.h"

#include "gamelog/game_folders.h"
#include "resource_ids.h"
#include "settings/settings.h"
#include "support/chunk_files.h"
#include "support/debugger_capture.h"
#include "support/message_pump.h"
#include "support/settings_keys.h"
#include "ui/main_window.h"
#include "ui/program_state.h"
#include "ui/wide_text.h"
#include "watch/watch_cycle.h"

namespace tellwick::test {

namespace fs = std::filesystem;

void MainWindowTest::SetUp() {
  work_ = dir_.path() / "work";
  game_ = dir_.path() / "game";
  fs::create_directories(work_);
  fs::create_directories(game_);
  cwd_ = std::make_unique<CurrentDirScope>(work_);
  set_game_user_folder_override(game_.u16string());
  watch_state() = WatchState{};
  clear_debugger_capture();
  forget_quit();
}

void MainWindowTest::TearDown() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  pump_messages();
  forget_quit();
  main_window() = nullptr;
  set_game_user_folder_override(u"");
  cwd_.reset();
}

void MainWindowTest::write_settings(const std::string& text) {
  write_bytes(work_ / "tellwick.ini", std::vector<unsigned char>(text.begin(), text.end()));
}

fs::path MainWindowTest::add_character(const std::u16string& name, bool with_chunks) {
  const fs::path folder = game_ / fs::path(name);
  fs::create_directories(folder / "log");
  if (with_chunks) {
    const FileTime t0 = file_time_of_unix(kFirstEntryTime);
    write_chunk(folder, 0,
                chunk_bytes(0, {{kFirstEntryTime, 0x000A, ":Aaa Bbb:hello"},
                                {kFirstEntryTime + 1, 0x000C, ":Ccc Ddd:こんにちは"}}),
                t0);
    write_chunk(folder, 1, chunk_bytes(2, {{kFirstEntryTime + 60, 0x000E, "three"}}), t0 + 10);
  }
  return folder;
}

HWND MainWindowTest::start() {
  settings() = load_settings();
  window_ = create_main_window(module_instance());
  if (window_ == nullptr) return nullptr;
  ShowWindow(window_, SW_SHOW);
  pump_messages();
  return window_;
}

std::wstring MainWindowTest::text_of(int control) const {
  const HWND item = GetDlgItem(window_, control);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(GetWindowTextW(item, text.data(), static_cast<int>(text.size())));
  return text;
}

std::vector<std::wstring> MainWindowTest::list_items() const {
  std::vector<std::wstring> items;
  const LRESULT count = SendDlgItemMessageW(window_, IDC_CHARACTER_LIST, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendDlgItemMessageW(window_, IDC_CHARACTER_LIST, CB_GETLBTEXTLEN, i, 0)),
                      L'\0');
    SendDlgItemMessageW(window_, IDC_CHARACTER_LIST, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    items.push_back(item);
  }
  return items;
}

int MainWindowTest::selected_item() const {
  return static_cast<int>(SendDlgItemMessageW(window_, IDC_CHARACTER_LIST, CB_GETCURSEL, 0, 0));
}

void MainWindowTest::select_item(int index) {
  SendDlgItemMessageW(window_, IDC_CHARACTER_LIST, CB_SETCURSEL, index, 0);
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(IDC_CHARACTER_LIST, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(window_, IDC_CHARACTER_LIST)));
}

std::wstring MainWindowTest::setting(const char16_t* section, const char16_t* key) const {
  return wide(test::read_settings_key(section, key, u"<none>"));
}

}  // namespace tellwick::test
