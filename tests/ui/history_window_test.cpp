// The history window as a player meets it: opened from the main window on
// the selected character's current log, its sources, its list and detail
// pane, its filters, and closing it while a long history still loads.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "chunkgen/chunk_series.h"
#include "history/channel_choices.h"
#include "history/history_session.h"
#include "history/history_sources.h"
#include "history/read_command.h"
#include "history/session_view.h"
#include "resource_ids.h"
#include "support/chunk_files.h"
#include "support/main_window_fixture.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "support/temp_dir.h"
#include "ui/history_list.h"
#include "ui/history_window.h"
#include "ui/history_worker.h"
#include "ui/program_state.h"
#include "ui/wide_text.h"

namespace tellwick::test {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
const std::string kNewLine = "\x02\x10\x01\x03";

class HistoryWindowTest : public MainWindowTest {
 protected:
  void TearDown() override {
    close_history_windows();
    MainWindowTest::TearDown();
  }

  fs::path character() { return game_ / fs::path(std::u16string(kCharacter)); }

  // A generated series of the character, as the game would leave it.
  void generate(std::uint64_t entries, chunkgen::EntryShape shape = chunkgen::EntryShape::kRealShaped) {
    chunkgen::SeriesOptions options;
    options.game_folder = game_;
    options.character = fs::path(std::u16string(kCharacter)).string();
    options.entries = entries;
    options.shape = shape;
    chunkgen::SeriesSummary summary;
    std::string error;
    ASSERT_TRUE(chunkgen::write_chunk_series(options, summary, error)) << error;
  }

  HWND open_history(bool pump = true) {
    click_button(window_, IDC_HISTORY);
    if (pump) pump_messages();
    history_ = FindWindowW(kHistoryWindowClass, nullptr);
    return history_;
  }

