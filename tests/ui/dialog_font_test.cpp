// Which face the windows are laid out in, given the faces a system has; and
// that the windows made by the program really get it.
#include "ui/dialog_font.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/program_state.h"

namespace tellwick::test {
namespace {

TEST(DialogFont, ChoiceKeepsMsUiGothicAndOtherwiseTakesTheFirstStandInThere) {
  struct Case {
    std::vector<std::wstring> installed;
    std::wstring chosen;  // empty: the templates keep their own face
  } cases[] = {
      // Windows, and a Wine prefix that has MS UI Gothic or a replacement for it.
      {{L"MS UI Gothic"}, L""},
      {{L"IPAPGothic", L"MS UI Gothic", L"TakaoPGothic"}, L""},
      {{L"ms ui gothic", L"TakaoPGothic"}, L""},
      // A plain Wine prefix: the order of the stand-ins decides, not the order found.
      {{L"IPAPGothic"}, L"IPAPGothic"},
      {{L"Noto Sans CJK JP", L"TakaoPGothic", L"IPAPGothic"}, L"IPAPGothic"},
      {{L"Noto Sans CJK JP", L"TakaoPGothic"}, L"TakaoPGothic"},
      {{L"ipapgothic"}, L"IPAPGothic"},
      // Nothing to stand in: the templates as they are.
      {{}, L""},
      {{L"IPAGothic", L"VL PGothic", L"Noto Sans CJK JP", L"Droid Sans Fallback"}, L""},
      // A name is the whole name.
      {{L"IPAPGothic Bold", L"PGothic", L"MS UI Gothic2"}, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(choose_dialog_face(c.installed), c.chosen) << testing::PrintToString(c.installed);
  }
}

TEST(DialogFont, TheChoiceIsMadeOnceForTheWholeRun) {
  const std::wstring& first = dialog_face();
  EXPECT_EQ(&dialog_face(), &first);
  EXPECT_EQ(first, choose_dialog_face(installed_dialog_faces()));
}

std::wstring face_of(HWND window) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfFaceName;
}

// Each window and each of its controls: the chosen face, or the templates'
// own when none was chosen.
TEST(DialogFont, WindowsMadeByTheProgramGetTheChosenFace) {
  const std::wstring expected = dialog_face().empty() ? L"MS Shell Dlg" : dialog_face();
  std::printf("dialog face: %ls\n", dialog_face().empty() ? L"the templates' own" : dialog_face().c_str());
  for (const wchar_t* name : {L"RECIPEBOX", L"CONFBOX", L"SETNAMEBOX"}) {
    const HWND dialog = create_dialog(
        module_instance(), name, nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(face_of(dialog), expected);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      EXPECT_EQ(face_of(child), expected) << GetDlgCtrlID(child);
    }
    DestroyWindow(dialog);
  }
}

}  // namespace
}  // namespace tellwick::test
