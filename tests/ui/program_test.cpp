// tellwick.exe itself, started as a player starts it: a sample character in
// a game folder of the test's own (GAMEDIR), the program's own window worked
// from outside.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "resource_ids.h"
#include "support/chunk_files.h"
#include "support/debugged_process.h"
#include "support/environment.h"
#include "support/main_window_fixture.h"
#include "support/tray_probe.h"
#include "support/temp_dir.h"
#include "ui/wide_text.h"

namespace tellwick::test {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kCharacter[] = u"FFXIV_CHR00400000000000E2E";
constexpr DWORD kWaitStepMs = 50;
// Each of these takes well under a second; the limit only turns a hang into
// a failure of its own, long before the test's time limit ends the run.
constexpr DWORD kWaitLimitMs = 15000;

struct Started {
  HANDLE process = nullptr;
  DWORD id = 0;
};

// A program beside the tests, or at a path relative to them.
fs::path beside_tests(const fs::path& name) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  return (fs::path(module).parent_path() / name).lexically_normal();
}

Started start_tellwick(const fs::path& working_folder) {
  const fs::path program = beside_tests(TELLWICK_EXE_FROM_TESTS);
  std::wstring command_line = L"\"" + program.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Started started;
  if (CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, working_folder.c_str(),
                     &startup, &info)) {
    CloseHandle(info.hThread);
    started.process = info.hProcess;
    started.id = info.dwProcessId;
  }
  return started;
}

// The exit code, or -1 (and a failure that says so) when the process did not end.
int wait_for_exit(Started& started) {
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(started.process, kWaitLimitMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(started.process, &code);
  } else {
    ADD_FAILURE() << "process " << started.id << " still running after " << kWaitLimitMs << " ms";
  }
  return static_cast<int>(code);
}

