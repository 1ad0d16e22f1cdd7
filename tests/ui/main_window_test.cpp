// The main window as a player meets it: what it shows, what its buttons do,
// and how it ends or hides.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "gamelog/game_folders.h"
#include "ui/status_log.h"
#include "resource_ids.h"
#include "settings/settings.h"
#include "support/debugger_capture.h"
#include "support/main_window_fixture.h"
#include "ui/program_state.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "support/temp_dir.h"
#include "ui/wide_text.h"

namespace tellwick::test {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";

TEST_F(MainWindowTest, ShowsTheVersionAndLabelsEachCharacterByItsNames) {
  struct Case {
    std::u16string folder;
    const char* names;  // the character's section lines
    std::wstring label;
  } cases[] = {
      {u"FFXIV_CHR0040000000000001", "", L"FFXIV_CHR0040000000000001"},
      {u"FFXIV_CHR0040000000000002", "NAME=Aaa Bbb\r\n", L"Aaa Bbb / Unknown"},
      {u"FFXIV_CHR0040000000000003", "SERVER=Tonberry\r\n", L"Unknown / Tonberry"},
      {u"FFXIV_CHR0040000000000004", "NAME=Ccc Ddd\r\nSERVER=Ixion\r\n", L"Ccc Ddd / Ixion"},
  };
  std::string ini;
  for (const Case& c : cases) {
    add_character(c.folder);
    ini += "[" + fs::path(c.folder).string() + "]\r\n" + c.names;
  }
  write_settings(ini);
  ASSERT_NE(start(), nullptr);

  EXPECT_EQ(text_of(IDC_VERSION_TEXT), L"Ver.15.06.20.0");
  // List item i stands for table entry i, whatever order the folders were listed in.
  const std::vector<std::wstring> items = list_items();
  ASSERT_EQ(items.size(), std::size(cases));
  std::map<std::u16string, std::wstring> label_of;
  for (int i = 0; i < character_table().count; ++i) label_of[character_table().names[i]] = items[i];
  for (const Case& c : cases) EXPECT_EQ(label_of[c.folder], c.label) << fs::path(c.folder).string();
  EXPECT_EQ(selected_item(), 0);
}

TEST_F(MainWindowTest, InfoPanelShowsTheSelectedCharactersLastExport) {
  add_character(kCharacter);
  add_character(u"FFXIV_CHR0040000000000009");
  write_settings(
      "[FFXIV_CHR0040000001A2B3C4D]\r\nSERVER=Tonberry\r\nNAME=Aaa Bbb\r\nTOPDATE=1394021260\r\n"
      "ENDDATE=1394107660\r\nLASTNO=5\r\nLOGFILE=2014.03.05.2107.log\r\n");
  ASSERT_NE(start(), nullptr);
  const int with_keys = std::u16string(character_table().names[0]) == kCharacter ? 0 : 1;

  select_item(with_keys);
  pump_messages();
  EXPECT_EQ(text_of(IDC_INFO_PANEL),
            L"Server: Tonberry\r\nPC Name: Aaa Bbb\r\nTop: 2014/03/05 21:07:40\r\nEnd: 2014/03/06 21:07:40\r\n"
            L"LogCount:  5\r\nLogFile: 2014.03.05.2107.log\r\n");

  // Missing keys show their defaults; second 0 of 1970 is 09:00 in Tokyo.
  select_item(1 - with_keys);
  pump_messages();
  EXPECT_EQ(text_of(IDC_INFO_PANEL),
            L"Server: Unknown\r\nPC Name: Unknown\r\nTop: 1970/01/01 09:00:00\r\nEnd: 1970/01/01 09:00:00\r\n"
            L"LogCount:  0\r\nLogFile: \r\n");
}

TEST_F(MainWindowTest, ExtractButtonExportsAndSaysWhere) {
  add_character(kCharacter, true);
  write_settings("[GENERIC]\r\nCHARSET=1\r\n");
  ASSERT_NE(start(), nullptr);

  click_button(window_, IDC_EXTRACT);
  pump_messages();

  const fs::path export_file = work_ / "log" / "2014.03.05.1855.log";
  ASSERT_TRUE(fs::exists(export_file));
  const auto bytes = read_bytes(export_file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "5316F48C000A:Aaa Bbb:hello\r\n5316F48D000C:Ccc Ddd:こんにちは\r\n5316F4C8000Ethree\r\n");
  EXPECT_EQ(text_of(IDC_STATUS_LOG),
            L"新しいログの記録を確認しました。\r\n.\\log\\2014.03.05.1855.logに保存しました。\r\n");
  EXPECT_EQ(text_of(IDC_INFO_PANEL),
            L"Server: Unknown\r\nPC Name: Unknown\r\nTop: 2014/03/05 18:55:24\r\nEnd: 2014/03/05 18:56:24\r\n"
            L"LogCount:  2\r\nLogFile: 2014.03.05.1855.log\r\n");
  save_screenshot(window_, "main-window");

  // Again: nothing new, but a manual export runs anyway and says so again.
  click_button(window_, IDC_EXTRACT);
  pump_messages();
  EXPECT_EQ(text_of(IDC_STATUS_LOG),
            L"新しいログの記録を確認しました。\r\n.\\log\\2014.03.05.1855.logに保存しました。\r\n"
            L".\\log\\2014.03.05.1855.logに保存しました。\r\n");
}

TEST_F(MainWindowTest, ExtractWithoutChunkZeroSaysNothing) {
  add_character(kCharacter);
  ASSERT_NE(start(), nullptr);
  click_button(window_, IDC_EXTRACT);
  pump_messages();
  EXPECT_EQ(text_of(IDC_STATUS_LOG), L"");
  EXPECT_TRUE(fs::is_directory(work_ / "log"));  // the log folder is made before the export
}

TEST_F(MainWindowTest, WithoutCharactersTheButtonsDoNothing) {
  ASSERT_NE(start(), nullptr);
  EXPECT_TRUE(list_items().empty());
  EXPECT_EQ(selected_item(), CB_ERR);
  EXPECT_EQ(text_of(IDC_INFO_PANEL), L"");
  click_button(window_, IDC_EXTRACT);
  click_button(window_, IDC_CHANGE_NAME);  // would open the name dialog and block
  pump_messages();
  EXPECT_EQ(text_of(IDC_STATUS_LOG), L"");
  EXPECT_FALSE(fs::exists(work_ / "log"));
}

TEST_F(MainWindowTest, StatusLogKeepsEveryMessageInOrder) {
  ASSERT_NE(start(), nullptr);
  // Messages arrive at the end even after the user put the caret elsewhere.
  status_log_append(u"一行目\r\n");
  SendDlgItemMessageW(window_, IDC_STATUS_LOG, EM_SETSEL, 0, 0);
  status_log_append(u"二行目");
  status_log_append(u"の続き\r\n");
  EXPECT_EQ(text_of(IDC_STATUS_LOG), L"一行目\r\n二行目の続き\r\n");

  // Beyond the edit control's default limit of 32767 characters nothing is lost.
  const std::u16string line(99, u'x');
  for (int i = 0; i < 400; ++i) status_log_append((line + u"\r\n").c_str());
  status_log_append(u"最後\r\n");
  const std::wstring text = text_of(IDC_STATUS_LOG);
  EXPECT_EQ(text.size(), 13u + 400u * 101u + 4u);
  EXPECT_EQ(text.substr(text.size() - 4), L"最後\r\n");
}

TEST_F(MainWindowTest, DropTakesTheFirstFileOnly) {
  ASSERT_NE(start(), nullptr);
  const fs::path first = dir_.path() / "first.txt";
  const fs::path second = dir_.path() / "second.txt";
  const std::string first_line = "46C012340039::SwordからStoneが生成された！\r\n";
  const std::string second_line = "46C012340039::ShieldからWaterが生成された！\r\n";
  write_bytes(first, std::vector<unsigned char>(first_line.begin(), first_line.end()));
  write_bytes(second, std::vector<unsigned char>(second_line.begin(), second_line.end()));

  // What the shell hands over for a drop of two files: a DROPFILES block with
  // the wide paths, each ended by a zero, and one more zero at the end.
  const std::wstring paths = first.wstring() + L'\0' + second.wstring() + L'\0' + L'\0';
  const HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + paths.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  memcpy(header + 1, paths.data(), paths.size() * sizeof(wchar_t));
  GlobalUnlock(drop);

  clear_debugger_capture();
  PostMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  pump_messages();
  EXPECT_EQ(captured_debugger_text(), L"46C012340039::SwordからStoneが生成された！\r\n");
}

TEST_F(MainWindowTest, EscapeAndTheExitButtonEndTheProgram) {
  for (const bool escape : {true, false}) {
    forget_quit();
    ASSERT_NE(start(), nullptr);
    if (escape) {
      SetFocus(GetDlgItem(window_, IDC_EXTRACT));
      press_key(window_, VK_ESCAPE);
    } else {
      click_button(window_, IDCANCEL);
    }
    pump_messages();
    EXPECT_FALSE(IsWindow(window_)) << escape;
    EXPECT_TRUE(quit_was_posted()) << escape;
    // The watch timer died with the window.
    EXPECT_FALSE(KillTimer(window_, 188)) << escape;
  }
}

TEST_F(MainWindowTest, EnterPressesNoButton) {
  add_character(kCharacter, true);
  ASSERT_NE(start(), nullptr);
  SetFocus(GetDlgItem(window_, IDC_CHARACTER_LIST));
  press_key(window_, VK_RETURN);
  pump_messages();
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(quit_was_posted());
  EXPECT_EQ(text_of(IDC_STATUS_LOG), L"");
}

}  // namespace
}  // namespace tellwick::test
