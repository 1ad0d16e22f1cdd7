// The history window as a player meets it: opened from the main window on
// the selected character's current log, its sources, its list and detail
// pane, its filters, and closing it while a long history still loads.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
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
#include "history/history_reader.h"
#include "history/read_command.h"
#include "history/session_view.h"
#include "resource_ids.h"
#include "settings/history_window_settings.h"
#include "support/chunk_files.h"
#include "support/main_window_fixture.h"
#include "support/message_pump.h"
#include "support/modal_dialog.h"
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

std::wstring clipboard_text() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<no clipboard>";
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data != nullptr) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// The lines a reading in text format prints for the series, as the window
// copies them: one per entry, each ending in "\r\n".
std::vector<std::wstring> printed_lines(const std::u16string& character_folder) {
  HistoryPrinter printer;
  std::string out;
  printer.sinks.history = [&](std::string_view text) { out += text; };
  read_chunk_history(printer, character_folder);
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(wide_of_utf8(std::string_view(out).substr(start, end - start)) + L"\r\n");
  }
  return lines;
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
  select_row(7);
  save_screenshot(history_, "history-window");
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

class HistoryWindowUseTest : public HistoryWindowTest {
 protected:
  void SetUp() override {
    HistoryWindowTest::SetUp();
    add_character(kCharacter);
    write_chunk(character(), 0,
                chunk_bytes(0, {{kFirstEntryTime, 0x000A, ":Aaa Bbb:hello"},
                                {kFirstEntryTime + 1, 0x000D, ":Ccc Ddd:こんにちは" + kNewLine + "二行目"},
                                {kFirstEntryTime + 2, 0x0039, "::Welcome"},
                                {kFirstEntryTime + 60, 0x000E, ":Aaa Bbb:Party HELLO"}}),
                file_time_of_unix(kFirstEntryTime));
    fs::create_directories(work_ / "log");
    const std::string older = "5316F48C000A:Eee Fff:nothing here\r\n5316F48D000A:Eee Fff:say Hello\r\n";
    const std::string newer = "5316F48C000E:Ggg:one\r\n5316F48D000E:Ggg:two\r\n5316F48E000E:Ggg:hello three\r\n";
    write_bytes(work_ / "log" / "2014.03.04.1200.log", std::vector<unsigned char>(older.begin(), older.end()));
    write_bytes(work_ / "log" / "2014.03.05.2107.log", std::vector<unsigned char>(newer.begin(), newer.end()));
  }

  std::u16string character_folder() { return character().u16string() + u"\\"; }
};

TEST_F(HistoryWindowUseTest, CopiesTheSelectedRowsAsTheReadingPrintsThem) {
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(open_history(), nullptr);
  ASSERT_TRUE(wait_loaded());
  const std::vector<std::wstring> lines = printed_lines(character_folder());
  ASSERT_EQ(lines.size(), 4u);

  // Ctrl+C in the list: the selected rows, in order.
  select_row(1);
  LVITEMW also{};
  also.stateMask = LVIS_SELECTED;
  also.state = LVIS_SELECTED;
  SendMessageW(control(kHistoryEntryList), LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&also));
  SetFocus(control(kHistoryEntryList));
  press_control_key(history_, 'C');
  EXPECT_EQ(clipboard_text(), lines[1] + lines[3]);

  // The context menu's copy, of a filtered list: the rows as shown.
  SetWindowTextW(control(kHistorySearchBox), L"hello");
  pump_messages();
  ASSERT_EQ(rows(), 2);
  select_row(1);
  SendMessageW(history_, WM_COMMAND, kHistoryCopyCommand, 0);
  pump_messages();
  EXPECT_EQ(clipboard_text(), lines[3]);

  // Ctrl+A selects every row shown.
  SetFocus(control(kHistoryEntryList));
  press_control_key(history_, 'A');
  press_control_key(history_, 'C');
  EXPECT_EQ(clipboard_text(), lines[0] + lines[3]);
}