// The process's main window, shown or hidden, once it exists.
HWND wait_for_main_window(const Started& started) {
  struct Search {
    DWORD id;
    HWND found;
  };
  for (DWORD waited = 0; waited < kWaitLimitMs; waited += kWaitStepMs) {
    Search search{started.id, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          wchar_t title[32] = {};
          GetWindowTextW(window, title, 32);
          if (owner == s->id && lstrcmpW(title, L"Tellwick") == 0 && GetDlgItem(window, IDC_EXTRACT) != nullptr) {
            s->found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    if (WaitForSingleObject(started.process, kWaitStepMs) == WAIT_OBJECT_0) {
      ADD_FAILURE() << "process " << started.id << " ended without showing its main window";
      return nullptr;
    }
  }
  ADD_FAILURE() << "no main window of process " << started.id << " within " << kWaitLimitMs << " ms";
  return nullptr;
}

template <typename Condition>
::testing::AssertionResult wait_until(Condition condition) {
  for (DWORD waited = 0; waited < kWaitLimitMs; waited += kWaitStepMs) {
    if (condition()) return ::testing::AssertionSuccess();
    Sleep(kWaitStepMs);
  }
  return ::testing::AssertionFailure() << "not so within " << kWaitLimitMs << " ms";
}

::testing::AssertionResult wait_until_visible(HWND window, bool visible) {
  return wait_until([&] { return (IsWindowVisible(window) != FALSE) == visible; });
}

// Sends a message to a window of the program under test and waits for its
// answer, but no longer than kWaitLimitMs: a window that hangs fails the test
// instead of hanging the run. False when no answer came in time (or the
// program ended before answering, which callers that end it check by its
// exit).
bool send_to_program(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* answer = nullptr) {
  DWORD_PTR result = 0;
  const bool answered =
      SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kWaitLimitMs, &result) != 0;
  if (answer != nullptr) *answer = static_cast<LRESULT>(result);
  return answered;
}

// The answer of the program's window, which must come in time.
LRESULT ask(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT answer = 0;
  EXPECT_TRUE(send_to_program(window, message, wparam, lparam, &answer))
      << "no answer to message " << message << " within " << kWaitLimitMs << " ms";
  return answer;
}

LRESULT ask_control(HWND window, int control, UINT message, WPARAM wparam, LPARAM lparam) {
  return ask(GetDlgItem(window, control), message, wparam, lparam);
}

// Ends the program with its exit button; the caller waits for the exit.
void click_exit(HWND window) { send_to_program(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0); }

std::wstring control_text(HWND window, int control) {
  wchar_t text[4096] = {};
  ask_control(window, control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  return text;
}

// A key pressed while the program's window has the focus: it goes through the
// program's own message loop and dialog manager.
void press_key_in(HWND window, WPARAM key) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
  const HWND target = gui.hwndFocus != nullptr ? gui.hwndFocus : window;
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = dir_.path() / "game";
    character_ = game_ / fs::path(kCharacter);
    const FileTime t0 = file_time_of_unix(kFirstEntryTime);
    write_chunk(character_, 0,
                chunk_bytes(0, {{kFirstEntryTime, 0x000A, ":Aaa Bbb:hello"},
                                {kFirstEntryTime + 1, 0x000C, ":Ccc Ddd:こんにちは"}}),
                t0);
    work_ = dir_.path() / "work";
    fs::create_directories(work_);
    write_settings("");
  }

  // The settings file: GAMEDIR naming the test's game folder, then `generic`
  // (more lines of the same section).
  void write_settings(const std::string& generic) {
    const std::string text = "[GENERIC]\r\nGAMEDIR=" + game_.string() + "\r\n" + generic;
    write_bytes(work_ / "tellwick.ini", std::vector<unsigned char>(text.begin(), text.end()));
  }

  void TearDown() override {
    for (Started& s : started_) {
      if (WaitForSingleObject(s.process, 0) == WAIT_TIMEOUT) TerminateProcess(s.process, 1);
      CloseHandle(s.process);
    }
  }

  Started start() {
    started_.push_back(start_tellwick(work_));
    return started_.back();
  }

  void select_character(HWND window) {
    const LRESULT index = ask_control(window, IDC_CHARACTER_LIST, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(wide(kCharacter)));
    ASSERT_GE(index, 0);
    ask_control(window, IDC_CHARACTER_LIST, CB_SETCURSEL, index, 0);
    ask(window, WM_COMMAND, MAKEWPARAM(IDC_CHARACTER_LIST, CBN_SELCHANGE),
        reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_CHARACTER_LIST)));
  }

  // A program started with the start-in-tray setting: its main window once
  // its message loop answers (start-up has hidden it by then), or nullptr.
  HWND start_in_tray(Started& program) {
    write_settings("TRAYRUN=1\r\n");
    program = start();
    if (program.process == nullptr) {
      ADD_FAILURE() << "tellwick.exe did not start";
      return nullptr;
    }
    const HWND window = wait_for_main_window(program);
    if (window != nullptr) ask(window, WM_NULL, 0, 0);
    return window;
  }

  // The labels of the character list of a program started now, which is
  // then ended with its exit button.
  std::vector<std::wstring> listed_characters() {
    Started program = start();
    const HWND window = wait_for_main_window(program);
    if (window == nullptr) return {L"<no window>"};
    ask(window, WM_NULL, 0, 0);  // answered by the message loop, once the list is filled
    std::vector<std::wstring> labels;
    const LRESULT count = ask_control(window, IDC_CHARACTER_LIST, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t label[256] = {};
      if (ask_control(window, IDC_CHARACTER_LIST, CB_GETLBTEXTLEN, i, 0) < 256) {
        ask_control(window, IDC_CHARACTER_LIST, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(label));
      }
      labels.push_back(label);
    }
    click_exit(window);
    EXPECT_EQ(wait_for_exit(program), 0);
    return labels;
  }

  TempDir dir_;
  fs::path work_;
  fs::path game_;
  fs::path character_;
  std::vector<Started> started_;
};

TEST_F(ProgramTest, ExportsWithTheExtractButtonAndRunsOnlyOnce) {
  Started first = start();
  ASSERT_NE(first.process, nullptr);
  const HWND window = wait_for_main_window(first);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(wait_until_visible(window, true));
  EXPECT_EQ(control_text(window, IDC_VERSION_TEXT), L"Ver.15.06.20.0");

  select_character(window);
  ask_control(window, IDC_EXTRACT, BM_CLICK, 0, 0);  // answered when the export is done
  EXPECT_EQ(control_text(window, IDC_STATUS_LOG),
            L"新しいログの記録を確認しました。\r\n.\\log\\2014.03.05.1855.logに保存しました。\r\n");
  // The default output charset: the system's ANSI code page, Shift_JIS here.
  const std::wstring expected = L"5316F48C000A:Aaa Bbb:hello\r\n5316F48D000C:Ccc Ddd:こんにちは\r\n";
  std::string expected_bytes(expected.size() * 2, '\0');
  expected_bytes.resize(WideCharToMultiByte(932, 0, expected.data(), static_cast<int>(expected.size()),
                                            expected_bytes.data(), static_cast<int>(expected_bytes.size()), nullptr,
                                            nullptr));
  const auto bytes = read_bytes(work_ / "log" / "2014.03.05.1855.log");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected_bytes);

  // A second copy ends at once, leaving the first as it was.
  Started second = start();
  ASSERT_NE(second.process, nullptr);
  EXPECT_EQ(wait_for_exit(second), 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsWindowVisible(window));

  click_exit(window);
  EXPECT_EQ(wait_for_exit(first), 0);
}

