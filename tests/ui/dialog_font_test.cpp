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

std::wstring face_name(const DialogFace& face) { return face.face != nullptr ? face.face : L"(none)"; }

TEST(DialogFont, ChoiceKeepsMsUiGothicAndOtherwiseTakesTheFirstStandInThere) {
  struct Case {
    std::vector<std::wstring> installed;
    std::wstring chosen;  // empty: the templates keep their own face
    int width_percent;
  } cases[] = {
      // Windows, and a Wine prefix that has MS UI Gothic or a replacement for it.
      {{L"MS UI Gothic"}, L"", 100},
      {{L"IPAPGothic", L"MS UI Gothic", L"Noto Sans CJK JP"}, L"", 100},
      {{L"ms ui gothic", L"TakaoPGothic"}, L"", 100},
      // A plain Wine prefix: the order of the stand-ins decides, not the order found.
      {{L"IPAPGothic"}, L"IPAPGothic", 100},
      {{L"Noto Sans CJK JP", L"VL PGothic", L"TakaoPGothic", L"IPAPGothic"}, L"IPAPGothic", 100},
      {{L"Noto Sans CJK JP", L"VL PGothic", L"TakaoPGothic"}, L"TakaoPGothic", 100},
      {{L"Noto Sans CJK JP", L"VL PGothic"}, L"VL PGothic", 125},
      {{L"noto sans cjk jp"}, L"Noto Sans CJK JP", 125},
      {{L"ipapgothic"}, L"IPAPGothic", 100},
      // Nothing to stand in: the templates as they are.
      {{}, L"", 100},
      {{L"IPAGothic", L"IPAexGothic", L"Droid Sans Fallback"}, L"", 100},
      // A name is the whole name.
      {{L"IPAPGothic Bold", L"PGothic", L"MS UI Gothic2", L"Noto Sans CJK"}, L"", 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.installed));
    const DialogFace chosen = choose_dialog_face(c.installed);
    EXPECT_EQ(chosen.face != nullptr ? chosen.face : L"", c.chosen);
    EXPECT_EQ(chosen.width_percent, c.width_percent);
  }
}

TEST(DialogFont, TheChoiceIsMadeOnceForTheWholeRun) {
  const DialogFace& first = dialog_face();
  EXPECT_EQ(&dialog_face(), &first);
  const DialogFace again = choose_dialog_face(installed_dialog_faces());
  EXPECT_EQ(face_name(first), face_name(again));
  EXPECT_EQ(first.width_percent, again.width_percent);
}

std::wstring face_of(HWND window) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfFaceName;
}

// Each window and each of its controls: the chosen face, or the templates'
// own when none was chosen.
TEST(DialogFont, WindowsMadeByTheProgramGetTheChosenFace) {
  const std::wstring expected = dialog_face().face != nullptr ? dialog_face().face : L"MS Shell Dlg";
  std::printf("dialog face: %ls, %d%% wide\n", face_name(dialog_face()).c_str(), dialog_face().width_percent);
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