TEST_F(HistoryWindowUseTest, SavesTheRowsShownAsUtf8ButNeverIntoTheGameFolder) {
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(open_history(), nullptr);
  ASSERT_TRUE(wait_loaded());
  choose(kHistoryChannelBox, static_cast<int>(channel_choice_of_key("TellOutgoing,TellIncoming")));
  SetWindowTextW(control(kHistorySearchBox), L"");
  pump_messages();
  ASSERT_EQ(rows(), 1);
  const std::vector<std::wstring> lines = printed_lines(character_folder());

  struct Case {
    fs::path path;
    bool saved;
  } cases[] = {
      {dir_.path() / "saved.txt", true},
      {character() / "log" / "saved.txt", false},      // inside the game folder
      {work_ / "log" / "2014.03.04.1200.log", false},  // an export file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    const auto before = fs::exists(c.path) ? read_bytes(c.path) : std::vector<unsigned char>{};
    // The standard save dialog, as the user fills it in; a file that is
    // there already is to be replaced, as the dialog then asks.
    const bool there = fs::exists(c.path);
    ASSERT_TRUE(with_modal_dialog(
        history_, [&] { click_button(history_, kHistorySaveButton); },
        [&](HWND dialog) {
          HWND name = GetDlgItem(dialog, cmb13);
          if (name == nullptr) name = GetDlgItem(dialog, edt1);
          ASSERT_NE(name, nullptr);
          SetWindowTextW(name, c.path.wstring().c_str());
          if (!there) {
            click_button(dialog, IDOK);
            return;
          }
          with_modal_dialog(
              dialog, [&] { click_button(dialog, IDOK); }, [](HWND question) { click_button(question, IDYES); });
        }));
    pump_messages();
    if (c.saved) {
      const auto bytes = read_bytes(c.path);
      EXPECT_EQ(wide_of_utf8(std::string(bytes.begin(), bytes.end())), lines[1]);
      EXPECT_NE(text(kHistoryStatusLine).find(L"に保存しました。"), std::wstring::npos);
    } else {
      EXPECT_EQ(fs::exists(c.path) ? read_bytes(c.path) : std::vector<unsigned char>{}, before);
      EXPECT_NE(text(kHistoryStatusLine).find(L"保存できません"), std::wstring::npos);
    }
  }
}

TEST_F(HistoryWindowUseTest, KeepsItsPlaceColumnsAndFilterAcrossARestart) {
  write_settings("[GENERIC]\r\nOBSERVE=0\r\n");
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(open_history(), nullptr);
  ASSERT_TRUE(wait_loaded());
  MoveWindow(history_, 40, 50, 700, 480, TRUE);
  SendMessageW(control(kHistoryEntryList), LVM_SETCOLUMNWIDTH, 2, 222);
  const int tells = static_cast<int>(channel_choice_of_key("TellOutgoing,TellIncoming"));
  choose(kHistoryChannelBox, tells);
  SetWindowTextW(control(kHistorySearchBox), L"にち");
  pump_messages();
  SendMessageW(history_, WM_CLOSE, 0, 0);
  pump_messages();
  EXPECT_EQ(setting(u"History", u"WIDTH"), L"700");
  EXPECT_EQ(setting(u"History", u"SENDERCOLUMN"), L"222");
  EXPECT_EQ(setting(u"History", u"CHANNEL"), L"TellOutgoing,TellIncoming");
  EXPECT_EQ(setting(u"GENERIC", u"OBSERVE"), L"0");  // the program's own keys stay

  // The program again, as after a restart.
  DestroyWindow(window_);
  pump_messages();
  forget_quit();
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(open_history(), nullptr);
  ASSERT_TRUE(wait_loaded());
  RECT place{};
  GetWindowRect(history_, &place);
  EXPECT_EQ(place.left, 40);
  EXPECT_EQ(place.top, 50);
  EXPECT_EQ(place.right - place.left, 700);
  EXPECT_EQ(place.bottom - place.top, 480);
  EXPECT_EQ(SendMessageW(control(kHistoryEntryList), LVM_GETCOLUMNWIDTH, 2, 0), 222);
  EXPECT_EQ(SendMessageW(control(kHistoryChannelBox), CB_GETCURSEL, 0, 0), tells);
  EXPECT_EQ(text(kHistorySearchBox), L"にち");
  EXPECT_EQ(rows(), 1);
  SendMessageW(history_, WM_CLOSE, 0, 0);

  // Damaged values give the defaults.
  write_settings("[History]\r\nWIDTH=wide\r\nSENDERCOLUMN=-5\r\nCHANNEL=Nothing\r\n");
  ASSERT_NE(open_history(), nullptr);
  const HistoryWindowSettings defaults;
  GetWindowRect(history_, &place);
  EXPECT_EQ(place.right - place.left, defaults.width);
  EXPECT_EQ(SendMessageW(control(kHistoryEntryList), LVM_GETCOLUMNWIDTH, 2, 0), defaults.columns[2]);
  EXPECT_EQ(SendMessageW(control(kHistoryChannelBox), CB_GETCURSEL, 0, 0), 0);
}