  // Runs the thread's messages one at a time until `done` says true: the
  // reading posts as it goes, and pump_messages would run to its end.
  bool step_until(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > 30000) return false;
      MSG message;
      if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        continue;
      }
      if (history_window_message(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return true;
  }

  HWND control(int id) const { return GetDlgItem(history_, id); }
  std::wstring text(int id) const {
    const HWND c = control(id);
    std::wstring t(static_cast<std::size_t>(GetWindowTextLengthW(c)) + 1, L'\0');
    t.resize(static_cast<std::size_t>(GetWindowTextW(c, t.data(), static_cast<int>(t.size()))));
    return t;
  }
  int rows(int list = kHistoryEntryList) const {
    return static_cast<int>(SendMessageW(control(list), LVM_GETITEMCOUNT, 0, 0));
  }
  std::wstring cell(int row, int column, int list = kHistoryEntryList) const {
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 1024;
    SendMessageW(control(list), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
  }
  std::vector<std::wstring> combo_items(int id) const {
    std::vector<std::wstring> items;
    const LRESULT n = SendMessageW(control(id), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      std::wstring item(static_cast<std::size_t>(SendMessageW(control(id), CB_GETLBTEXTLEN, i, 0)), L'\0');
      SendMessageW(control(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
      items.push_back(item);
    }
    return items;
  }
  // As the user picks an item: the box tells its window.
  void choose(int id, int index) {
    SendMessageW(control(id), CB_SETCURSEL, index, 0);
    SendMessageW(history_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control(id)));
    pump_messages();
  }
  void select_row(int row, int list = kHistoryEntryList) {
    select_only(control(list), row);
    pump_messages();
  }
  bool loading() const { return text(kHistoryStatusLine).find(L"読み込み中") != std::wstring::npos; }
  bool wait_loaded() {
    return pump_until([&] { return !loading(); });
  }

  HWND history_ = nullptr;
};

int threads_of_this_process() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  }
  CloseHandle(snapshot);
  return count;
}

// What a reading with these --channel and --grep values shows of the series.
std::size_t read_count(const std::u16string& character_folder, const std::string& channels, const std::string& grep) {
  ReadArguments arguments;
  if (!channels.empty()) arguments.channels = {channels};
  arguments.has_grep = !grep.empty();
  arguments.grep = grep;
  HistoryPrinter printer;
  std::string error;
  EXPECT_TRUE(make_history_filter(arguments, printer.filter, error)) << error;
  std::size_t count = 0;
  printer.sinks.history = [&](std::string_view text) {
    for (const char c : text) count += c == '\n';
  };
  read_chunk_history(printer, character_folder);
  return count;
}

TEST_F(HistoryWindowTest, OpensFromItsButtonOnTheSelectedCharactersCurrentLog) {
  add_character(kCharacter);
  write_chunk(character(), 0,
              chunk_bytes(0, {{kFirstEntryTime, 0x000A, ":Aaa Bbb:hello"},
                              {kFirstEntryTime + 1, 0x000D, ":Ccc Ddd:こんにちは" + kNewLine + "二行目"},
                              {kFirstEntryTime + 2, 0x0039, "::Welcome"},
                              {kFirstEntryTime + 60, 0x000E, ":Aaa Bbb:Party on"}}),
              file_time_of_unix(kFirstEntryTime));
  fs::create_directories(work_ / "log");
  const std::string exported = "5316F48C000A:Aaa Bbb:one\r\n5316F48D000A:Aaa Bbb:two\r\n";
  write_bytes(work_ / "log" / "2014.03.05.2107.log", std::vector<unsigned char>(exported.begin(), exported.end()));
  write_bytes(work_ / "log" / "2014.03.04.1200.log", std::vector<unsigned char>(exported.begin(), exported.end()));
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(open_history(), nullptr);

  wchar_t title[256] = {};
  GetWindowTextW(history_, title, 256);
  EXPECT_EQ(std::wstring(title), L"履歴 - FFXIV_CHR0040000001A2B3C4D");
  EXPECT_TRUE(GetWindowLongW(history_, GWL_STYLE) & WS_THICKFRAME);  // resizable
  EXPECT_EQ(GetWindow(history_, GW_OWNER), nullptr);                 // a window of its own

  ASSERT_TRUE(wait_loaded());
  ASSERT_EQ(rows(), 4);
  EXPECT_EQ(cell(0, 0), L"2014-03-05 18:55:24");
  EXPECT_EQ(cell(0, 1), L"Say");
  EXPECT_EQ(cell(0, 2), L"Aaa Bbb");
  EXPECT_EQ(cell(0, 3), L"hello");
  EXPECT_EQ(cell(1, 1), L"TellIncoming");
  EXPECT_EQ(cell(1, 3), L"こんにちは 二行目");
  EXPECT_EQ(cell(2, 2), L"");

  // The message shows whole, line break and all, below the list.
  select_row(1);
  EXPECT_EQ(text(kHistoryDetailBox), L"2014-03-05 18:55:25 [TellIncoming] Ccc Ddd\r\nこんにちは\r\n二行目");

  // The current log, then the export files newest first, each counted.
  ASSERT_TRUE(pump_until([&] { return combo_items(kHistorySourceBox).back().find(L"件") != std::wstring::npos; }));
  EXPECT_EQ(combo_items(kHistorySourceBox),
            (std::vector<std::wstring>{L"現在のログ  4件", L"2014/03/05 21:07  2件", L"2014/03/04 12:00  2件"}));
  EXPECT_EQ(SendMessageW(control(kHistorySourceBox), CB_GETCURSEL, 0, 0), 0);
  choose(kHistorySourceBox, 1);
  ASSERT_TRUE(wait_loaded());
  ASSERT_EQ(rows(), 2);
  EXPECT_EQ(cell(1, 3), L"two");

  // Standard controls, the search box the first edit box in tab order.
  wchar_t kind[64] = {};
  GetClassNameW(control(kHistoryEntryList), kind, 64);
  EXPECT_STREQ(kind, WC_LISTVIEWW);
  const LONG style = GetWindowLongW(control(kHistoryEntryList), GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_OWNERDATA);
  for (int c = 0; c < 4; ++c) {
    wchar_t heading[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = 32;
    SendMessageW(control(kHistoryEntryList), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    EXPECT_STREQ(heading, kEntryColumnTitles[c]);
  }
  HWND first_edit = nullptr;
  HWND tab = GetNextDlgTabItem(history_, nullptr, FALSE);
  for (int i = 0; i < 20 && tab != nullptr && first_edit == nullptr; ++i) {
    GetClassNameW(tab, kind, 64);
    if (lstrcmpiW(kind, L"Edit") == 0) first_edit = tab;
    tab = GetNextDlgTabItem(history_, tab, FALSE);
  }
  EXPECT_EQ(first_edit, control(kHistorySearchBox));
  save_screenshot(history_, "history-window");
}

TEST_F(HistoryWindowTest, RowsTakeTheirChannelsColour) {
  HistorySession session;
  add_session_entry(session, 1, 0x000D, "Ccc", "tell");
  add_session_entry(session, 2, 0x000E, "Ddd", "party");
  const std::vector<std::uint32_t> shown = {1, 0};
  for (const auto& [row, rgb] : {std::pair<int, std::uint32_t>{0, 0x66E5FF}, {1, 0xFFB8DE}}) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.dwItemSpec = row;
    draw_history_row(draw, session, &shown);
    EXPECT_EQ(draw.clrText, RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF)) << row;
  }
}

TEST_F(HistoryWindowTest, FiltersNarrowTheListAsTheReadingsFiltersDo) {
  add_character(kCharacter);
  generate(3000);
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(open_history(), nullptr);
  ASSERT_TRUE(wait_loaded());
  ASSERT_EQ(rows(), 3000);
  const std::u16string folder = character().u16string() + u"\\";

  struct Case {
    const char* channels;  // a choice's key, as --channel takes it
    const wchar_t* search;
    const char* grep;
  } cases[] = {
      {"TellOutgoing,TellIncoming", L"", ""}, {"chat", L"", ""},   {"", L"THE", "the"}, {"chat", L"e", "e"},
      {"chat", L"ありがとう", "ありがとう"},  {"battle", L"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channels);
    choose(kHistoryChannelBox, static_cast<int>(channel_choice_of_key(c.channels)));
    // Each change of the box's text narrows the list at once.
    SetWindowTextW(control(kHistorySearchBox), c.search);
    pump_messages();
    EXPECT_EQ(static_cast<std::size_t>(rows()), read_count(folder, c.channels, c.grep));
  }

  // Esc empties the search box; Ctrl+F goes back to it.
  choose(kHistoryChannelBox, 0);
  SetWindowTextW(control(kHistorySearchBox), L"zzzz");
  pump_messages();
  EXPECT_EQ(rows(), 0);
  SetFocus(control(kHistoryEntryList));
  press_key(history_, VK_ESCAPE);
  pump_messages();
  EXPECT_EQ(text(kHistorySearchBox), L"");
  EXPECT_EQ(rows(), 3000);
  EXPECT_TRUE(IsWindow(history_));  // Esc does not close it
  press_control_key(history_, 'F');
  EXPECT_EQ(GetFocus(), control(kHistorySearchBox));

  // "この発言者だけ" from a row: that sender's rows, every one of them.
  int row = 0;
  while (cell(row, 2).empty()) ++row;
  const std::wstring sender = cell(row, 2);
  int expected = 0;
  for (int r = 0; r < rows(); ++r) expected += cell(r, 2) == sender;
  select_row(row);
  SendMessageW(history_, WM_COMMAND, kHistoryOneSenderCommand, 0);
  pump_messages();
  ASSERT_EQ(rows(), expected);
  for (int r = 0; r < rows(); ++r) ASSERT_EQ(cell(r, 2), sender) << r;
  SendMessageW(history_, WM_COMMAND, kHistoryAllSendersCommand, 0);
  pump_messages();
  EXPECT_EQ(rows(), 3000);
}

// Long enough that its reading is under way when the first rows show.
constexpr int kLongHistory = 800000;

TEST_F(HistoryWindowTest, ClosingWhileALongHistoryLoadsStopsTheReading) {
  add_character(kCharacter);
  generate(kLongHistory, chunkgen::EntryShape::kShort);
  ASSERT_NE(start(), nullptr);
  const int threads = threads_of_this_process();
  ASSERT_NE(open_history(false), nullptr);
  // The first rows show while the rest is still being read.
  ASSERT_TRUE(step_until([&] { return rows() > 0; }));
  EXPECT_TRUE(loading());
  EXPECT_TRUE(IsWindowVisible(control(kHistoryProgressBar)));
  EXPECT_LT(rows(), kLongHistory);

  SendMessageW(history_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(history_));
  // Its readings ended with it.
  EXPECT_EQ(threads_of_this_process(), threads);
  // The main window goes on as before.
  pump_messages();
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(quit_was_posted());
}

// A reading that is asked to stop stops between two entries, long before
// its end, and still says it finished.
TEST_F(HistoryWindowTest, ReadingsStopBetweenEntries) {
  add_character(kCharacter);
  generate(100000, chunkgen::EntryShape::kShort);
  fs::create_directories(work_ / "log");
  const HWND sink = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  const std::vector<HistorySource> sources = {{true, character().u16string() + u"\\"}};
  const WorkerJob jobs[] = {load_job(sources[0]), search_job(sources, "e")};
  for (const WorkerJob& job : jobs) {
    HistoryWorker worker;
    start_worker(worker, sink, WM_APP, job);
    const std::shared_ptr<WorkerLink> link = worker.link;
    stop_worker(worker);
    EXPECT_FALSE(worker.thread.joinable());
    std::lock_guard<std::mutex> lock(link->mutex);
    EXPECT_TRUE(link->mail.finished);
    EXPECT_LT(link->mail.entries.count, 8192u);
  }
  // Left alone, the same readings take every entry.
  HistoryWorker worker;
  start_worker(worker, sink, WM_APP, jobs[0]);
  const std::shared_ptr<WorkerLink> link = worker.link;
  worker.thread.join();
  EXPECT_EQ(link->mail.entries.count, 100000u);
  stop_worker(worker);
  DestroyWindow(sink);
}

}  // namespace
}  // namespace tellwick::test