TEST_F(ProgramTest, StartsInTheTrayHidesOnCloseAndEndsOnEscape) {
  Started program;
  const HWND window = start_in_tray(program);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(icon_is_shown(window));

  // A left click on the icon: the notification area sends the callback message.
  PostMessageW(window, WM_USER, 1, WM_LBUTTONDOWN);
  EXPECT_TRUE(wait_until_visible(window, true));
  EXPECT_FALSE(icon_is_shown(window));

  // The close box hides it again; the program keeps running.
  ask(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(icon_is_shown(window));
  EXPECT_EQ(WaitForSingleObject(program.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  ask(window, WM_USER, 1, WM_LBUTTONDOWN);
  ASSERT_TRUE(IsWindowVisible(window));
  press_key_in(window, VK_ESCAPE);
  EXPECT_EQ(wait_for_exit(program), 0);
  EXPECT_FALSE(icon_is_shown(window));
}

// The shell restarts while the window is in the tray, and the player starts
// the program again to reach it: the running window comes back, in front.
TEST_F(ProgramTest, AfterAShellRestartTheIconReturnsAndASecondStartShowsTheWindow) {
  Started program;
  const HWND window = start_in_tray(program);
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(IsWindowVisible(window));
  ASSERT_TRUE(icon_is_shown(window));

  NOTIFYICONDATAW gone{};
  gone.cbSize = sizeof gone;
  gone.hWnd = window;
  gone.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
  ASSERT_FALSE(icon_is_shown(window));
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(wait_until([&] { return icon_is_shown(window); }));
  EXPECT_FALSE(IsWindowVisible(window));

  Started second = start();
  ASSERT_NE(second.process, nullptr);
  EXPECT_EQ(wait_for_exit(second), 0);
  EXPECT_TRUE(wait_until_visible(window, true));
  EXPECT_FALSE(icon_is_shown(window));
  EXPECT_TRUE(wait_until([&] { return GetForegroundWindow() == window; }));

  // Minimised rather than in the tray: a further start restores it.
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(wait_until([&] { return IsIconic(window) != FALSE; }));
  Started third = start();
  ASSERT_NE(third.process, nullptr);
  EXPECT_EQ(wait_for_exit(third), 0);
  EXPECT_TRUE(wait_until([&] { return IsIconic(window) == FALSE && IsWindowVisible(window) != FALSE; }));
  EXPECT_EQ(WaitForSingleObject(program.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  press_key_in(window, VK_ESCAPE);
  EXPECT_EQ(wait_for_exit(program), 0);
}

// Log-off or shut-down, as the system tells each top-level window: a
// cancelled one changes nothing; once it goes ahead the icon goes at once,
// no export starts any more, and the program ends by itself.
TEST_F(ProgramTest, EndsCleanlyWithTheSession) {
  Started program;
  const HWND window = start_in_tray(program);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(icon_is_shown(window));
  select_character(window);

  EXPECT_NE(ask(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0) << "the program lets the session end";
  ask(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(icon_is_shown(window));
  EXPECT_EQ(WaitForSingleObject(program.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  EXPECT_NE(ask(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
  ASSERT_TRUE(send_to_program(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF));
  EXPECT_FALSE(icon_is_shown(window));
  // A click that comes after (as a queued one would) exports nothing; the
  // program may already be gone, which is as good.
  send_to_program(GetDlgItem(window, IDC_EXTRACT), BM_CLICK, 0, 0);
  EXPECT_EQ(wait_for_exit(program), 0);
  EXPECT_FALSE(fs::exists(work_ / "log" / "2014.03.05.1855.log"));
}

TEST_F(ProgramTest, GameDirSettingNamesTheGameFolder) {
  constexpr char16_t kOther[] = u"FFXIV_CHR00400000000000F00";
  game_ = dir_.path() / "elsewhere";
  write_chunk(game_ / fs::path(kOther), 0, chunk_bytes(0, {{kFirstEntryTime, 0x000A, ":Aaa Bbb:hello"}}),
              file_time_of_unix(kFirstEntryTime));
  write_settings("");
  EXPECT_EQ(listed_characters(), std::vector<std::wstring>{wide(kOther)});
}

// A character in the prefix's own Documents game folder, for the one test
// about that folder. It leaves the folder as it found it: the folders it made
// are removed, or else its character and the game folder's time put back.
class DocumentsCharacter {
 public:
  explicit DocumentsCharacter(const std::u16string& name) {
    std::u16string documents;
    if (!documents_folder(documents)) return;
    game_folder_ = fs::path(documents) / "My Games" / "FINAL FANTASY XIV - A Realm Reborn";
    std::error_code ignored;
    for (const fs::path& folder : {game_folder_.parent_path(), game_folder_}) {
      if (made_.empty() && !fs::exists(folder, ignored)) made_ = folder;
    }
    if (made_.empty()) folder_time(game_folder_, &time_, false);
    character_ = game_folder_ / fs::path(name);
    write_chunk(character_, 0, chunk_bytes(0, {{kFirstEntryTime, 0x000A, ":Aaa Bbb:hello"}}),
                file_time_of_unix(kFirstEntryTime));
  }
  ~DocumentsCharacter() {
    std::error_code ignored;
    if (game_folder_.empty()) return;
    if (!made_.empty()) {
      fs::remove_all(made_, ignored);
      return;
    }
    fs::remove_all(character_, ignored);
    folder_time(game_folder_, &time_, true);
  }
  DocumentsCharacter(const DocumentsCharacter&) = delete;
  DocumentsCharacter& operator=(const DocumentsCharacter&) = delete;

 private:
  // Reads or sets a folder's last-write time (a folder needs a handle of its own).
  static void folder_time(const fs::path& folder, FILETIME* time, bool set) {
    const HANDLE handle = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    if (set) {
      SetFileTime(handle, nullptr, nullptr, time);
    } else {
      GetFileTime(handle, nullptr, nullptr, time);
    }
    CloseHandle(handle);
  }

  fs::path game_folder_;
  fs::path made_;
  fs::path character_;
  FILETIME time_{};
};

TEST_F(ProgramTest, UnderWineLaunchersFoldersServeWhenDocumentsHoldsNoCharacter) {
  constexpr char16_t kOther[] = u"FFXIV_CHR00400000000000F01";
  const fs::path home = dir_.path() / "home";
  // XIVLauncher.Core's folder, written after the Documents character.
  write_chunk(home / ".xlcore" / "ffxivConfig" / fs::path(kOther), 0,
              chunk_bytes(0, {{kFirstEntryTime, 0x000A, ":Aaa Bbb:hello"}}), file_time_of_unix(kFirstEntryTime + 60));
  // The program reads the Unix home folder from the environment it inherits.
  EnvironmentScope home_variable("HOME", unix_path_of(home));
  fs::remove(work_ / "tellwick.ini");  // no GAMEDIR: the program chooses
  {
    const DocumentsCharacter in_documents(kCharacter);
    EXPECT_EQ(listed_characters(), std::vector<std::wstring>{wide(kCharacter)});  // the prefix's own Documents first
  }
  EXPECT_EQ(listed_characters(), std::vector<std::wstring>{wide(kOther)});
}

// Start-up whose window cannot be created (its template is missing): it says
// why to the debugger, gives the single-instance mark up before it ends with
// an error, and the next start runs as usual.
TEST_F(ProgramTest, StartUpWithoutItsWindowSaysWhyEndsWithAnErrorAndLetsTheNextStartRun) {
  bool mutex_held_while_telling = true;
  const std::wstring failure = L"Tellwick: the main window could not be created (error 1812)\r\n";
  const fs::path program = beside_tests("start_without_window.exe");
  const DebuggedRun run = run_under_debugger(program, work_, [&](const std::wstring& text) {
    if (text != failure) return;  // start-up's other diagnostics come before the window
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"TELLWICKMUTEX");
    mutex_held_while_telling = mutex != nullptr;
    if (mutex != nullptr) CloseHandle(mutex);
  });
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exit_code, 1u);
  // 1812: the image has no resource section at all.
  EXPECT_TRUE(run.output.ends_with(failure)) << testing::PrintToString(run.output);
  EXPECT_FALSE(mutex_held_while_telling);

  Started next = start();
  ASSERT_NE(next.process, nullptr);
  const HWND window = wait_for_main_window(next);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(wait_until_visible(window, true));
  click_exit(window);
  EXPECT_EQ(wait_for_exit(next), 0);
}

}  // namespace
}  // namespace tellwick::test