TEST_F(HistoryWindowUseTest, SearchesEverySessionAndOpensAHitWhereItIs) {
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(open_history(), nullptr);
  ASSERT_TRUE(wait_loaded());
  SetWindowTextW(control(kHistorySearchBox), L"HELLO");
  pump_messages();
  click_button(history_, kHistorySearchAllButton);
  ASSERT_TRUE(pump_until([&] { return text(kHistoryStatusLine).find(L"検索中") == std::wstring::npos; }));
  EXPECT_TRUE(IsWindowVisible(control(kHistoryHitList)));
  EXPECT_FALSE(IsWindowVisible(control(kHistoryEntryList)));
  // Every session in the order the source box lists them, each hit with its session and time.
  ASSERT_EQ(rows(kHistoryHitList), 4);
  const std::vector<std::vector<std::wstring>> expected = {
      {L"現在のログ", L"2014-03-05 18:55:24", L"Say", L"Aaa Bbb", L"hello"},
      {L"現在のログ", L"2014-03-05 18:56:24", L"Party", L"Aaa Bbb", L"Party HELLO"},
      {L"2014/03/05 21:07", L"2014-03-05 18:55:26", L"Party", L"Ggg", L"hello three"},
      {L"2014/03/04 12:00", L"2014-03-05 18:55:25", L"Say", L"Eee Fff", L"say Hello"},
  };
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 5; ++c) EXPECT_EQ(cell(r, c, kHistoryHitList), expected[r][c]) << r << "," << c;
  }
  EXPECT_NE(text(kHistoryStatusLine).find(L"「HELLO」: 4件"), std::wstring::npos);

  // Opening a hit shows its session, filters off, at that entry.
  select_row(2, kHistoryHitList);
  SendMessageW(history_, WM_COMMAND, kHistoryOpenHitCommand, 0);
  ASSERT_TRUE(wait_loaded());
  EXPECT_TRUE(IsWindowVisible(control(kHistoryEntryList)));
  EXPECT_EQ(SendMessageW(control(kHistorySourceBox), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(text(kHistorySearchBox), L"");
  ASSERT_EQ(rows(), 3);
  EXPECT_EQ(selected_rows(control(kHistoryEntryList)), (std::vector<std::uint32_t>{2}));
  EXPECT_EQ(text(kHistoryDetailBox), L"2014-03-05 18:55:26 [Party] Ggg\r\nhello three");

  // Searching for nothing asks for a word.
  click_button(history_, kHistorySearchAllButton);
  pump_messages();
  EXPECT_NE(text(kHistoryStatusLine).find(L"検索する言葉を入力してください。"), std::wstring::npos);
  EXPECT_TRUE(IsWindowVisible(control(kHistoryEntryList)));
}

TEST_F(HistoryWindowUseTest, NamesAFileThatCannotBeReadAndShowsTheRest) {
  // An export file that another program holds without sharing: it cannot be read.
  const fs::path held = work_ / "log" / "2014.03.06.0000.log";
  write_bytes(held, std::vector<unsigned char>{'x'});
  const HANDLE holder = CreateFileW(held.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ASSERT_NE(start(), nullptr);
  ASSERT_NE(open_history(), nullptr);
  ASSERT_TRUE(wait_loaded());
  const std::vector<std::wstring> sources = combo_items(kHistorySourceBox);
  ASSERT_EQ(sources.size(), 4u);
  choose(kHistorySourceBox, 1);
  ASSERT_TRUE(wait_loaded());
  EXPECT_EQ(rows(), 0);
  EXPECT_NE(text(kHistoryStatusLine).find(L"2014.03.06.0000.log: cannot be read"), std::wstring::npos)
      << text(kHistoryStatusLine);
  choose(kHistorySourceBox, 2);
  ASSERT_TRUE(wait_loaded());
  EXPECT_EQ(rows(), 3);
  EXPECT_EQ(text(kHistoryStatusLine).find(L"cannot be read"), std::wstring::npos);
  CloseHandle(holder);
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
