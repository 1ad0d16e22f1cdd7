// The character name dialog opened with the main window's change button: the
// names it saves, and the list and info panel afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gamelog/game_folders.h"
#include "resource_ids.h"
#include "support/main_window_fixture.h"
#include "ui/program_state.h"
#include "support/message_pump.h"
#include "support/modal_dialog.h"
#include "support/screenshots.h"

namespace tellwick::test {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";

std::wstring edit_text(HWND dialog, int control) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, control, text, 512);
  return text;
}

class NameDialogTest : public MainWindowTest {
 protected:
  bool with_name_dialog(const std::function<void(HWND)>& act) {
    return with_modal_dialog(
        window_, [&] { click_button(window_, IDC_CHANGE_NAME); }, act);
  }
};

TEST_F(NameDialogTest, SavesTheNamesCutTo63Characters) {
  add_character(kCharacter);
  write_settings("[FFXIV_CHR0040000001A2B3C4D]\r\nSERVER=Ixion\r\nNAME=Old Name\r\n");
  ASSERT_NE(start(), nullptr);
  const std::wstring long_name(63, L'名');
  ASSERT_TRUE(with_name_dialog([&](HWND dialog) {
    EXPECT_EQ(edit_text(dialog, IDC_SERVER_NAME), L"Ixion");
    EXPECT_EQ(edit_text(dialog, IDC_CHARACTER_NAME), L"Old Name");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
    SetDlgItemTextW(dialog, IDC_SERVER_NAME, L"Tonberry");
    SetDlgItemTextW(dialog, IDC_CHARACTER_NAME, (long_name + L"1234567").c_str());  // 70 characters
    save_screenshot(dialog, "name-dialog");
    click_button(dialog, IDOK);
  }));
  EXPECT_EQ(setting(kCharacter, u"SERVER"), L"Tonberry");
  EXPECT_EQ(setting(kCharacter, u"NAME"), long_name);
  // The list and the info panel show the new names at once, without waiting for the queue.
  EXPECT_EQ(list_items(), std::vector<std::wstring>{long_name + L" / Tonberry"});
  EXPECT_EQ(selected_item(), 0);
  EXPECT_TRUE(text_of(IDC_INFO_PANEL).starts_with(L"Server: Tonberry\r\nPC Name: " + long_name + L"\r\nTop: "));
}

TEST_F(NameDialogTest, EmptyNamesRemoveTheKeys) {
  add_character(kCharacter);
  write_settings("[FFXIV_CHR0040000001A2B3C4D]\r\nSERVER=Ixion\r\nNAME=Aaa Bbb\r\nLASTNO=3\r\n");
  ASSERT_NE(start(), nullptr);
  ASSERT_TRUE(with_name_dialog([&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_SERVER_NAME, L"");
    SetDlgItemTextW(dialog, IDC_CHARACTER_NAME, L"");
    click_button(dialog, IDOK);
  }));
  EXPECT_EQ(setting(kCharacter, u"SERVER"), L"<none>");
  EXPECT_EQ(setting(kCharacter, u"NAME"), L"<none>");
  EXPECT_EQ(setting(kCharacter, u"LASTNO"), L"3");  // the section and its other keys stay
  EXPECT_EQ(list_items(), std::vector<std::wstring>{L"FFXIV_CHR0040000001A2B3C4D"});
  EXPECT_TRUE(text_of(IDC_INFO_PANEL).starts_with(L"Server: Unknown\r\nPC Name: Unknown\r\nTop: "));
}

TEST_F(NameDialogTest, KeepsTheSameCharacterSelectedOrTheFirstWhenItIsGone) {
  const std::u16string other = u"FFXIV_CHR0040000000000002";
  add_character(kCharacter);
  add_character(other);
  for (const bool remove_folder : {false, true}) {
    SCOPED_TRACE(remove_folder);
    ASSERT_NE(start(), nullptr);
    const int index = std::u16string(character_table().names[0]) == kCharacter ? 0 : 1;
    select_item(index);
    pump_messages();
    ASSERT_TRUE(with_name_dialog([&](HWND dialog) {
      SetDlgItemTextW(dialog, IDC_CHARACTER_NAME, L"Aaa Bbb");
      if (remove_folder) fs::remove_all(game_ / fs::path(kCharacter));
      click_button(dialog, IDOK);
    }));
    if (remove_folder) {
      EXPECT_EQ(selected_item(), 0);
      EXPECT_EQ(list_items(), std::vector<std::wstring>{L"FFXIV_CHR0040000000000002"});
    } else {
      EXPECT_EQ(selected_item(), index);
      EXPECT_EQ(list_items()[index], L"Aaa Bbb / Unknown");
    }
    DestroyWindow(window_);
    pump_messages();
  }
}

TEST_F(NameDialogTest, CancelEscapeAndTheCloseBoxWriteNothingAndKeepTheList) {
  add_character(kCharacter);
  ASSERT_NE(start(), nullptr);
  // An item no fill would make: it shows whether the list was filled again.
  SendDlgItemMessageW(window_, IDC_CHARACTER_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"marker"));
  for (const Leave leave : kWaysToLeave) {
    SCOPED_TRACE(static_cast<int>(leave));
    ASSERT_TRUE(with_name_dialog([&](HWND dialog) {
      SetDlgItemTextW(dialog, IDC_SERVER_NAME, L"Tonberry");
      SetDlgItemTextW(dialog, IDC_CHARACTER_NAME, L"Aaa Bbb");
      leave_dialog(dialog, leave, IDC_SERVER_NAME);
    }));
    EXPECT_FALSE(fs::exists(work_ / "tellwick.ini"));
    EXPECT_EQ(list_items(), (std::vector<std::wstring>{L"FFXIV_CHR0040000001A2B3C4D", L"marker"}));
  }
}

}  // namespace
}  // namespace tellwick::test
